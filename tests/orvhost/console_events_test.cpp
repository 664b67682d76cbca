// How orvhost prints what the driver says and answers its questions: from --answer, at a terminal as gdb
// asks ("(y or n)"), or with the safe answer when nobody can be asked.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <thread>

#include "tools/orvhost/console_events.h"

namespace orven::orvhost {
namespace {

class ConsoleEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    out_ = open_memstream(&outText_, &outSize_);
    console_ = std::make_unique<Console>(out_, out_);
  }
  void TearDown() override {
    std::fclose(out_);
    std::free(outText_);
  }
  // Events whose terminal is a script of typed lines (the end of it is the end of input). The prompt and
  // what was typed go into the transcript as a terminal shows them.
  ConsoleEvents Events(AnswerMode mode, std::deque<std::string> typed = {}) {
    typed_ = std::move(typed);
    return ConsoleEvents(*console_, mode, [this](const std::string& prompt) -> std::optional<std::string> {
      std::fputs(prompt.c_str(), out_);
      if (typed_.empty()) return std::nullopt;
      std::string line = typed_.front();
      typed_.pop_front();
      std::fputs((line + "\n").c_str(), out_);
      return line;
    });
  }
  std::string Out() {
    std::fflush(out_);
    return std::string(outText_, outSize_);
  }

  FILE* out_ = nullptr;
  char* outText_ = nullptr;
  size_t outSize_ = 0;
  std::unique_ptr<Console> console_;
  std::deque<std::string> typed_;
};

TEST_F(ConsoleEventsTest, DriverTextsBoxesAndTheFatalNoticeArePrintedEachOnItsLine) {
  ConsoleEvents events = Events(AnswerMode::kNo);
  events.OutputText("NORDA ORVEN Emulator/Programmer\n");
  events.SerialOutput(1, "hi");
  events.BreakpointCommand("note \"here\"");
  events.ProgressShown("Erasing", 64);
  events.ProgressRemoved(64, 64);
  events.Notice(true, "ORVEN Notice!", "link lost");
  events.Notice(false, "ORVEN Notice", "careful");
  // A driver text without a line end is left open; orvhost's next line starts on a line of its own.
  events.OutputText("Application Reset and Running...");
  events.LinkClosed();
  EXPECT_EQ(Out(),
            "NORDA ORVEN Emulator/Programmer\n"
            "serial 1: hi\n"
            "breakpoint command: note \"here\"\n"
            "progress: Erasing 0/64\n"
            "progress: 64/64\n"
            "[error] ORVEN Notice!: link lost\n"
            "[warning] ORVEN Notice: careful\n"
            "Application Reset and Running...\n"
            "orvhost: fatal notice: the driver closed the emulator link\n");
}

TEST_F(ConsoleEventsTest, QuestionsAreAnsweredFromTheOptionAskedAtATerminalOrGivenTheSafeAnswer) {
  const struct {
    AnswerMode mode;
    std::deque<std::string> typed;
    bool yes;
    const char* shown;
  } cases[] = {
      {AnswerMode::kNo, {"y"}, false, "[question] ORVEN Notice: Switch it off? -> No\n"},
      {AnswerMode::kYes, {"n"}, true, "[question] ORVEN Notice: Switch it off? -> Yes\n"},
      {AnswerMode::kAsk, {"y"}, true, "[question] ORVEN Notice: Switch it off? (y or n) y\n"},
      {AnswerMode::kAsk, {"  No"}, false, "[question] ORVEN Notice: Switch it off? (y or n)   No\n"},
      {AnswerMode::kAsk,
       {"", "maybe", "Y"},
       true,
       "[question] ORVEN Notice: Switch it off? (y or n) \nPlease answer y or n.\n"
       "[question] ORVEN Notice: Switch it off? (y or n) maybe\nPlease answer y or n.\n"
       "[question] ORVEN Notice: Switch it off? (y or n) Y\n"},
      // The end of input (Ctrl-D) is the safe answer.
      {AnswerMode::kAsk, {}, false, "[question] ORVEN Notice: Switch it off? (y or n) EOF [answered No]\n"},
  };
  for (const auto& c : cases) {
    TearDown();
    SetUp();
    ConsoleEvents events = Events(c.mode, c.typed);
    EXPECT_EQ(events.Ask("ORVEN Notice", "Switch it off?"), c.yes) << c.shown;
    EXPECT_EQ(Out(), c.shown);
  }
}

TEST_F(ConsoleEventsTest, AQuestionFromTheBackgroundGoIsNotAskedWhileThePromptWaits) {
  ConsoleEvents events = Events(AnswerMode::kAsk, {"y"});
  bool yes = true;
  std::thread([&] { yes = events.Ask("ORVEN Notice", "Switch it off?"); }).join();
  EXPECT_FALSE(yes);
  EXPECT_EQ(Out(), "[question] ORVEN Notice: Switch it off? -> No\n");
}

TEST_F(ConsoleEventsTest, TheSetupDialogIsPrintedThenConfirmedAsTheQuestionsAre) {
  static const char* const kVendors[] = {"ATMEL", "NXP", "STC"};
  static const char* const kModels[] = {"STC12C5A8S2 [ZIF]", "STC12C5A16S2 [ZIF]"};
  OrvendSetupDialog d{};
  d.caption = "NORDA  QX410 MCU Development Kit  V1.06";
  d.pause_label = "开启暂停功能";
  d.pod_label = "下载到仿真适配头(VELM5)";
  d.vendor_label = "芯片厂商";
  d.model_label = "芯片型号";
  d.product_group = "产品信息";
  d.product_text = "固件版本: V2.06(Build 563)\r\n产品编号: 01ab007f\r\n";
  d.vendor_names = kVendors;
  d.vendor_count = 3;
  d.vendor_selection = 2;
  d.model_names = kModels;
  d.model_count = 2;
  d.model_selection = 5;  // names no entry
  d.pause_checked = 1;
  d.chip_lists_enabled = 1;
  const std::string shown =
      "[setup dialog] NORDA  QX410 MCU Development Kit  V1.06\n"
      "  [x] 开启暂停功能\n"
      "  [ ] 下载到仿真适配头(VELM5)\n"
      "  芯片厂商: STC\n"
      "  芯片型号: -\n"
      "  产品信息: 固件版本: V2.06(Build 563) / 产品编号: 01ab007f\n";
  const struct {
    AnswerMode mode;
    std::deque<std::string> typed;
    bool ok;
    std::string after;
  } cases[] = {
      {AnswerMode::kNo, {}, false, "  -> Cancel\n"},
      {AnswerMode::kYes, {}, true, "  -> OK\n"},
      {AnswerMode::kAsk, {"n"}, false, "  -> OK? (y or n) n\n"},
      {AnswerMode::kAsk, {"yes"}, true, "  -> OK? (y or n) yes\n"},
  };
  for (const auto& c : cases) {
    TearDown();
    SetUp();
    ConsoleEvents events = Events(c.mode, c.typed);
    EXPECT_EQ(events.ConfirmSetup(d), c.ok) << c.after;
    EXPECT_EQ(Out(), shown + c.after);
  }
  d.chip_lists_enabled = 0;
  EXPECT_NE(DescribeSetupDialog(d).find("  芯片厂商: STC (disabled)\n"), std::string::npos);
}

}  // namespace
}  // namespace orven::orvhost
