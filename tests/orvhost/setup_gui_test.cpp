// --gui: the setup dialog goes to the Qt view instead of the printing one, whatever --answer says, and the
// view's buttons reach the driver's record.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "driver-ui/qt/setup_dlg_view.h"
#include "host/debug_host.h"
#include "tools/orvhost/console_events.h"
#include "tools/orvhost/setup_gui.h"

namespace orven::orvhost {
namespace {

OrvendUi g_ui{};
uint32_t FakeInit(uint16_t, void*) { return 0; }
void FakeSetUi(const OrvendUi* ui) { g_ui = ui != nullptr ? *ui : OrvendUi{}; }

struct Calls {
  int ok = 0;
  int cancel = 0;
};

TEST(SetupGui, TheQtViewRunsTheDialogAndItsButtonsReachTheRecord) {
  ASSERT_TRUE(SetupGuiAvailable());
  host::DriverEntryPoints api;
  api.Init = &FakeInit;
  api.SetUi = &FakeSetUi;
  char* text = nullptr;
  size_t size = 0;
  FILE* out = open_memstream(&text, &size);
  Console console(out, stderr);
  ConsoleEvents events(console, AnswerMode::kNo);
  host::DebugHost host(api, events);
  int argc = 1;
  char name[] = "orvhost";
  char* argv[] = {name, nullptr};
  InstallSetupGui(host, argc, argv);
  host.Bind();

  static const char* const kVendors[] = {"ATMEL", "NXP"};
  static const char* const kModels[] = {"P89V51RB2  [ZIF]", "P89V51RC2 [ZIF]"};
  Calls calls;
  OrvendSetupDialog d{};
  d.context = &calls;
  d.caption = "NORDA  QX410 MCU Development Kit  V1.06";
  d.ok_label = "确定";
  d.cancel_label = "取消";
  d.vendor_names = kVendors;
  d.vendor_count = 2;
  d.vendor_selection = 1;
  d.model_names = kModels;
  d.model_count = 2;
  d.model_selection = 0;
  d.chip_lists_enabled = 1;
  d.ok = [](void* c) { ++static_cast<Calls*>(c)->ok; };
  d.cancel = [](void* c) { ++static_cast<Calls*>(c)->cancel; };

  for (const bool pressOk : {true, false}) {
    QTimer::singleShot(0, [pressOk] {
      auto* view = qobject_cast<driverui::CSetupDlgView*>(QApplication::activeModalWidget());
      ASSERT_NE(view, nullptr);
      (pressOk ? view->OkButton() : view->CancelButton())->click();
    });
    EXPECT_EQ(g_ui.setup_dialog(g_ui.context, &d), pressOk ? 1 : 0);
  }
  EXPECT_EQ(calls.ok, 1);
  EXPECT_EQ(calls.cancel, 1);
  std::fclose(out);
  EXPECT_EQ(std::string(text, size), "") << "the printing dialog was used";
  std::free(text);
  RemoveSetupGui();
}

}  // namespace
}  // namespace orven::orvhost
