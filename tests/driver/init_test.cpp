#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/entry.h"
#include "driver/host_link.h"
#include "driver_fixture.h"

namespace orven::driver::testing {
namespace {

class Init : public DriverFixture {};

TEST_F(Init, FeatureQueriesFollowInitialisation) {
  for (uint16_t item = 1; item <= 8; ++item) EXPECT_EQ(AG_Init(0x0200 | item, nullptr), 0u) << item;
  state().featureWord = 0x3F;
  ASSERT_EQ(AG_Init(ORVEND_INIT_CONNECT, nullptr), 0u);
  for (uint16_t item = 1; item <= 8; ++item) EXPECT_EQ(AG_Init(0x0200 | item, nullptr), item == 7 ? 1u : 0u) << item;
}

TEST_F(Init, ExtensionMenuHoldsOnlyItsEnd) {
  const OrvendExtensionMenu* menu = nullptr;
  AG_Init(ORVEND_INIT_EXTENSION_MENU, &menu);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->delimiter, -1);
  OrvendUpdateDialogs update = nullptr;
  AG_Init(ORVEND_INIT_UPDATE_DIALOGS, &update);
  ASSERT_NE(update, nullptr);
  update();  // nothing to update
  AG_Init(ORVEND_INIT_EXTENSION_MENU, nullptr);  // a null slot is left alone
}

TEST_F(Init, ResetWhenDeadOrUnboundDoesNotStopTheTarget) {
  state().fatal = true;
  EXPECT_EQ(AG_Init(ORVEND_INIT_RESET, nullptr), 0u);
  EXPECT_EQ(target.calls, std::vector<std::string>{"PostFatalNotice"});
  state().fatal = false;
  state().host.window = nullptr;
  target.calls.clear();
  EXPECT_EQ(AG_Init(ORVEND_INIT_RESET, nullptr), 0u);
  EXPECT_TRUE(target.calls.empty());
  state().host.window = &window;
  state().registers.pc = 0xFF001234;
  state().currentPc = 0xFF001234;
  EXPECT_EQ(AG_Init(ORVEND_INIT_RESET, nullptr), 0u);
  EXPECT_EQ(target.calls, std::vector<std::string>{"ForceStop"});
  EXPECT_EQ(state().registers.pc, 0xFF000000u);
  EXPECT_EQ(state().currentPc.load(), 0xFF000000u) << "the next run starts at code address 0";
}

TEST_F(Init, InitialisationFillsCodeBank0WithFFAndKeepsItsMarks) {
  code[0x10] = 0x12;
  code[0xFFFF] = 0x34;
  codeAttr[0x10] = kAttrValid;
  ASSERT_EQ(AG_Init(ORVEND_INIT_CONNECT, nullptr), 0u);
  EXPECT_EQ(code[0x10], 0xFF);
  EXPECT_EQ(code[0xFFFF], 0xFF);
  EXPECT_EQ(codeAttr[0x10], kAttrValid);
}

TEST_F(Init, EnumerationWithAnotherCodeDoesNothing) {
  static OrvendEnumRecord record;
  std::strcpy(record.option_text, "-E0 -F16 -V3 -C1");
  for (uint32_t request : {0u, 1u, 3u, 0x102u}) {
    EXPECT_EQ(EnumUv351(&record, request), 0u) << request;
    EXPECT_EQ(state().options.e.load(), 0) << "not parsed: " << request;
    EXPECT_EQ(state().enumRecord, nullptr) << "not kept: " << request;
  }
}

TEST_F(Init, ShutdownWritesOptionsOnlyWhenEnumeratedAndForgetsTheHostsArrays) {
  ASSERT_EQ(AG_Init(ORVEND_INIT_SHUTDOWN, nullptr), 0u);
  EXPECT_EQ(target.calls, (std::vector<std::string>{"Disconnect", "PostFatalNotice"}));
  EXPECT_TRUE(state().fatal.load());
  for (uint32_t slot = 0; slot < ORVEND_MEMORY_SLOTS; ++slot) {
    EXPECT_EQ(state().memory.Table()[slot].image, nullptr);
  }
  // A later initialisation fills nothing through the old table.
  code[0] = 0x12;
  state().host.window = &window;
  ASSERT_EQ(AG_Init(ORVEND_INIT_CONNECT, nullptr), 0u);
  EXPECT_EQ(code[0], 0x12);

  static OrvendEnumRecord record;
  std::strcpy(record.option_text, "-E0 -F16 -V3 -C1 and more of the host's text");
  ASSERT_EQ(EnumUv351(&record, 2), 8051u);
  EXPECT_EQ(EnumUv351(&record, 3), 0u);
  state().options.v = 2;
  ASSERT_EQ(AG_Init(ORVEND_INIT_SHUTDOWN, nullptr), 0u);
  EXPECT_STREQ(record.option_text, "-E0 -F16 -V2 -C1");
}

TEST_F(Init, ProgramLoadFramesTheCodeImage) {
  code[0x10] = 0x00;
  AG_Init(ORVEND_INIT_LOAD_BEGIN, nullptr);
  EXPECT_EQ(code[0x10], 0xFF);
  EXPECT_FALSE(codeAttr[0x10] & kAttrValid);
  AG_Init(ORVEND_INIT_LOAD_END, nullptr);
  EXPECT_TRUE(codeAttr[0xFFFF] & kAttrValid);
}

// The capability codes run the setup dialog through the host's view.
struct ViewScript {
  bool pressOk = false;
  int32_t podChecked = -1;
  std::string productText;
};

int ScriptedView(void* context, OrvendSetupDialog* dialog) {
  auto* script = static_cast<ViewScript*>(context);
  script->productText = dialog->product_text;
  if (script->podChecked >= 0) dialog->pod_box_clicked(dialog->context, script->podChecked);
  if (script->pressOk) {
    dialog->ok(dialog->context);
    return 1;
  }
  dialog->cancel(dialog->context);
  return 0;
}

TEST_F(Init, SetupDialogOkWritesTheOptionsCancelLeavesThem) {
  ViewScript script;
  OrvendUi ui{&script, nullptr, ScriptedView};
  OrvendSetUi(&ui);
  char text[64] = "-E1 -F15 -V0 -C0";
  OrvendCapRecord record{};
  record.option_text = text;
  EXPECT_EQ(DllUv3Cap(1, &record), 0u);
  EXPECT_STREQ(text, "-E1 -F15 -V0 -C0");
  EXPECT_EQ(script.productText, "NORDA ORVEN 仿真器/编程器 没有连接.\r\n") << "no emulator answered";

  script.pressOk = true;
  script.podChecked = 1;
  EXPECT_EQ(DllUv3Cap(110, &record), 1u);
  EXPECT_STREQ(text, "-E1 -F16 -V0 -C0");
  EXPECT_EQ(state().options.f.load(), 16);

  OrvendSetUi(nullptr);  // without a view: Cancel
  EXPECT_EQ(DllUv3Cap(1, &record), 0u);
  EXPECT_EQ(DllUv3Cap(1, nullptr), 0u);
  EXPECT_EQ(DllUv3Cap(2, nullptr), 8051u);
  EXPECT_EQ(DllUv3Cap(100, nullptr), 1u);
  EXPECT_EQ(DllUv3Cap(109, nullptr), 1u);
  EXPECT_EQ(DllUv3Cap(7, nullptr), 0u);
}

TEST_F(Init, HostTextsAreCutAndConvertedToGbk) {
  std::string longText(3000, 'x');
  Link().PrintLine("%s", longText.c_str());
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].size(), 2047u);
  Link().SendText(ORVEND_KIND_PROGRESS_TEXT, "目标芯片");
  EXPECT_EQ(texts[1], "\xC4\xBF\xB1\xEA\xD0\xBE\xC6\xAC");

  // The cut counts the host's GBK bytes (two per Chinese character, three in UTF-8) and never halves one.
  const std::string mu = "目";  // GBK C4 BF
  auto repeat = [](const std::string& piece, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += piece;
    return out;
  };
  struct Case {
    std::string text;
    size_t gbkBytes;
    char last;
  } cases[] = {
      {repeat(mu, 1500), 2046, '\xBF'},        // 1,023 characters; the next would end at 2,048
      {"x" + repeat(mu, 1500), 2047, '\xBF'},  // 1 + 1,023 characters
      {repeat(mu, 1023) + "x", 2047, 'x'},     // fits exactly
      {repeat(mu, 700), 1400, '\xBF'},         // longer than 2,047 bytes only in UTF-8: whole
  };
  for (const Case& c : cases) {
    texts.clear();
    Link().PrintLine("%s", c.text.c_str());
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].size(), c.gbkBytes) << c.text.size();
    EXPECT_EQ(texts[0].back(), c.last);
  }
}

TEST_F(Init, EachHostMessageGoesWithItsKind) {
  uint8_t data[3] = {1, 2, 3};
  EXPECT_EQ(AG_Serial(1, 2, sizeof data, data), 0u);
  EXPECT_EQ(serial.channel, 2u);
  EXPECT_EQ(serial.count, 3u);
  EXPECT_EQ(serial.data, data);
  EXPECT_EQ(AG_Serial(2, 2, sizeof data, data), 0u);  // other codes send nothing
  Link().PrintLine("printed");
  Link().SendText(emulator::kHostProgressText, "progress");
  Link().SendText(emulator::kHostOutputText, "output");
  ASSERT_EQ(AG_Init(ORVEND_INIT_CONNECT, nullptr), 0u);  // says hello in the output window
  state().fatal = true;
  EXPECT_EQ(AG_Serial(1, 2, sizeof data, data), 0u);  // a dead driver sends nothing
  EXPECT_EQ(kinds, (std::vector<uintptr_t>{3, 12, 6, 12, 12}));
  EXPECT_EQ(texts.back(), "NORDA ORVEN Emulator/Programmer\n");
}

TEST_F(Init, WithoutAUiBoxesTakeTheSafeAnswer) {
  OrvendSetUi(nullptr);
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(Link().Question("ORVEN Notice", "继续?"));
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("ORVEN Notice: 继续?"), std::string::npos);
}

}  // namespace
}  // namespace orven::driver::testing
