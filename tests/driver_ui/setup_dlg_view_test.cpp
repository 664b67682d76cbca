// The Qt view of the setup dialog, driven through the record the driver hands out, with QTest offscreen.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "driver-ui/qt/framed_grab.h"
#include "driver-ui/qt/setup_dlg_view.h"
#include "driver-ui/setup_dialog_adapter.h"
#include "tests/support/qt_test_environment.h"

namespace orven::driverui {
namespace {

using Act = std::function<void(CSetupDlgView&)>;

// A host view that shows the dialog, lets the test act on it like a user, and answers as the dialog closed.
int ActingView(void* context, OrvendSetupDialog* dialog) {
  CSetupDlgView view(dialog);
  view.show();
  (*static_cast<Act*>(context))(view);
  return view.isVisible() ? 0 : (view.result() == QDialog::Accepted ? 1 : 0);
}

int RunActing(SetupOptions& options, Act act, const uint8_t* identification = nullptr) {
  return RunSetupDialog(options, identification, &ActingView, &act);
}

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(8, w->height() / 2)); }

QStringList Items(const QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
  return items;
}

TEST(SetupDlgView, InitialStateShowsTheRecord) {
  IdentificationBlock id;
  id.SetVersion(2, 0x06, 563);
  id.SetSerial(0x20, 0x26, 0x0C, 0x5A);
  SetupOptions options{1, 16, 0, 1};
  RunActing(
      options,
      [](CSetupDlgView& v) {
        EXPECT_EQ(v.windowTitle(), QStringLiteral("NORDA  QX410 MCU Development Kit  V1.06"));
        EXPECT_TRUE(v.PauseBox()->isChecked());
        EXPECT_TRUE(v.PodBox()->isChecked());
        for (QWidget* w : {static_cast<QWidget*>(v.VendorList()), static_cast<QWidget*>(v.ModelList()),
                           static_cast<QWidget*>(v.VendorLabel()), static_cast<QWidget*>(v.ModelLabel())}) {
          EXPECT_FALSE(w->isEnabled());
        }
        EXPECT_EQ(Items(v.VendorList()),
                  (QStringList{"ATMEL", "NXP", "STC", "NUVOTON(WINBOND)"}));
        EXPECT_EQ(v.VendorList()->currentText(), QStringLiteral("ATMEL"));
        EXPECT_EQ(v.ModelList()->count(), 10);
        EXPECT_EQ(v.ModelList()->currentText(), QStringLiteral("AT89S52 [ZIF]"));
        EXPECT_EQ(v.ProductInfo()->toPlainText(), QStringLiteral("固件版本: V2.06(Build 563)\n产品编号: 20260c5a\n"));
        EXPECT_TRUE(v.ProductInfo()->isReadOnly());
        EXPECT_EQ(v.PauseNote()->text(), QStringLiteral("\n开启此功能后, 代码C:0x003b处需保留3个字节给仿真系统使用"));
        EXPECT_TRUE(v.OkButton()->isDefault());
        v.reject();
      },
      id.bytes);
}

TEST(SetupDlgView, NoModelWhenThePositionIsPastTheVendorsChips) {
  SetupOptions options{1, 15, 3, 4};
  RunActing(options, [](CSetupDlgView& v) {
    EXPECT_EQ(v.VendorList()->currentText(), QStringLiteral("NUVOTON(WINBOND)"));
    EXPECT_EQ(v.ModelList()->count(), 4);
    EXPECT_EQ(v.ModelList()->currentIndex(), -1);
    EXPECT_TRUE(v.ModelList()->isEnabled());
    EXPECT_EQ(v.ProductInfo()->toPlainText(), QStringLiteral("NORDA ORVEN 仿真器/编程器 没有连接.\n"));
    v.reject();
  });
}

TEST(SetupDlgView, PodBoxAndVendorChangeThenOk) {
  SetupOptions options{1, 16, 0, 0};
  const int answer = RunActing(options, [](CSetupDlgView& v) {
    Click(v.PodBox());
    EXPECT_FALSE(v.PodBox()->isChecked());
    EXPECT_TRUE(v.VendorList()->isEnabled());
    EXPECT_TRUE(v.ModelList()->isEnabled());
    EXPECT_TRUE(v.VendorLabel()->isEnabled());
    EXPECT_TRUE(v.ModelLabel()->isEnabled());

    v.VendorList()->setCurrentIndex(2);  // as the user picking "STC"
    EXPECT_EQ(Items(v.ModelList()),
              (QStringList{"STC12C5A8S2 [ZIF]", "STC12C5A16S2 [ZIF]", "STC12C5A32S2 [ZIF]", "STC12C5A40S2 [ZIF]",
                           "STC12C5A48S2 [ZIF]", "STC12C5A52S2 [ZIF]", "STC12C5A56S2 [ZIF]", "STC12C5A60S2 [ZIF]"}));
    EXPECT_EQ(v.ModelList()->currentText(), QStringLiteral("STC12C5A8S2 [ZIF]"));
    v.ModelList()->setCurrentIndex(6);
    Click(v.PauseBox());
    EXPECT_FALSE(v.PauseBox()->isChecked());

    // Ticking the pod box again switches the lists off but keeps what they show.
    Click(v.PodBox());
    EXPECT_FALSE(v.ModelList()->isEnabled());
    EXPECT_EQ(v.ModelList()->currentText(), QStringLiteral("STC12C5A56S2 [ZIF]"));
    Click(v.PodBox());
    Click(v.OkButton());
  });
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(options, (SetupOptions{0, 0, 2, 6}));
}

TEST(SetupDlgView, OkWritesEAndFAsTheBoxesStand) {
  SetupOptions options{0, 15, 1, 2};
  EXPECT_EQ(RunActing(options, [](CSetupDlgView& v) { Click(v.OkButton()); }), 1);
  EXPECT_EQ(options, (SetupOptions{0, 0, 1, 2}));
}

// The hook a Qt host installs, run modally: Cancel answers 0 and the options stay as they came.
TEST(SetupDlgView, CancelThroughTheHostHookAnswersZero) {
  SetupOptions options{1, 15, 2, 3};
  QTimer::singleShot(0, [] {
    auto* view = qobject_cast<CSetupDlgView*>(QApplication::activeModalWidget());
    ASSERT_NE(view, nullptr);
    Click(view->PodBox());
    view->VendorList()->setCurrentIndex(0);
    Click(view->CancelButton());
  });
  EXPECT_EQ(RunSetupDialog(options, nullptr, &OrvendQtSetupDialog, nullptr), 0);
  EXPECT_EQ(options, (SetupOptions{1, 15, 2, 3}));

  QTimer::singleShot(0, [] {
    auto* view = qobject_cast<CSetupDlgView*>(QApplication::activeModalWidget());
    ASSERT_NE(view, nullptr);
    QTest::keyClick(view, Qt::Key_Escape);
  });
  EXPECT_EQ(RunSetupDialog(options, nullptr, &OrvendQtSetupDialog, nullptr), 0);
  EXPECT_EQ(options, (SetupOptions{1, 15, 2, 3}));

  QTimer::singleShot(0, [] {
    auto* view = qobject_cast<CSetupDlgView*>(QApplication::activeModalWidget());
    ASSERT_NE(view, nullptr);
    Click(view->OkButton());
  });
  EXPECT_EQ(RunSetupDialog(options, nullptr, &OrvendQtSetupDialog, nullptr), 1);
  EXPECT_EQ(options, (SetupOptions{1, 0, 2, 3}));
}

// Every text shows whole in the dialog's font, nothing leaves the window, and the lists do not run into the
// labels under them.
TEST(SetupDlgView, LayoutKeepsEveryTextReadable) {
  SetupOptions options{1, 15, 2, 0};
  RunActing(options, [](CSetupDlgView& v) {
    const QRect client = v.rect();
    for (QWidget* w : v.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      SCOPED_TRACE(w->metaObject()->className());
      EXPECT_TRUE(client.contains(w->geometry())) << w->objectName().toStdString();
      if (qobject_cast<QLabel*>(w) && !qobject_cast<QLabel*>(w)->pixmap().isNull()) continue;
      if (qobject_cast<QLabel*>(w) && qobject_cast<QLabel*>(w)->wordWrap()) continue;
      if (qobject_cast<QComboBox*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QGroupBox*>(w)) continue;
      EXPECT_GE(w->width(), w->sizeHint().width());
      EXPECT_GE(w->height(), w->sizeHint().height());
    }
    EXPECT_LE(v.VendorList()->geometry().bottom(), v.ModelLabel()->geometry().top());
    EXPECT_LE(v.ModelList()->geometry().bottom(), v.Units().Y(108 + 63));
    const QFontMetrics metrics(v.ModelList()->font());
    EXPECT_GE(v.ModelList()->view()->width(), metrics.horizontalAdvance(QStringLiteral("STC12C5A60S2 [ZIF]")));
    // The note's two lines fit its box.
    EXPECT_GE(v.PauseNote()->height(), v.PauseNote()->heightForWidth(v.PauseNote()->width()));
    v.reject();
  });
}

// Coarse colours of a picture, so that two scalings of the same artwork compare equal and other artwork does not.
QImage Coarse(const QImage& image) {
  return image.convertToFormat(QImage::Format_RGB32).scaled(16, 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool LooksAlike(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return false;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y);
      const QRgb q = b.pixel(x, y);
      if (qAbs(qRed(p) - qRed(q)) > 24 || qAbs(qGreen(p) - qGreen(q)) > 24 || qAbs(qBlue(p) - qBlue(q)) > 24) {
        return false;
      }
    }
  }
  return true;
}

// The Qt view shows the bitmaps the Win32 dialog resource carries, stretched over their controls.
TEST(SetupDlgView, PicturesAreTheDialogResourceBitmaps) {
  struct Case {
    const char* control;
    const char* file;
  };
  const Case cases[] = {{"banner", "banner.bmp"}, {"chipPicture", "chip.bmp"}};
  SetupOptions options{1, 15, 2, 0};
  RunActing(options, [&](CSetupDlgView& v) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.control);
      auto* picture = v.findChild<QLabel*>(QLatin1String(c.control));
      ASSERT_NE(picture, nullptr);
      const QImage shown = picture->pixmap().toImage();
      ASSERT_FALSE(shown.isNull());
      EXPECT_EQ(shown.size(), picture->size());
      const QImage art(QStringLiteral(ORVEN_ART_DIR "/") + QLatin1String(c.file));
      ASSERT_FALSE(art.isNull());
      EXPECT_TRUE(LooksAlike(Coarse(shown), Coarse(art)));
    }
    v.reject();
  });
}

// The screenshot's frame: the dialog's contents whole below a title bar, inside a border.
TEST(SetupDlgView, FramedGrabKeepsTheContentsWholeUnderTheTitle) {
  SetupOptions options{1, 15, 2, 0};
  RunActing(options, [](CSetupDlgView& v) {
    const QImage contents = v.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage framed = GrabWithFrame(v).toImage().convertToFormat(QImage::Format_RGB32);
    const int border = (framed.width() - contents.width()) / 2;
    const int title = framed.height() - contents.height() - border;
    EXPECT_GE(border, 0);
    EXPECT_GT(title, border);
    EXPECT_EQ(framed.copy(border, title, contents.width(), contents.height()), contents);
    v.reject();
  });
}

TEST(SetupDlgView, DialogUnitsFollowTheFont) {
  const DialogUnits units{6, 13};
  EXPECT_EQ(units.Rect(297, 246, 297, 246), QRect(446, 400, 446, 400));
  EXPECT_EQ(units.X(4), 6);
  EXPECT_EQ(units.Y(8), 13);
  const DialogUnits big = DialogUnits::ForFont(SetupDialogFont());
  EXPECT_GE(big.baseX, 5);
  EXPECT_EQ(big.baseY, QFontMetrics(SetupDialogFont()).height());
}

}  // namespace
}  // namespace orven::driverui
