// The configuration editor driven through its real widgets under the offscreen platform: clicks, typing and
// the OK and Cancel buttons, checked against the 32-byte buffer the dialog writes.
#include "chipcfg/config_dlg.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "chipcfg/chip_config_defaults.h"
#include "chipcfg/prop_list_layout.h"
#include "chipcfg/qt/list_item.h"
#include "chipcfg/qt/my_list.h"
#include "chipcfg/qt/prop_list_ctrl.h"
#include "tools/cfgc/config_image.h"
#include "tests/support/qt_test_environment.h"

namespace orven::chipcfg {
namespace {

using Config = std::array<uint8_t, 32>;

cfgc::ImageRecord Record(uint8_t kindCode, uint8_t category, uint16_t bit, uint8_t width, std::vector<uint8_t> values,
                         const std::string& name, const std::string& optionText = {}) {
  cfgc::ImageRecord r;
  r.kindCode = kindCode;
  r.category = category;
  r.bitPosition = bit;
  r.bitWidth = width;
  r.values = std::move(values);
  cfgc::StoredText(name, "GBK", r.name);
  cfgc::StoredText(name + " 说明", "GBK", r.description);
  if (!optionText.empty()) cfgc::StoredText(optionText, "GBK", r.optionText);
  return r;
}

// Items of category A (时钟) and B (Lock) interleaved in the file: A, B, A, B.
//   item 0  Mode   drop-down, A, bits 0..2, values [3, 1, 0], options A|B|C
//   item 1  Lock   check box, B, bit 8, values [1, 0] (programmed = 0), labels Off|On
//   item 2  Trim   number,    A, bits 16..23
//   item 3  Fixed  plain row, B, bits 24..27
// Rows: 0 时钟, 1 Mode, 2 Trim, 3 Lock(category), 4 Lock, 5 Fixed.
std::vector<cfgc::ImageRecord> StandardRecords() {
  return {Record(0, 0, 0, 3, {3, 1, 0}, "Mode", "A|B|C"), Record(1, 1, 8, 1, {1, 0}, "Lock", "Off|On"),
          Record(2, 0, 16, 8, {}, "Trim"), Record(7, 1, 24, 4, {}, "Fixed")};
}

class ConfigDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/chipcfg_dlg_test_XXXXXX";
    dir_ = ::mkdtemp(tmpl);
  }
  void TearDown() override {
    dialog_.reset();
    std::filesystem::remove_all(dir_);
  }

  std::string WriteFile(const std::vector<cfgc::ImageRecord>& records, int namePercent = 40,
                        const std::string& chip = "T6") {
    cfgc::ConfigImage image;
    cfgc::SetStandardMagic(image);
    cfgc::SetHeaderU16(image, layout::kListWidth, 400);
    cfgc::SetHeaderU16(image, layout::kListHeight, 300);
    cfgc::SetHeaderU16(image, layout::kNamePercent, static_cast<uint16_t>(namePercent));
    std::copy(chip.begin(), chip.end(), image.header.begin() + layout::kChipName);
    const char* categories[] = {"时钟", "Lock"};
    for (size_t i = 0; i < 2; ++i) {
      std::vector<uint8_t> text;
      cfgc::StoredText(categories[i], "GBK", text);
      std::copy(text.begin(), text.end(), image.header.begin() + layout::kCategoryNames + i * layout::kCategoryField);
    }
    image.records = records;
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(cfgc::EncodeConfigImage(image, bytes));
    const std::string path = dir_ + "/" + chip + ".cfg";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
  }

  void Open(const std::string& path) {
    dialog_ = std::make_unique<CConfigDlg>();
    ASSERT_TRUE(dialog_->CheckConfigFile(path));
    dialog_->SetConfigBuffer(config_.data());
    dialog_->show();
    dialog_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
    list_ = dialog_->PropList()->List();
  }
  void OpenStandard() { Open(WriteFile(StandardRecords())); }

  QWidget* Body() const { return list_->viewport(); }
  CListItem* Row(int row) const { return list_->Row(row); }
  void ClickValue(int row) { QTest::mouseClick(Body(), Qt::LeftButton, {}, list_->EditorCell(row).center()); }
  QPoint NamePoint(int row) const { return list_->RowRect(row).topLeft() + QPoint(60, list_->RowHeight(row) - 6); }
  QPoint GlyphPoint(int row) const { return list_->RowRect(row).topRight() + QPoint(-11, 15); }
  std::vector<int> Heights() const {
    std::vector<int> h;
    for (int i = 0; i < list_->RowCount(); ++i) h.push_back(list_->RowHeight(i));
    return h;
  }
  QLineEdit* OpenNumberField(int row) {
    ClickValue(row);
    auto* field = qobject_cast<QLineEdit*>(Row(row)->Editor());
    EXPECT_TRUE(field && field->isVisible());
    return field;
  }
  void ClickOk() { QTest::mouseClick(dialog_->OkButton(), Qt::LeftButton); }

  std::string dir_;
  Config config_ = {0x01, 0x01, 0x33, 0xA7, 0x5C, 0xEE, 0x00, 0xFF};
  std::unique_ptr<CConfigDlg> dialog_;
  CMyList* list_ = nullptr;
};

constexpr int kMode = 1, kTrim = 2, kLockCategory = 3, kLock = 4, kFixed = 5;

TEST_F(ConfigDlgTest, CategorySpreadOverTheFileShowsTogetherAndEachItemWritesFromItsOwnRow) {
  OpenStandard();
  const std::vector<std::pair<QString, int>> rows = {{"时钟", kRowTypeCategory}, {"Mode", kRowTypePlain},
                                                     {"Trim", kRowTypeNumber},   {"Lock", kRowTypeCategory},
                                                     {"Lock", kRowTypePlain},    {"Fixed", kRowTypePlain}};
  ASSERT_EQ(list_->RowCount(), 6);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Row(i)->Name(), rows[static_cast<size_t>(i)].first) << i;
    EXPECT_EQ(Row(i)->RowType(), rows[static_cast<size_t>(i)].second) << i;
  }
  EXPECT_EQ(Heights(), (std::vector<int>{25, 20, 20, 25, 20, 20}));
  // Item i is bound to its own row, not to the row at its file position.
  EXPECT_EQ(dialog_->ItemRow(0), Row(kMode));
  EXPECT_EQ(dialog_->ItemRow(1), Row(kLock));
  EXPECT_EQ(dialog_->ItemRow(2), Row(kTrim));
  EXPECT_EQ(dialog_->ItemRow(3), Row(kFixed));
  EXPECT_EQ(Row(kMode)->GetValue(), 1) << "raw 1 is option B";
  EXPECT_EQ(Row(kLock)->GetValue(), 0);
  EXPECT_EQ(Row(kTrim)->GetValue(), 0x33);
  EXPECT_EQ(Row(kFixed)->GetValue(), 7);

  ClickValue(kMode);
  auto* combo = qobject_cast<QComboBox*>(Row(kMode)->Editor());
  ASSERT_TRUE(combo && combo->isVisible());
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(dialog_->PropList()->Description(), QStringLiteral("Mode 说明"));
  combo->setCurrentIndex(0);  // A: value 3

  ClickValue(kLock);
  EXPECT_FALSE(combo->isVisible()) << "one editor at a time";
  auto* box = qobject_cast<QCheckBox*>(Row(kLock)->Editor());
  ASSERT_TRUE(box && box->isVisible());
  EXPECT_EQ(box->text(), QStringLiteral("Off"));
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(box->text(), QStringLiteral("On"));
  EXPECT_EQ(Row(kLock)->GetValue(), 1);

  QLineEdit* field = OpenNumberField(kTrim);
  EXPECT_EQ(field->text(), QStringLiteral("33"));
  QTest::keyClicks(field, "5a");
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_FALSE(field->isVisible());
  EXPECT_EQ(Row(kTrim)->GetValue(), 0x5A);

  ClickOk();
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  const Config want = {0x03, 0x00, 0x5A, 0xA7, 0x5C, 0xEE, 0x00, 0xFF};
  EXPECT_EQ(config_, want);
}

TEST_F(ConfigDlgTest, CollapsingHidesRowsAndTheOpenEditorAndHiddenItemsAreStillWritten) {
  OpenStandard();
  ClickValue(kLock);
  QTest::mouseClick(qobject_cast<QCheckBox*>(Row(kLock)->Editor()), Qt::LeftButton);
  QLineEdit* field = OpenNumberField(kTrim);
  QTest::keyClicks(field, "7");

  QTest::mouseClick(Body(), Qt::LeftButton, {}, GlyphPoint(0));
  EXPECT_FALSE(field->isVisible());
  EXPECT_EQ(Row(kTrim)->GetValue(), 7) << "hiding a modified field commits it";
  EXPECT_EQ(list_->CurrentRow(), -1);
  QTest::mouseClick(Body(), Qt::LeftButton, {}, GlyphPoint(kLockCategory));
  EXPECT_EQ(Heights(), (std::vector<int>{25, 0, 0, 25, 0, 0}));
  EXPECT_FALSE(Row(kLock)->Shown());
  EXPECT_FALSE(Row(0)->Shown());
  EXPECT_FALSE(list_->verticalScrollBar()->isEnabled());

  ClickOk();
  EXPECT_EQ(config_[1], 0x00);
  EXPECT_EQ(config_[2], 0x07);
  EXPECT_EQ(config_[0], 0x01);
}

TEST_F(ConfigDlgTest, DividerDragStaysWithin16And84Percent) {
  OpenStandard();
  EXPECT_EQ(list_->NamePercent(), 40);
  const int width = Body()->width();
  const int y = list_->RowRect(kMode).center().y();
  QTest::mousePress(Body(), Qt::LeftButton, {}, QPoint(DividerX(0, width, 40) + 2, y));
  EXPECT_TRUE(list_->Dragging());
  struct Step {
    int x;
    int percent;
  };
  const Step steps[] = {{width / 5, width / 5 * 100 / width + 1}, {2, 0}, {-30, 0}, {(width * 83 + 99) / 100 + 1, 84},
                        {width - 2, 84}, {width + 50, 84}};
  int expected = 40;
  for (const Step& s : steps) {
    QTest::mouseMove(Body(), QPoint(s.x, y));
    if (s.percent != 0) expected = s.percent;
    EXPECT_EQ(list_->NamePercent(), expected) << s.x;
  }
  QTest::mouseRelease(Body(), Qt::LeftButton, {}, QPoint(width - 2, y));
  EXPECT_FALSE(list_->Dragging());
  EXPECT_EQ(list_->CurrentRow(), -1) << "grabbing the divider selects nothing";

  // A share of 85 from the file shows as it is; it is only the drag that stops at 84.
  dialog_.reset();
  Open(WriteFile(StandardRecords(), 85, "T85"));
  EXPECT_EQ(list_->NamePercent(), 85);
  dialog_.reset();
  Open(WriteFile(StandardRecords(), 86, "T86"));
  EXPECT_EQ(list_->NamePercent(), 30);
}

TEST_F(ConfigDlgTest, NumberFieldTakesEightDigitsAndStillClosesOnEnterAndEsc) {
  OpenStandard();
  QLineEdit* field = OpenNumberField(kTrim);
  EXPECT_EQ(field->selectedText(), QStringLiteral("33"));
  QTest::keyClicks(field, "123456789");
  EXPECT_EQ(field->text(), QStringLiteral("12345678"));
  QTest::keyClicks(field, "G-");
  EXPECT_EQ(field->text(), QStringLiteral("12345678"));
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_FALSE(field->isVisible());
  EXPECT_TRUE(dialog_->isVisible()) << "Enter closes the field, not the dialog";
  EXPECT_EQ(Row(kTrim)->GetValue(), 0x12345678);

  field = OpenNumberField(kTrim);
  QTest::keyClick(field, Qt::Key_End);
  QTest::keyClicks(field, "9");
  EXPECT_EQ(field->text(), QStringLiteral("12345678"));
  QTest::keyClick(field, Qt::Key_Backspace);
  QTest::keyClicks(field, "Fx");
  EXPECT_EQ(field->text(), QStringLiteral("1234567F"));
  QTest::keyClick(field, Qt::Key_Escape);
  EXPECT_FALSE(field->isVisible());
  EXPECT_TRUE(dialog_->isVisible()) << "Esc closes the field, not the dialog";
  EXPECT_EQ(Row(kTrim)->GetValue(), 0x12345678) << "Esc drops the typed text";
  QTest::mouseClick(Body(), Qt::LeftButton, {}, NamePoint(kLock));  // focus elsewhere: nothing comes back
  EXPECT_EQ(Row(kTrim)->GetValue(), 0x12345678);

  ClickOk();
  EXPECT_EQ(config_[2], 0x78) << "the field is 8 bits wide";
  EXPECT_EQ(config_[3], 0xA7);
}

TEST_F(ConfigDlgTest, PastedAndInputMethodTextThatIsNotHexIsRefusedLikeTypedKeys) {
  OpenStandard();
  QLineEdit* field = OpenNumberField(kTrim);
  field->setText(QStringLiteral("12"));
  field->end(false);
  QGuiApplication::clipboard()->setText(QStringLiteral("3G"));
  field->paste();
  EXPECT_EQ(field->text(), QStringLiteral("12")) << "a paste with a non-hex character is refused whole";
  QGuiApplication::clipboard()->setText(QStringLiteral("aB"));
  field->paste();
  EXPECT_EQ(field->text(), QStringLiteral("12aB"));

  QInputMethodEvent composed;
  composed.setCommitString(QStringLiteral("\uFF11\uFF12"));  // full-width digits from an input method
  QApplication::sendEvent(field, &composed);
  EXPECT_EQ(field->text(), QStringLiteral("12aB"));
  QInputMethodEvent digits;
  digits.setCommitString(QStringLiteral("7"));
  QApplication::sendEvent(field, &digits);
  EXPECT_EQ(field->text(), QStringLiteral("12aB7"));

  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(Row(kTrim)->GetValue(), 0x12AB7) << "what stands in the field is what is committed";
}

TEST_F(ConfigDlgTest, DropDownWithoutMatchingOptionOpensUnselectedAndOkLeavesItsField) {
  config_[0] = 0xF7;  // raw 7: no value-list entry, no option 7
  OpenStandard();
  EXPECT_EQ(Row(kMode)->GetValue(), kNoSelection);
  ClickValue(kMode);
  auto* combo = qobject_cast<QComboBox*>(Row(kMode)->Editor());
  ASSERT_TRUE(combo && combo->isVisible());
  EXPECT_EQ(combo->currentIndex(), -1);
  EXPECT_EQ(combo->count(), 3);
  // The open list is at least as wide as the widest label needs, and drops below the box.
  auto* row = static_cast<CComboItem*>(Row(kMode));
  const QFontMetrics metrics(list_->NormalFont());
  int widest = 0;
  for (const char* label : {"A", "B", "C"}) widest = std::max(widest, metrics.horizontalAdvance(QString::fromLatin1(label)));
  EXPECT_EQ(row->ListWidth(), widest + 12);
  combo->showPopup();
  EXPECT_TRUE(row->DroppedDown());
  EXPECT_GE(combo->view()->width(), row->ListWidth());
  EXPECT_GE(combo->view()->mapToGlobal(QPoint(0, 0)).y(), combo->mapToGlobal(QPoint(0, combo->height() - 1)).y());
  combo->hidePopup();
  EXPECT_FALSE(row->DroppedDown());
  ClickOk();
  EXPECT_EQ(config_[0], 0xF7);
}

TEST_F(ConfigDlgTest, CategoryNameClickDoesNothingGlyphAndDoubleClickToggle) {
  OpenStandard();
  QTest::mouseClick(Body(), Qt::LeftButton, {}, NamePoint(0));
  EXPECT_EQ(list_->CurrentRow(), -1);
  EXPECT_TRUE(Row(0)->Shown());
  EXPECT_EQ(list_->RowHeight(kMode), 20);

  QTest::mouseClick(Body(), Qt::LeftButton, {}, GlyphPoint(0));
  EXPECT_FALSE(Row(0)->Shown());
  EXPECT_EQ(list_->RowHeight(kMode), 0);
  QTest::mouseClick(Body(), Qt::LeftButton, {}, GlyphPoint(0));
  EXPECT_TRUE(Row(0)->Shown());

  QTest::mouseClick(Body(), Qt::LeftButton, {}, NamePoint(kLockCategory));
  QTest::mouseDClick(Body(), Qt::LeftButton, {}, NamePoint(kLockCategory));
  EXPECT_FALSE(Row(kLockCategory)->Shown());
  EXPECT_EQ(Heights(), (std::vector<int>{25, 20, 20, 25, 0, 0}));
  EXPECT_EQ(list_->CurrentRow(), -1);
  QTest::mouseDClick(Body(), Qt::LeftButton, {}, NamePoint(kLockCategory));
  EXPECT_TRUE(Row(kLockCategory)->Shown());

  // A double click on an item row selects it and toggles nothing.
  QTest::mouseDClick(Body(), Qt::LeftButton, {}, NamePoint(kFixed));
  EXPECT_EQ(list_->CurrentRow(), kFixed);
  EXPECT_EQ(Heights(), (std::vector<int>{25, 20, 20, 25, 20, 20}));
}

TEST_F(ConfigDlgTest, CancelAfterEditsLeavesAll32BytesAsTheyWere) {
  for (size_t i = 0; i < config_.size(); ++i) config_[i] = static_cast<uint8_t>(0x3D * i + 1);
  const Config before = config_;
  const auto cancelBy = {0, 1};  // Cancel button, Esc on the dialog
  for (int how : cancelBy) {
    OpenStandard();
    ClickValue(kMode);
    qobject_cast<QComboBox*>(Row(kMode)->Editor())->setCurrentIndex(2);
    ClickValue(kLock);
    QTest::mouseClick(qobject_cast<QCheckBox*>(Row(kLock)->Editor()), Qt::LeftButton);
    QLineEdit* field = OpenNumberField(kTrim);
    QTest::keyClicks(field, "AB");
    QTest::keyClick(field, Qt::Key_Return);
    if (how == 0) {
      QTest::mouseClick(dialog_->CancelButton(), Qt::LeftButton);
    } else {
      QTest::keyClick(list_, Qt::Key_Escape);
    }
    EXPECT_EQ(dialog_->result(), QDialog::Rejected) << how;
    EXPECT_FALSE(dialog_->isVisible()) << how;
    EXPECT_EQ(config_, before) << how;
    dialog_.reset();
  }
}

TEST_F(ConfigDlgTest, TypedNumberIsWrittenWhenOkIsClickedWithTheFieldStillOpen) {
  // With a button that takes the focus the field commits on losing it; with one that does not, OK itself lets
  // the field commit before the items are written. Enter reaching the dialog's default button is the same.
  enum How { kFocusButton, kNoFocusButton, kEnterOnList };
  for (How how : {kFocusButton, kNoFocusButton, kEnterOnList}) {
    config_[2] = 0x33;
    OpenStandard();
    QLineEdit* field = OpenNumberField(kTrim);
    QTest::keyClicks(field, "ABC");
    if (how == kEnterOnList) {
      QTest::keyClick(field, Qt::Key_Return);
      QTest::keyClick(list_, Qt::Key_Return);
    } else {
      if (how == kNoFocusButton) dialog_->OkButton()->setFocusPolicy(Qt::NoFocus);
      ClickOk();
    }
    EXPECT_EQ(dialog_->result(), QDialog::Accepted) << how;
    EXPECT_EQ(config_[2], 0xBC) << how;  // 0xABC in an 8-bit field
    dialog_.reset();
  }
}

TEST_F(ConfigDlgTest, KeyboardMovesTheSelectionOverShownRows) {
  OpenStandard();
  QTest::mouseClick(Body(), Qt::LeftButton, {}, GlyphPoint(0));  // close 时钟: rows 1 and 2 hidden
  list_->setFocus();
  QTest::keyClick(list_, Qt::Key_Down);
  EXPECT_EQ(list_->CurrentRow(), 0);
  QTest::keyClick(list_, Qt::Key_Down);
  EXPECT_EQ(list_->CurrentRow(), kLockCategory);
  QTest::keyClick(list_, Qt::Key_End);
  EXPECT_EQ(list_->CurrentRow(), kFixed);
  QTest::keyClick(list_, Qt::Key_Up);
  EXPECT_EQ(list_->CurrentRow(), kLock);
}

TEST_F(ConfigDlgTest, RowsAreDrawnInTheirColours) {
  OpenStandard();
  ClickValue(kFixed);  // a plain row: selected, no editor
  EXPECT_EQ(list_->CurrentRow(), kFixed);
  const QImage image = Body()->grab().toImage();
  const int divider = DividerX(0, Body()->width(), 40);
  auto at = [&](int row, int x, int dy) { return image.pixelColor(x, list_->RowRect(row).top() + dy).rgb() & 0xFFFFFF; };
  EXPECT_EQ(at(0, divider, 2), 0xFFFFFFu) << "white strip above the band";
  EXPECT_EQ(at(0, divider, 12), proplist::kCategoryColour);
  EXPECT_EQ(at(kFixed, divider - 8, 10), proplist::kSelectionColour);
  EXPECT_EQ(at(kFixed, divider - 1, 10), proplist::kCategoryColour) << "cell frame";
  EXPECT_EQ(at(kFixed, Body()->width() - 4, 10), 0xFFFFFFu) << "value cell";
  EXPECT_EQ(at(kLock, divider - 8, 10), QApplication::palette().color(QPalette::Button).rgb() & 0xFFFFFF);
}

TEST_F(ConfigDlgTest, StartsSizedFromTheMega16HeaderAndFollowsResizing) {
  config_ = {0xE1, 0x99, 0xFF, 0xFF};
  Open(ConfigFilePath("MEGA16"));
  EXPECT_EQ(dialog_->size(), QSize(464, 478));
  CPropListCtrl* prop = dialog_->PropList();
  EXPECT_EQ(prop->geometry(), QRect(2, 2, 460, 420));
  EXPECT_EQ(dialog_->OkButton()->pos(), QPoint(184, 430));
  EXPECT_EQ(dialog_->CancelButton()->pos(), QPoint(316, 430));
  EXPECT_EQ(list_->geometry(), QRect(0, 0, 460, 360));
  EXPECT_EQ(dialog_->windowTitle(), QStringLiteral("Dialog"));
  EXPECT_EQ(dialog_->ItemCount(), 13);
  EXPECT_EQ(list_->RowCount(), 13 + 5);

  dialog_->resize(564, 528);
  QApplication::processEvents();
  EXPECT_EQ(prop->geometry(), QRect(2, 2, 560, 470));
  EXPECT_EQ(dialog_->OkButton()->pos(), QPoint(284, 480));
  EXPECT_EQ(dialog_->CancelButton()->pos(), QPoint(416, 480));
  ClickOk();
  EXPECT_EQ(config_, (Config{0xE1, 0x99, 0xFF, 0xFF})) << "OK without edits writes the same bytes";
}

TEST_F(ConfigDlgTest, UnreadableItemsGiveAnEmptyEditorThatWritesNothing) {
  auto records = StandardRecords();
  records[2].category = 7;  // passes the file check, fails reading the items
  const Config before = config_;
  Open(WriteFile(records));
  EXPECT_EQ(list_->RowCount(), 0);
  EXPECT_EQ(dialog_->size(), QSize(393, 309));
  ClickOk();
  EXPECT_EQ(config_, before);
}

TEST_F(ConfigDlgTest, OpenConfigEditorRefusesAFileThatFailsTheCheck) {
  std::string path = WriteFile(StandardRecords());
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  std::fseek(f, 20, SEEK_SET);
  std::fputc('X', f);
  std::fclose(f);
  EXPECT_FALSE(OpenConfigEditor(nullptr, path, config_.data()));
  EXPECT_FALSE(OpenConfigEditor(nullptr, dir_ + "/NONE.cfg", config_.data()));
}

}  // namespace
}  // namespace orven::chipcfg
