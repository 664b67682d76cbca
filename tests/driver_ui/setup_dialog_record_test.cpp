#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "driver-ui/setup_dialog_adapter.h"
#include "driver-ui/texts.h"

namespace orven::driverui {
namespace {

// A host's view scripted as a lambda: it gets the record, acts on it and answers.
using Script = std::function<int(OrvendSetupDialog*)>;

int ScriptedView(void* context, OrvendSetupDialog* dialog) { return (*static_cast<Script*>(context))(dialog); }

int RunView(SetupOptions& options, Script script, const uint8_t* identification = nullptr) {
  return RunSetupDialog(options, identification, &ScriptedView, &script);
}

TEST(SetupDialogRecord, ShowsTheModelAndFollowsTheHandlers) {
  SetupOptions options{1, 16, 0, 0};
  const int answer = RunView(options, [](OrvendSetupDialog* d) {
    EXPECT_STREQ(d->caption, "NORDA  QX410 MCU Development Kit  V1.06");
    EXPECT_STREQ(d->pod_label, "下载到仿真适配头(VELM5)");
    EXPECT_STREQ(d->ok_label, "确定");
    EXPECT_STREQ(d->pause_note, texts::kPauseNote);
    EXPECT_STREQ(d->product_text, texts::kNotConnected);
    EXPECT_EQ(d->vendor_count, 4u);
    EXPECT_STREQ(d->vendor_names[3], "NUVOTON(WINBOND)");
    EXPECT_EQ(d->vendor_selection, 0);
    EXPECT_EQ(d->model_count, 10u);
    EXPECT_EQ(d->model_selection, 0);
    EXPECT_EQ(d->pause_checked, 1);
    EXPECT_EQ(d->pod_checked, 1);
    EXPECT_EQ(d->chip_lists_enabled, 0);

    d->pod_box_clicked(d->context, 0);
    EXPECT_EQ(d->pod_checked, 0);
    EXPECT_EQ(d->chip_lists_enabled, 1);

    const uint32_t serial = d->model_list_serial;
    d->vendor_selected(d->context, 2);
    EXPECT_EQ(d->vendor_selection, 2);
    EXPECT_EQ(d->model_count, 8u);
    EXPECT_STREQ(d->model_names[0], "STC12C5A8S2 [ZIF]");
    EXPECT_STREQ(d->model_names[7], "STC12C5A60S2 [ZIF]");
    EXPECT_EQ(d->model_selection, 0);
    EXPECT_NE(d->model_list_serial, serial);

    d->model_selected(d->context, 4);
    d->pause_box_clicked(d->context, 0);
    EXPECT_EQ(d->model_selection, 4);
    EXPECT_EQ(d->pause_checked, 0);
    d->ok(d->context);
    return 1;
  });
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(options, (SetupOptions{0, 0, 2, 4}));
}

TEST(SetupDialogRecord, OnlyAnAnswerOfOneTakesTheChoice) {
  struct Case {
    const char* what;
    bool pressOk;
    int viewAnswer;
    int result;
    SetupOptions out;
  };
  // The view unticks the pod box and picks NXP's third chip each time.
  const Case cases[] = {
      {"OK", true, 1, 1, {1, 0, 1, 2}},
      {"answer 1 without the handler: the controls as they stand", false, 1, 1, {1, 0, 1, 2}},
      {"cancel", false, 0, 0, {1, 16, 0, 5}},
      {"ok handler, then closed another way", true, 0, 0, {1, 16, 0, 5}},
      {"a stray answer is not OK", true, 2, 0, {1, 16, 0, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetupOptions options{1, 16, 0, 5};
    const int result = RunView(options, [&](OrvendSetupDialog* d) {
      d->pod_box_clicked(d->context, 0);
      d->vendor_selected(d->context, 1);
      d->model_selected(d->context, 2);
      if (c.pressOk) {
        d->ok(d->context);
      } else {
        d->cancel(d->context);
      }
      return c.viewAnswer;
    });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(options, c.out);
  }
}

TEST(SetupDialogRecord, WithoutAViewTheDialogCancelsButKeepsTheVendorFix) {
  SetupOptions options{1, 15, 7, 3};
  EXPECT_EQ(RunSetupDialog(options, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(options, (SetupOptions{1, 15, 0, 3}));

  options = {1, 15, 7, 3};
  EXPECT_EQ(RunView(options, [](OrvendSetupDialog* d) {
              EXPECT_EQ(d->vendor_selection, 0);
              d->cancel(d->context);
              return 0;
            }),
            0);
  EXPECT_EQ(options, (SetupOptions{1, 15, 0, 3}));
}

TEST(SetupDialogRecord, ProductTextFromTheIdentification) {
  IdentificationBlock id;
  id.SetModelWord(kModelQx410);
  id.SetVersion(2, 0x06, 563);
  id.SetSerial(0xDE, 0xAD, 0xBE, 0xEF);
  SetupOptions options{1, 15, 0, 0};
  std::string shown;
  RunView(
      options,
      [&](OrvendSetupDialog* d) {
        shown = d->product_text;
        return 0;
      },
      id.bytes);
  EXPECT_EQ(shown, "固件版本: V2.06(Build 563)\r\n产品编号: deadbeef\r\n");
}

// Out-of-range indexes from a view clear the selection instead of reaching past the lists.
TEST(SetupDialogRecord, OutOfRangeIndexesFromTheViewSelectNothing) {
  SetupOptions options{1, 15, 2, 0};
  EXPECT_EQ(RunView(options, [](OrvendSetupDialog* d) {
              d->model_selected(d->context, 8);
              EXPECT_EQ(d->model_selection, -1);
              d->vendor_selected(d->context, 4);
              EXPECT_EQ(d->vendor_selection, -1);
              EXPECT_EQ(d->model_count, 0u);
              EXPECT_EQ(d->model_selection, -1);
              d->ok(d->context);
              return 1;
            }),
            1);
  EXPECT_EQ(options, (SetupOptions{1, 0, -1, -1}));
}

}  // namespace
}  // namespace orven::driverui

extern "C" int c_host_view_picks_stc(void* context, OrvendSetupDialog* dialog);

namespace orven::driverui {
namespace {

TEST(SetupDialogRecord, AViewWrittenInCDrivesTheDialog) {
  SetupOptions options{1, 16, 0, 0};
  EXPECT_EQ(RunSetupDialog(options, nullptr, &c_host_view_picks_stc, nullptr), 1);
  EXPECT_EQ(options, (SetupOptions{1, 0, 2, 2}));
}

}  // namespace
}  // namespace orven::driverui
