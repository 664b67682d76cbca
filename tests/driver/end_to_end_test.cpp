// The entry points as a host calls them, against the simulated QX410 and its pod in virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "driver/driver_state.h"
#include "link/command_codes.h"
#include "simulated_host.h"

namespace orven::driver::testing {
namespace {

class EndToEnd : public ::testing::Test, public SimulatedHost {
 protected:
  void SetUp() override {
    if (!Open()) GTEST_SKIP() << "no SDCC-built test program";
    ASSERT_EQ(TestHostConnect(&host), 0u);
    ASSERT_EQ(TestHostLoad(&host, program.code.data(), static_cast<uint32_t>(program.code.size())), 0);
    // The host shows the registers once; runs start from the PC read then.
    TestHostRefreshRegisters(&host);
  }
  void TearDown() override {
    // Every command the driver sent is one the emulator's command set forms that way.
    EXPECT_EQ(Device().Departures(), std::vector<std::string>{});
    if (HasFailure()) PrintState();
  }
};

TEST_F(EndToEnd, BreakpointsWithCountsAndCommands) {
  const uint8_t counterAt = static_cast<uint8_t>(program.At("_counter"));
  TestHostAddBreakpoint(&host, program.At("_tick"), 3, nullptr, 0);
  ASSERT_EQ(TestHostGoStep(ORVEND_GO, 0, 0), 0u);
  EXPECT_EQ(Pc(), Code("_tick"));
  EXPECT_EQ(Data(counterAt), 2) << "passed twice, stopped on the third arrival";
  EXPECT_EQ(host.breakpoints[0].remaining_count, 1);
  EXPECT_GE(host.refreshes, 1);

  // Going on from the breakpoint steps off it first and stops there again one pass later.
  ASSERT_EQ(TestHostGoStep(ORVEND_GO, 0, 0), 0u);
  EXPECT_EQ(Pc(), Code("_tick"));
  EXPECT_EQ(Data(counterAt), 3);

  // A breakpoint with a command hands it to the host and runs on, here to the go-until address.
  host.breakpoints[0].flags &= ~ORVEND_BP_ENABLED;
  TestHostAddBreakpoint(&host, program.At("_mark"), 1, "echo mark", 0);
  ASSERT_EQ(TestHostGoStep(ORVEND_GO_UNTIL, 0, Code("_tick")), 0u);
  EXPECT_EQ(Pc(), Code("_tick"));
  EXPECT_STREQ(host.executed, "echo mark\n");
  EXPECT_EQ(host.fatal_notices, 0);
}

TEST_F(EndToEnd, GoUntilAndSingleSteps) {
  ASSERT_EQ(TestHostGoStep(ORVEND_GO_UNTIL, 0, Code("_mark")), 0u);
  EXPECT_EQ(Pc(), Code("_mark"));
  ASSERT_EQ(TestHostGoStep(ORVEND_GO_STEP, 1, 0), 0u);
  EXPECT_NE(Pc(), Code("_mark"));
  EXPECT_EQ(Device().PodRegisters().pc, Pc() & 0xFFFF);
}

TEST_F(EndToEnd, ConditionalBreakpointsForceStepModeWithTheWarning) {
  TestHostAddBreakpoint(&host, program.At("_mark"), 1, nullptr, 0);
  TestHostAddBreakpoint(&host, 0, 1, nullptr, 1);
  ASSERT_EQ(TestHostGoStep(ORVEND_GO, 0, 0), 0u);
  EXPECT_EQ(Pc(), Code("_mark"));
  const char* warning = "Application does not run in real time because of conditional breakpoint(s) !\n";
  EXPECT_EQ(Output().find(warning), std::string::npos);
  ASSERT_EQ(TestHostGoStep(ORVEND_GO, 0, 0), 0u);
  EXPECT_EQ(Pc(), Code("_mark"));
  EXPECT_NE(Output().find(warning), std::string::npos);
  EXPECT_EQ(Data(static_cast<uint8_t>(program.At("_hits"))), 1) << "one whole pass, step by step";
}

TEST_F(EndToEnd, StopFromASecondThreadDuringAGo) {
  std::atomic<uint32_t> result{99};
  clock.HoldOtherThreads();
  std::thread go([&] { result = TestHostGoStep(ORVEND_GO, 0, 0); });
  clock.WaitUntilHeld();
  EXPECT_TRUE(Device().PodRunning());
  EXPECT_EQ(TestHostGoStep(ORVEND_GO_STOP, 0, 0), 1u);
  clock.Release();
  go.join();
  EXPECT_EQ(result.load(), 0u);
  EXPECT_EQ(host.fatal_notices, 0);
  EXPECT_FALSE(Device().PodRunning());
  uint32_t pc = Pc() & 0xFFFF;
  EXPECT_LT(pc, program.code.size());
  // The driver serves requests again.
  ASSERT_EQ(TestHostGoStep(ORVEND_GO_STEP, 1, 0), 0u);
}

TEST_F(EndToEnd, RunsAndStepsWithEitherFormOfThePcRead) {
  for (bool withData : {false, true}) {
    SCOPED_TRACE(withData ? "PC in the value and two data bytes" : "PC in the reply value alone");
    Device().SetPcReadData(withData);
    ASSERT_EQ(TestHostGoStep(ORVEND_GO_UNTIL, 0, Code("_mark")), 0u);
    EXPECT_EQ(Pc(), Code("_mark"));
    ASSERT_EQ(TestHostGoStep(ORVEND_GO_STEP, 1, 0), 0u);
    EXPECT_NE(Pc(), Code("_mark"));
    OrvendBreakpoint* bp = TestHostAddBreakpoint(&host, program.At("_tick"), 1, nullptr, 0);
    ASSERT_EQ(TestHostGoStep(ORVEND_GO, 0, 0), 0u);
    EXPECT_EQ(Pc(), Code("_tick"));
    bp->flags &= ~ORVEND_BP_ENABLED;
  }
  EXPECT_EQ(host.fatal_notices, 0);
}

// Hands over between the go thread, held in a question box, and the test's thread.
class Gate {
 public:
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  void WaitOpen() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
};

TEST_F(EndToEnd, StopWhileTheStopVectorQuestionIsOpenEndsTheGoWithoutStartingIt) {
  // The whole program was loaded over C:0x003B with the stop-while-running feature on: the go asks first.
  Gate asked, stopped;
  onQuestion = [&](const char*) {
    asked.Open();
    stopped.WaitOpen();
    return 1;  // give up the feature and go on
  };
  const uint32_t pc = Pc();
  Device().ClearCommandLog();
  std::atomic<uint32_t> result{99};
  std::thread go([&] { result = TestHostGoStep(ORVEND_GO, 0, 0); });
  asked.WaitOpen();
  uint8_t byte = 0;
  EXPECT_EQ(TestHostRead(ORVEND_TAG(ORVEND_SPACE_DATA, 0), &byte, 1, nullptr), 1) << "running while the go runs";
  EXPECT_EQ(TestHostGoStep(ORVEND_GO_STOP, 0, 0), 1u);
  stopped.Open();
  go.join();
  onQuestion = nullptr;
  EXPECT_EQ(result.load(), 0u);
  EXPECT_EQ(host.fatal_notices, 0);
  EXPECT_FALSE(Device().PodRunning());
  const std::vector<uint8_t> log = Device().CommandLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), cmd::EC_GO), 0) << "the target never started";
  EXPECT_EQ(Pc(), pc);
  EXPECT_EQ(TestHostRead(ORVEND_TAG(ORVEND_SPACE_DATA, 0), &byte, 1, nullptr), 0);

  // The next go starts, and its stop reaches the emulator: without the feature, as a forced stop. Until the go
  // has ended, memory stays refused.
  clock.HoldOtherThreads();
  std::thread again([&] { result = TestHostGoStep(ORVEND_GO, 0, 0); });
  clock.WaitUntilHeld();
  EXPECT_TRUE(Device().PodRunning());
  EXPECT_EQ(TestHostGoStep(ORVEND_GO_STOP, 0, 0), 1u);
  EXPECT_EQ(TestHostRead(ORVEND_TAG(ORVEND_SPACE_DATA, 0), &byte, 1, nullptr), 1);
  clock.Release();
  again.join();
  const std::vector<uint8_t> after = Device().CommandLog();
  EXPECT_EQ(std::count(after.begin(), after.end(), cmd::EC_FORCE_STOP), 1);
  EXPECT_FALSE(Device().PodRunning());
  EXPECT_EQ(host.fatal_notices, 0);
  EXPECT_EQ(TestHostRead(ORVEND_TAG(ORVEND_SPACE_DATA, 0), &byte, 1, nullptr), 0);
}

TEST_F(EndToEnd, StopWhoseForcedResetIsLostEndsTheGoDeadOnBothThreads) {
  // The go gives up the stop-while-running feature (the program covers its vector); the stop then offers the
  // forced reset, whose reply never comes. The stop thread posts the fatal notice while the go thread, armed,
  // still waits in its polling; the go then ends on the closed link without reporting a stop.
  TestHostAddBreakpoint(&host, program.At("_mark") + 1, 1, nullptr, 0);
  Device().SetFault(cmd::EC_FORCE_STOP, {sim::FaultKind::kNoReply, 0, 0, 1});
  const uint32_t pc = Pc();
  const int refreshes = host.refreshes;
  clock.HoldOtherThreads();
  std::thread go([&] { TestHostGoStep(ORVEND_GO, 0, 0); });
  clock.WaitUntilHeld();
  EXPECT_EQ(TestHostGoStep(ORVEND_GO_STOP, 0, 0), 0u);
  EXPECT_GE(host.fatal_notices, 1);
  clock.Release();
  go.join();
  EXPECT_EQ(Pc(), pc);
  EXPECT_EQ(host.refreshes, refreshes);
  EXPECT_EQ(TestHostGoStep(ORVEND_GO_STEP, 1, 0), 0u);
  EXPECT_EQ(Pc(), pc) << "dead until initialised again";
}

TEST_F(EndToEnd, StopWithTheStopWhileRunningFeature) {
  // A new connection forgets that the full load covered C:0x003B; this load leaves those three bytes alone.
  ASSERT_EQ(TestHostConnect(&host), 0u);
  for (uint32_t at = 0; at < program.code.size(); at += 0x40) {
    uint32_t end = std::min<uint32_t>(at + 0x40, static_cast<uint32_t>(program.code.size()));
    if (at <= 0x3D && end > 0x3B) continue;
    OrvendAddress address{};
    address.address.tagged = at;
    ASSERT_EQ(AG_MemAcc(ORVEND_MEM_WRITE_CODE, program.code.data() + at, &address, end - at), 0);
  }
  AG_Init(ORVEND_INIT_RESET, nullptr);
  TestHostRefreshRegisters(&host);
  boxes.clear();
  // The program enables interrupts in its start-up code, and the pod's stop mechanism needs them: the stop
  // comes while the go waits its first polling interval, when the pod has run that code.
  clock.HoldOtherThreads();
  std::thread go([&] { TestHostGoStep(ORVEND_GO, 0, 0); });
  clock.WaitUntilHeld();
  EXPECT_TRUE(Device().PodRunning());
  EXPECT_EQ(TestHostGoStep(ORVEND_GO_STOP, 0, 0), 1u);
  clock.Release();
  go.join();
  EXPECT_TRUE(boxes.empty()) << "stopped by the pod's own mechanism, no question";
  EXPECT_EQ(host.fatal_notices, 0);
  EXPECT_FALSE(Device().PodRunning());
}

TEST_F(EndToEnd, MemoryOfEverySpaceWithTheCacheRules) {
  ASSERT_EQ(TestHostGoStep(ORVEND_GO_UNTIL, 0, Code("_mark")), 0u);
  uint8_t buffer[256];
  ASSERT_EQ(TestHostRead(ORVEND_TAG(ORVEND_SPACE_IDATA, 0), buffer, 256, nullptr), 0);
  std::vector<uint8_t> iram = Device().PodMemory(mcs51::Space::kIdata, 0, 256);
  EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 256), iram);
  EXPECT_TRUE(host.iram_attributes[0x10] & ORVEND_ATTR_VALID);

  ASSERT_EQ(TestHostRead(ORVEND_TAG(ORVEND_SPACE_DATA, 0x90), buffer, 1, nullptr), 0);
  EXPECT_EQ(buffer[0], 1) << "P1 holds the counter";

  const uint8_t pattern[4] = {0xDE, 0xAD, 0xBE, 0xEF};
  ASSERT_EQ(TestHostWrite(ORVEND_TAG(ORVEND_SPACE_XDATA, 0x1000), pattern, 4, nullptr), 0);
  std::memset(buffer, 0, 4);
  ASSERT_EQ(TestHostRead(ORVEND_TAG(ORVEND_SPACE_XDATA, 0x1000), buffer, 4, nullptr), 0);
  EXPECT_EQ(std::memcmp(buffer, pattern, 4), 0);
  EXPECT_EQ(Device().PodMemory(mcs51::Space::kXdata, 0x1000, 4), std::vector<uint8_t>(pattern, pattern + 4));

  // Loaded code is served from the host image: no code read reaches the emulator.
  Device().ClearCommandLog();
  ASSERT_EQ(TestHostRead(Code("_tick"), buffer, 16, nullptr), 0);
  EXPECT_EQ(std::memcmp(buffer, program.code.data() + program.At("_tick"), 16), 0);
  for (uint8_t code : Device().CommandLog()) EXPECT_NE(code, cmd::EC_READ_CODE);

  // A step forgets what data memory held; code stays known.
  ASSERT_EQ(TestHostGoStep(ORVEND_GO_STEP, 1, 0), 0u);
  EXPECT_FALSE(host.iram_attributes[0x10] & ORVEND_ATTR_VALID);
  EXPECT_TRUE(host.code_attributes[program.At("_tick")] & ORVEND_ATTR_VALID);

  // Code banks the pod does not have read as 0x99 and cannot be written.
  uint32_t error = 0;
  ASSERT_EQ(TestHostRead(ORVEND_TAG(ORVEND_SPACE_CODE, 0x10000), buffer, 8, nullptr), 0);
  EXPECT_EQ(buffer[0], 0x99);
  EXPECT_EQ(TestHostWrite(ORVEND_TAG(ORVEND_SPACE_CODE, 0x10000), pattern, 1, &error), 5);
  EXPECT_EQ(error, 0xFF010000u);
  EXPECT_EQ(host.fatal_notices, 0);
}

TEST_F(EndToEnd, RegistersThroughTheRegisterWindow) {
  ASSERT_EQ(TestHostGoStep(ORVEND_GO_UNTIL, 0, Code("_mark")), 0u);
  TestHostRefreshRegisters(&host);
  mcs51::Registers pod = Device().PodRegisters();
  char text[16];
  std::snprintf(text, sizeof text, "0x%02x", pod.acc);
  EXPECT_STREQ(TestHostItem(&host, 16)->value_text, text);
  std::snprintf(text, sizeof text, "0x%04x", pod.pc);
  EXPECT_STREQ(TestHostItem(&host, 20)->value_text, text);

  uint8_t acc = 0x5A;
  ASSERT_EQ(host.view->set(TestHostItem(&host, 16), &acc), 1);
  EXPECT_EQ(Device().PodRegisters().acc, 0x5A);
  uint16_t pc = static_cast<uint16_t>(program.At("_main"));
  ASSERT_EQ(host.view->set(TestHostItem(&host, 20), &pc), 1);
  EXPECT_EQ(Device().PodRegisters().pc, pc);
  // The next run starts at the PC the user set.
  ASSERT_EQ(TestHostGoStep(ORVEND_GO_UNTIL, 0, Code("_tick")), 0u);
  EXPECT_EQ(Pc(), Code("_tick"));
}

TEST_F(EndToEnd, ResetAndShutdownWriteTheOptionsBack) {
  ASSERT_EQ(TestHostGoStep(ORVEND_GO_UNTIL, 0, Code("_mark")), 0u);
  EXPECT_EQ(AG_Init(ORVEND_INIT_RESET, nullptr), 0u);
  TestHostRefreshRegisters(&host);
  EXPECT_EQ(Pc(), ORVEND_TAG(ORVEND_SPACE_CODE, 0));
  EXPECT_EQ(AG_Init(ORVEND_INIT_SHUTDOWN, nullptr), 0u);
  // The user gave up the stop-while-running feature when the program covered its vector.
  EXPECT_STREQ(enumRecord.option_text, "-E0 -F16 -V1 -C2");
  EXPECT_EQ(host.fatal_notices, 1) << "shutdown ends with the notice";
  // Dead until initialised again: requests answer at once.
  uint8_t byte = 0;
  EXPECT_EQ(TestHostRead(ORVEND_TAG(ORVEND_SPACE_DATA, 0), &byte, 1, nullptr), 1);
  // A new session: the table is asked for again and the old one is not written through.
  TestHostBind(&host);
  const int before = host.memory_table_calls;
  ASSERT_EQ(TestHostConnect(&host), 0u);
  EXPECT_EQ(host.memory_table_calls, before + 1);
}

TEST_F(EndToEnd, AFaultInTheMiddleOfAGoEndsInTheFatalNoticeAndReconnects) {
  // The third status poll of the go comes back malformed.
  Device().SetFault(cmd::EC_STATUS, {sim::FaultKind::kWrongMarker, 0, 2, 1});
  EXPECT_EQ(TestHostGoStep(ORVEND_GO, 0, 0), 0u);
  EXPECT_GE(host.fatal_notices, 1);
  EXPECT_FALSE(boxes.empty());
  uint8_t byte = 0;
  EXPECT_EQ(TestHostRead(ORVEND_TAG(ORVEND_SPACE_DATA, 0), &byte, 1, nullptr), 1);
  EXPECT_EQ(TestHostGoStep(ORVEND_GO_STEP, 1, 0), 0u);

  Device().ClearFaults();
  ASSERT_EQ(TestHostConnect(&host), 0u);
  AG_Init(ORVEND_INIT_RESET, nullptr);
  TestHostRefreshRegisters(&host);
  ASSERT_EQ(TestHostGoStep(ORVEND_GO_UNTIL, 0, Code("_tick")), 0u);
  EXPECT_EQ(Pc(), Code("_tick"));
  EXPECT_EQ(TestHostRead(ORVEND_TAG(ORVEND_SPACE_DATA, 0), &byte, 1, nullptr), 0);
}

}  // namespace
}  // namespace orven::driver::testing

namespace orven::driver::testing {
namespace {

class Download : public EndToEnd {
 protected:
  void Options(const char* text) {
    std::strcpy(enumRecord.option_text, text);
    ASSERT_EQ(EnumUv351(&enumRecord, 2), 8051u);
  }
  void Segments(std::initializer_list<std::pair<uint32_t, uint32_t>> spans) {
    host.segment_count = 0;
    uint32_t total = 0;
    for (auto [start, length] : spans) total += length;
    for (auto [start, length] : spans) {
      OrvendFlashSegment& s = host.segments[host.segment_count++];
      s.start = start;
      s.length = length;
      s.data = program.code.data() + start;
      s.total = total;
    }
  }
};

TEST_F(Download, DownloadOnlyAfterASuccessfulPreparation) {
  Segments({{0, static_cast<uint32_t>(program.code.size())}});
  Device().ClearCommandLog();
  EXPECT_EQ(AG_Init(ORVEND_INIT_DOWNLOAD, nullptr), 1u);
  EXPECT_TRUE(Device().CommandLog().empty()) << "nothing programmed without a preparation";
  EXPECT_NE(Output().find("Download not prepared"), std::string::npos);

  Options("-E0 -F16 -V0 -C0");
  ASSERT_EQ(AG_Init(ORVEND_INIT_PREPARE_DOWNLOAD, nullptr), 0u);
  Device().LoadPodCode(0, std::vector<uint8_t>(program.code.size(), 0));
  ASSERT_EQ(AG_Init(ORVEND_INIT_DOWNLOAD, nullptr), 0u);
  EXPECT_EQ(Device().PodMemory(mcs51::Space::kCode, 0, static_cast<uint32_t>(program.code.size())), program.code);
  EXPECT_NE(Output().find("Verify OK.\n"), std::string::npos);
  // One preparation serves one download.
  EXPECT_EQ(AG_Init(ORVEND_INIT_DOWNLOAD, nullptr), 1u);
}

TEST_F(Download, ToAChipOutOfOrderWithoutVerification) {
  Options("-E1 -F0 -V2 -C0");  // STC12C5A8S2: no read-back
  const uint32_t half = static_cast<uint32_t>(program.code.size() / 2);
  Segments({{half, static_cast<uint32_t>(program.code.size()) - half}, {0, half}});
  ASSERT_EQ(AG_Init(ORVEND_INIT_PREPARE_DOWNLOAD, nullptr), 0u);
  ASSERT_EQ(AG_Init(ORVEND_INIT_DOWNLOAD, nullptr), 0u);
  std::string out = Output();
  EXPECT_NE(out.find("Download to STC  STC12C5A8S2 [ZIF]."), std::string::npos) << out;
  EXPECT_NE(out.find("Application Reset and Running..."), std::string::npos) << out;
  EXPECT_EQ(out.find("Verifying..."), std::string::npos);
  std::vector<uint8_t> flash = Device().Flash();
  ASSERT_GE(flash.size(), program.code.size());
  EXPECT_TRUE(std::equal(program.code.begin(), program.code.end(), flash.begin()));
  EXPECT_GT(host.progress_calls, 0);
}

TEST_F(Download, AChipTheOptionsDoNotNameIsRefused) {
  Options("-E1 -F0 -V2 -C9");
  EXPECT_EQ(AG_Init(ORVEND_INIT_PREPARE_DOWNLOAD, nullptr), 1u);
  EXPECT_GE(host.fatal_notices, 1);
  EXPECT_EQ(AG_Init(ORVEND_INIT_DOWNLOAD, nullptr), 1u);
}

}  // namespace
}  // namespace orven::driver::testing
