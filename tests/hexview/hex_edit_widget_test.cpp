// The Qt face of the hex view under the offscreen platform: events reach the model, the frame is painted.
#include "hexview/hex_edit_widget.h"
#include "tests/support/qt_test_environment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <memory>
#include <vector>

namespace orven::hexview {
namespace {

class HexEditWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    widget_ = std::make_unique<CHexEditWidget>();
    widget_->resize(widget_->sizeHint());
    widget_->SetData(image_.data(), static_cast<uint32_t>(image_.size()));
    widget_->SetHexAddresses(true);
    widget_->SetBeepHandler([this] { ++beeps_; });
    widget_->show();
    widget_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(widget_.get()));
    widget_->setFocus();
    QApplication::processEvents();
  }

  const CHexEditCtrl& Ctrl() const { return widget_->Ctrl(); }
  QPoint At(int x, int y) const { return widget_->DrawingRect().topLeft() + QPoint(x, y); }
  QScrollBar* Bar() const { return widget_->findChild<QScrollBar*>(); }
  QImage Grab() const { return widget_->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  QColor PixelAt(const QImage& image, int x, int y) const { return image.pixelColor(At(x, y)); }

  std::vector<uint8_t> image_ = std::vector<uint8_t>(262144, 0xFF);
  std::unique_ptr<CHexEditWidget> widget_;
  int beeps_ = 0;
};

TEST_F(HexEditWidgetTest, KeysReachTheModel) {
  ASSERT_TRUE(Ctrl().HasFocus());
  QTest::keyClicks(widget_.get(), "A5");
  EXPECT_EQ(image_[0], 0xA5);
  EXPECT_EQ(Ctrl().Cursor(), 1u);

  QTest::keyClick(widget_.get(), Qt::Key_End);
  EXPECT_EQ(Ctrl().Cursor(), 1023u);
  EXPECT_EQ(Ctrl().TopRow(), 48u);
  EXPECT_EQ(Bar()->value(), 48);
  EXPECT_EQ(Bar()->maximum(), 48);

  QTest::keyClick(widget_.get(), Qt::Key_Tab);
  EXPECT_FALSE(Ctrl().HexEntry()) << "Tab switches the entry mode instead of moving the focus";
  EXPECT_TRUE(widget_->hasFocus());
  QTest::keyClicks(widget_.get(), "Z");
  EXPECT_EQ(image_[1023], 'Z');

  QTest::keyClick(widget_.get(), Qt::Key_Home);
  QTest::keyClick(widget_.get(), Qt::Key_PageDown);
  EXPECT_EQ(Ctrl().Cursor(), 256u);
  EXPECT_EQ(Bar()->value(), 16);
}

TEST_F(HexEditWidgetTest, ReadOnlyTypingBeeps) {
  widget_->SetOperationRunning(true);
  QTest::keyClicks(widget_.get(), "12");
  EXPECT_EQ(beeps_, 2);
  EXPECT_EQ(image_[0], 0xFF);
  widget_->SetOperationRunning(false);
  QTest::keyClicks(widget_.get(), "12");
  EXPECT_EQ(image_[0], 0x12);
  EXPECT_EQ(beeps_, 2);
}

TEST_F(HexEditWidgetTest, ClicksWheelAndScrollBarReachTheModel) {
  QTest::mouseClick(widget_.get(), Qt::LeftButton, {}, At(80 + 20, 16 * 3 + 5));
  EXPECT_EQ(Ctrl().Cursor(), 32u + 1);
  EXPECT_TRUE(Ctrl().HighNibble());
  QTest::mouseClick(widget_.get(), Qt::RightButton, {}, At(80 + 24 * 5, 20));
  EXPECT_EQ(Ctrl().Cursor(), 33u) << "right clicks do nothing";

  QWheelEvent down(QPointF(At(200, 100)), widget_->mapToGlobal(QPointF(At(200, 100))), QPoint(), QPoint(0, -120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget_.get(), &down);
  EXPECT_EQ(Ctrl().TopRow(), 1u);
  EXPECT_EQ(Bar()->value(), 1);

  Bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(Ctrl().TopRow(), 17u);
  EXPECT_EQ(Bar()->value(), 17);
  Bar()->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(Ctrl().TopRow(), 17u) << "only line, page and thumb requests scroll";
  EXPECT_EQ(Bar()->value(), 17);
  EXPECT_EQ(Ctrl().Cursor(), 33u);
}

TEST_F(HexEditWidgetTest, PaintsTheFrame) {
  image_[0] = 0x00;
  widget_->Refresh();
  const QImage shot = Grab();
  const QColor grid(49, 106, 197);
  EXPECT_EQ(PixelAt(shot, 72, 200), grid);
  EXPECT_EQ(PixelAt(shot, 300, 15), grid);
  EXPECT_EQ(PixelAt(shot, 0, 15), grid);
  EXPECT_EQ(PixelAt(shot, 40, 270), QColor(Qt::white));

  // Some header and address text is drawn in the cells.
  int dark = 0;
  for (int x = 0; x < 72; ++x) {
    for (int y = 16; y < 32; ++y) dark += PixelAt(shot, x, y).lightness() < 128 ? 1 : 0;
  }
  EXPECT_GT(dark, 20);

  // The caret on offset 0 inverts its 8 x 16 cell.
  ASSERT_TRUE(Ctrl().Caret().exists);
  int inverted = 0;
  for (int x = 80; x < 88; ++x) {
    for (int y = 16; y < 32; ++y) inverted += PixelAt(shot, x, y).lightness() < 128 ? 1 : 0;
  }
  EXPECT_GT(inverted, 64);

  widget_->SetOperationRunning(true);
  const QImage busy = Grab();
  const QColor face = widget_->palette().color(QPalette::Active, QPalette::Button);
  EXPECT_EQ(PixelAt(busy, 74, 100), face);
  EXPECT_EQ(PixelAt(busy, 68, 200), face);
}

TEST_F(HexEditWidgetTest, CellFontFitsTheCell) {
  const QFontMetricsF metrics(widget_->CellFont());
  EXPECT_LE(metrics.horizontalAdvance(QLatin1Char('0')), 8.05);
  EXPECT_LE(metrics.ascent() + metrics.descent(), 16.25);
  EXPECT_GE(widget_->DrawingRect().width(), 464) << "the size hint leaves room for the whole hex column";
}

}  // namespace
}  // namespace orven::hexview
