// A Qt host's road to the setup dialog: the Qt view installed through OrvendSetUi, the settings button as the
// capability codes 1 and 110, the product information read from the simulated emulator.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "driver-ui/qt/setup_dlg_view.h"
#include "driver/device.h"
#include "driver/driver_state.h"
#include "link/clock.h"
#include "orvend/orvend.h"
#include "sim/emulator_backend.h"
#include "tests/support/qt_test_environment.h"

namespace orven::driverui {
namespace {

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(8, w->height() / 2)); }

class SetupHost : public ::testing::Test {
 protected:
  void SetUp() override {
    driver::ResetStateForTesting();
    driver::UseTargetForTesting(nullptr);
    driver::UseDeviceForTesting(*backend, clock);
    ui.context = nullptr;
    ui.message_box = [](void*, int, const char* caption, const char* text) {
      Boxes().push_back(std::string(caption) + ": " + text);
      return 0;
    };
    ui.setup_dialog = &OrvendQtSetupDialog;
    OrvendSetUi(&ui);
    Boxes().clear();
  }
  void TearDown() override {
    OrvendSetUi(nullptr);
    driver::ReleaseDeviceForTesting();
    driver::ResetStateForTesting();
    EXPECT_TRUE(Boxes().empty()) << Boxes().front();
  }

  static std::vector<std::string>& Boxes() {
    static std::vector<std::string> boxes;
    return boxes;
  }

  // Acts on the dialog once it runs modally inside the capability call.
  static void WhenShown(std::function<void(CSetupDlgView&)> act) {
    QTimer::singleShot(0, [act] {
      auto* view = qobject_cast<CSetupDlgView*>(QApplication::activeModalWidget());
      ASSERT_NE(view, nullptr);
      act(*view);
    });
  }

  uint32_t Settings(uint32_t code, char* text) {
    OrvendCapRecord record{};
    record.option_text = text;
    return DllUv3Cap(code, &record);
  }

  VirtualClock clock;
  std::unique_ptr<sim::SimulatedEmulatorBackend> backend = sim::MakeSimulatedEmulatorBackend(clock);
  OrvendUi ui{};
};

TEST_F(SetupHost, CancelLeavesTheHostsTextAndAnswersZero) {
  char text[64] = "-E1 -F15 -V2 -C3";
  std::string product;
  WhenShown([&](CSetupDlgView& v) {
    product = v.ProductInfo()->toPlainText().toStdString();
    EXPECT_EQ(v.ModelList()->currentText().toStdString(), "STC12C5A40S2 [ZIF]");
    Click(v.PodBox());
    Click(v.PauseBox());
    v.VendorList()->setCurrentIndex(3);
    Click(v.CancelButton());
  });
  EXPECT_EQ(Settings(1, text), 0u);
  EXPECT_STREQ(text, "-E1 -F15 -V2 -C3");
  EXPECT_EQ(product, "固件版本: V2.06(Build 563)\n产品编号: 01ab007f\n");
}

TEST_F(SetupHost, OkWritesTheChoiceIntoTheHostsText) {
  char text[64] = "-E1 -F15 -V2 -C3";
  WhenShown([](CSetupDlgView& v) {
    Click(v.PodBox());
    EXPECT_FALSE(v.ModelList()->isEnabled());
    Click(v.OkButton());
  });
  EXPECT_EQ(Settings(110, text), 1u);
  EXPECT_STREQ(text, "-E1 -F16 -V2 -C3");

  WhenShown([](CSetupDlgView& v) {
    EXPECT_TRUE(v.PodBox()->isChecked());
    Click(v.PodBox());
    v.VendorList()->setCurrentIndex(1);
    v.ModelList()->setCurrentIndex(2);
    Click(v.PauseBox());
    Click(v.OkButton());
  });
  EXPECT_EQ(Settings(1, text), 1u);
  EXPECT_STREQ(text, "-E0 -F0 -V1 -C2");
}

// A vendor the list does not have opens on the first one; the driver keeps that, the host's text does not
// change after Cancel.
TEST_F(SetupHost, VendorOutOfRangeIsCorrectedInTheDriverOnly) {
  char text[64] = "-E1 -F15 -V7 -C1";
  WhenShown([](CSetupDlgView& v) {
    EXPECT_EQ(v.VendorList()->currentText().toStdString(), "ATMEL");
    EXPECT_EQ(v.ModelList()->currentText().toStdString(), "AT89S52 [ZIF]");
    Click(v.CancelButton());
  });
  EXPECT_EQ(Settings(1, text), 0u);
  EXPECT_STREQ(text, "-E1 -F15 -V7 -C1");
  EXPECT_EQ(driver::State().options.v.load(), 0);
}

}  // namespace
}  // namespace orven::driverui
