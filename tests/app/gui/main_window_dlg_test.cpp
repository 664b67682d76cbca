// The Qt window and the chip selection dialog under the offscreen platform, and the whole workflow against
// the built-in simulator: connect, choose a chip in the dialog, load a data file, automatic download.
#include "app/gui/main_window_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>

#include <QFileDialog>
#include <QListView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "tormik/device_environment.h"
#include "tormik/hex_file.h"
#include "app/gui/sel_chip_dlg.h"
#include "tormik/texts.h"
#include "hexview/hex_edit_widget.h"
#include "tests/app/gui/window_fixture.h"
#include "tests/support/qt_test_environment.h"

namespace orven::app::testing {
namespace {

// Runs action on the next modal dialog once it is open (its exec() blocks the caller).
void OnNextModal(std::function<void(QWidget*)> action) {
  QTimer::singleShot(0, [action] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
      OnNextModal(action);
      return;
    }
    action(modal);
  });
}

// Waits (processing events) until done() or about five seconds have passed.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 500 && !done(); ++i) QTest::qWait(10);
  return done();
}

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// --- the chip selection dialog ---

TEST(SelChipDlg, VendorChoiceListsItsChipsAndOkReturnsTheCatalogueIndex) {
  const ModelCatalogue& qx = Qx410Catalogue();
  ChipSelection selection(qx.vendors, qx.entries, 0, 0, qx.showNotes);
  CSelChipDlg dialog(selection);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), Q("芯片选择"));
  auto* vendors = dialog.findChild<QComboBox*>(QStringLiteral("vendors"));
  auto* chips = dialog.findChild<QListWidget*>(QStringLiteral("chips"));
  ASSERT_TRUE(vendors && chips);
  EXPECT_EQ(vendors->count(), 5);
  EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("noteZif"))->isVisible());
  EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("noteIsp"))->isVisible());

  vendors->setCurrentIndex(3);  // MICROCHIP
  ASSERT_EQ(chips->count(), 1);
  EXPECT_EQ(chips->item(0)->text(), Q("PIC16F877A [ISP]"));
  dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  ASSERT_TRUE(dialog.Result().has_value());
  EXPECT_EQ(dialog.Result()->catalogueIndex, 11);
  EXPECT_EQ(dialog.Result()->vendorPosition, 3);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(SelChipDlg, DoubleClickAcceptsAndOkWithoutAChipStaysOpen) {
  const ModelCatalogue& qx = Qx410Catalogue();
  ChipSelection selection(qx.vendors, qx.entries, 4, 0, qx.showNotes);  // NUVOTON(WINBOND)
  CSelChipDlg dialog(selection);
  dialog.show();
  auto* chips = dialog.findChild<QListWidget*>(QStringLiteral("chips"));
  ASSERT_EQ(chips->count(), 4);

  chips->clearSelection();
  dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(dialog.Result().has_value());

  const QRect third = chips->visualItemRect(chips->item(2));
  QTest::mouseClick(chips->viewport(), Qt::LeftButton, {}, third.center());
  QTest::mouseDClick(chips->viewport(), Qt::LeftButton, {}, third.center());
  EXPECT_FALSE(dialog.isVisible());
  ASSERT_TRUE(dialog.Result().has_value());
  EXPECT_EQ(dialog.Result()->catalogueIndex, 25);
  EXPECT_EQ(dialog.Result()->listPosition, 2);
}

TEST(SelChipDlg, OrvenfHasOneVendorSevenChipsAndNoNotes) {
  const ModelCatalogue& orvenf = OrvenfCatalogue();
  ChipSelection selection(orvenf.vendors, orvenf.entries, 0, 0, orvenf.showNotes);
  CSelChipDlg dialog(selection);
  dialog.show();
  EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("vendors"))->count(), 1);
  EXPECT_EQ(dialog.findChild<QListWidget*>(QStringLiteral("chips"))->count(), 7);
  EXPECT_FALSE(dialog.findChild<QLabel*>(QStringLiteral("noteZif"))->isVisible());
  EXPECT_FALSE(dialog.findChild<QLabel*>(QStringLiteral("noteIsp"))->isVisible());
}

TEST(QtFileFilter, FromPairs) {
  EXPECT_EQ(QtFileFilter(texts::kHexFileFilter), QStringLiteral("Intel Hex file(*.hex) (*.hex);;All Files (*.*) (*)"));
  EXPECT_EQ(QtFileFilter("Data|*.bin||"), QStringLiteral("Data (*.bin)"));
}

TEST(QtFileFilter, AllFilesListsFilesWithoutAnExtensionAndTheLabelsStayAsWritten) {
  TempDir dir;
  std::ofstream(dir.Path("blink.hex")) << ":00000001FF\n";
  std::ofstream(dir.Path("firmware")) << ":00000001FF\n";
  QFileDialog dialog(nullptr, QString(), QString::fromStdString(dir.Path("")), QtFileFilter(texts::kHexFileFilter));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  ASSERT_NE(types, nullptr);
  EXPECT_EQ(types->itemText(0), QStringLiteral("Intel Hex file(*.hex)"));
  EXPECT_EQ(types->itemText(1), QStringLiteral("All Files (*.*)"));
  dialog.show();
  auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
  ASSERT_NE(list, nullptr);
  QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 1);
  dialog.selectNameFilter(dialog.nameFilters()[1]);
  QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 2);
}

// --- the main window ---

// A window whose log hook runs checks while the worker waits inside a notification.
class ProbedDlg : public CORVENXFlashDlg {
 public:
  using CORVENXFlashDlg::CORVENXFlashDlg;
  std::function<void(const std::string&)> onLog;

 protected:
  void AppendLog(const std::string& text) override {
    CORVENXFlashDlg::AppendLog(text);
    if (onLog) onLog(text);
  }
};

class MainWindowDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = DeviceEnvironment::Create(true);
    window_ = std::make_unique<ProbedDlg>(env_->Backend(), env_->GetClock(), dir_.Path("SETUP.ini"));
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }
  void TearDown() override { window_.reset(); }

  QString LogText() const { return window_->LogView()->toPlainText(); }
  bool Idle() const { return !window_->Logic().Controls().operationRunning && !window_->Logic().Api().IsBusy(); }

  TempDir dir_;
  std::unique_ptr<DeviceEnvironment> env_;
  std::unique_ptr<ProbedDlg> window_;
};

TEST_F(MainWindowDlgTest, TitleCaptionsAndTheAboutEntry) {
  EXPECT_EQ(window_->windowTitle(), Q("TORMIK V2.03"));
  EXPECT_EQ(window_->ConnectButton()->text(), Q("连    接"));
  EXPECT_EQ(window_->ModelChoice()->itemText(0), Q("QX410 MCU Development Kit"));
  EXPECT_EQ(window_->ModelChoice()->itemText(1), Q("ORVENF Emulator"));
  EXPECT_EQ(window_->Tabs()->tabText(0), Q("操作信息"));
  EXPECT_EQ(window_->Tabs()->tabText(1), Q("数据缓冲区"));
  EXPECT_FALSE(window_->Progress()->isVisible());
  EXPECT_TRUE(window_->LogView()->isVisible());
  EXPECT_FALSE(window_->HexView()->isVisible());
  EXPECT_EQ(window_->HexView()->geometry(), QRect(2, std::max(22, window_->Tabs()->height()), 482, 276));
  QStringList entries;
  for (QAction* menu : window_->findChild<QMenuBar*>()->actions()) {
    for (QAction* action : menu->menu()->actions()) entries << action->text();
  }
  EXPECT_TRUE(entries.contains(Q("关于 TORMIK(&A)..."))) << entries.join('|').toStdString();
}

TEST_F(MainWindowDlgTest, EnterEscapeAndSpaceAreSwallowed) {
  window_->ConnectButton()->setFocus();
  QTest::keyClick(window_->ConnectButton(), Qt::Key_Space);
  QTest::keyClick(window_->ConnectButton(), Qt::Key_Return);
  QTest::keyClick(window_.get(), Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_FALSE(window_->Logic().Api().IsIdentified());
  EXPECT_TRUE(LogText().isEmpty());
}

TEST_F(MainWindowDlgTest, TabsSwitchBetweenLogAndHexViewAndConnectBringsTheLogBack) {
  window_->Tabs()->setCurrentIndex(1);
  EXPECT_TRUE(window_->HexView()->isVisible());
  EXPECT_FALSE(window_->LogView()->isVisible());
  QTest::mouseClick(window_->ConnectButton(), Qt::LeftButton);
  EXPECT_EQ(window_->Tabs()->currentIndex(), 0);
  EXPECT_TRUE(window_->LogView()->isVisible());
  EXPECT_EQ(LogText(), Q("设备连接成功, 型号: QX410\n"));
  EXPECT_EQ(window_->ConnectButton()->text(), Q("断开连接"));
  EXPECT_FALSE(window_->ModelChoice()->isVisible());
  EXPECT_EQ(window_->findChild<QLabel*>(QStringLiteral("modelLabel"))->text(), Q("QX410(ORVEND) [已连接]"));
}

TEST_F(MainWindowDlgTest, WhileAnOperationRunsTheChipControlsAreOffAndTheHexViewOnlyBeeps) {
  int beeps = 0;
  window_->HexView()->SetBeepHandler([&] { ++beeps; });
  QTest::mouseClick(window_->ConnectButton(), Qt::LeftButton);
  window_->Tabs()->setCurrentIndex(1);
  uint8_t* image = window_->Logic().Buffer().Image();

  bool probed = false;
  window_->onLog = [&](const std::string& text) {
    if (text != "写入...\n" || probed) return;
    probed = true;
    for (QPushButton* b : {window_->ConnectButton(), window_->ChipSelectButton(), window_->DataFileButton(),
                           window_->ConfigButton()}) {
      EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    }
    for (int i = 0; i < kOpButtonCount; ++i) EXPECT_FALSE(window_->OperationButton(static_cast<OpButton>(i))->isEnabled());
    EXPECT_TRUE(window_->Progress()->isVisible());
    EXPECT_TRUE(window_->HexView()->Ctrl().ReadOnly());
    QTest::keyClicks(window_->HexView(), QStringLiteral("a5"));
  };
  QTest::mouseClick(window_->OperationButton(OpButton::kWrite), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return Idle(); }));
  EXPECT_TRUE(probed);
  EXPECT_EQ(beeps, 2);
  EXPECT_EQ(image[0], 0xFF);
  EXPECT_TRUE(LogText().endsWith(Q("烧写完成.\n")));
  EXPECT_EQ(window_->Tabs()->currentIndex(), 1);  // operation lines do not switch tabs

  EXPECT_FALSE(window_->Progress()->isVisible());
  EXPECT_TRUE(window_->OperationButton(OpButton::kErase)->isEnabled());
  EXPECT_FALSE(window_->HexView()->Ctrl().ReadOnly());
  window_->HexView()->setFocus();
  QTest::keyClicks(window_->HexView(), QStringLiteral("a5"));
  EXPECT_EQ(beeps, 2);
  EXPECT_EQ(image[0], 0xA5);
}

TEST_F(MainWindowDlgTest, ClosingIsRefusedWhileAnOperationRuns) {
  QTest::mouseClick(window_->ConnectButton(), Qt::LeftButton);
  bool closedDuring = true;
  window_->onLog = [&](const std::string& text) {
    if (text != "查空...\n") return;
    window_->close();
    closedDuring = !window_->isVisible();
  };
  QTest::mouseClick(window_->OperationButton(OpButton::kBlankCheck), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return Idle(); }));
  EXPECT_FALSE(closedDuring);
  EXPECT_TRUE(window_->isVisible());
}

TEST_F(MainWindowDlgTest, ConfigurationButtonOpensTheEditorOnTheChipsBuffer) {
  // "ATmega16 [ISP]" has a configuration file; its defaults are in the buffer after the chip refresh.
  OnNextModal([](QWidget* modal) {
    auto* dialog = qobject_cast<CSelChipDlg*>(modal);
    ASSERT_NE(dialog, nullptr);
    auto* chips = dialog->findChild<QListWidget*>(QStringLiteral("chips"));
    chips->setCurrentItem(chips->findItems(QStringLiteral("ATmega16 [ISP]"), Qt::MatchExactly).first());
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  QTest::mouseClick(window_->ChipSelectButton(), Qt::LeftButton);
  ASSERT_EQ(window_->Logic().ChipIndex(), 7);
  ASSERT_TRUE(window_->ConfigButton()->isVisible());
  const uint8_t* config = window_->Logic().Buffer().Config();
  EXPECT_EQ(config[0], 0xE1);

  QString caption;
  OnNextModal([&caption](QWidget* modal) {
    caption = modal->windowTitle();
    static_cast<QDialog*>(modal)->reject();
  });
  QTest::mouseClick(window_->ConfigButton(), Qt::LeftButton);
  EXPECT_EQ(caption, Q("Dialog")) << "the configuration editor opened";
  EXPECT_EQ(config[0], 0xE1) << "Cancel leaves the buffer";
}

// The whole workflow, through the window's own controls and dialogs.
TEST_F(MainWindowDlgTest, EndToEndAutomaticDownloadIntoTheSimulator) {
  QTest::mouseClick(window_->ConnectButton(), Qt::LeftButton);
  ASSERT_TRUE(window_->Logic().Connected());

  OnNextModal([](QWidget* modal) {
    auto* dialog = qobject_cast<CSelChipDlg*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QComboBox*>(QStringLiteral("vendors"))->setCurrentIndex(2);  // STC
    auto* chips = dialog->findChild<QListWidget*>(QStringLiteral("chips"));
    const QList<QListWidgetItem*> found = chips->findItems(QStringLiteral("STC12C5A60S2 [ZIF]"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    chips->setCurrentItem(found.first());
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  QTest::mouseClick(window_->ChipSelectButton(), Qt::LeftButton);
  ASSERT_EQ(window_->Logic().ChipIndex(), 22);
  EXPECT_TRUE(window_->OperationButton(OpButton::kAuto)->isVisible());
  EXPECT_FALSE(window_->OperationButton(OpButton::kErase)->isVisible());
  EXPECT_TRUE(window_->ConfigButton()->isVisible());

  const QString hexPath = QString::fromStdString(ExampleHexPath());
  OnNextModal([hexPath](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->nameFilters().first(), QStringLiteral("Intel Hex file(*.hex) (*.hex)"));
    EXPECT_TRUE(dialog->testOption(QFileDialog::HideNameFilterDetails)) << "the labels show as written";
    dialog->selectFile(hexPath);
    static_cast<QDialog*>(dialog)->accept();  // as the dialog's own open button does
  });
  QTest::mouseClick(window_->DataFileButton(), Qt::LeftButton);
  ASSERT_EQ(window_->Logic().Controls().dataFile, hexPath.toStdString());

  QTest::mouseClick(window_->OperationButton(OpButton::kAuto), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return Idle(); }));
  EXPECT_TRUE(LogText().contains(Q("烧写完成.")));

  window_->Tabs()->setCurrentIndex(1);
  ASSERT_TRUE(window_->HexView()->isVisible());
  std::vector<uint8_t> expected(ImageBuffer::kImageSize, 0xFF);
  ASSERT_TRUE(LoadHexFile(ExampleHexPath(), expected.data(), 0xF000, {}));
  const hexview::CHexEditCtrl& view = window_->HexView()->Ctrl();
  ASSERT_EQ(view.Data(), window_->Logic().Buffer().Image());
  char row[64];
  std::snprintf(row, sizeof row, "%02X %02X %02X %02X", expected[0], expected[1], expected[2], expected[3]);
  EXPECT_TRUE(view.HexRowText(0).starts_with(row)) << view.HexRowText(0);
  const std::vector<uint8_t> flash = env_->SimQx410()->Flash();
  ASSERT_EQ(flash.size(), 0xF000u);
  EXPECT_TRUE(std::equal(flash.begin(), flash.end(), expected.begin()));
}

}  // namespace
}  // namespace orven::app::testing
