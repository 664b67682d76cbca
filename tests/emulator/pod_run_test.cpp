// Go, breakpoints and stop against the simulated emulator running an SDCC-built program in its pod, with the
// stop request coming from a second thread while the go request polls (the ThreadSanitizer build runs these).
#include <gtest/gtest.h>

#include <thread>

#include "emulator/ice_usb.h"
#include "emulator/texts.h"
#include "sim/emulator_backend.h"
#include "tests/emulator/emulator_rig.h"
#include "tests/support/holding_clock.h"
#include "tests/support/sdcc_program.h"

namespace orven::testing {
namespace {

namespace texts = emulator::texts;

#ifdef ORVEN_COUNTER_PROGRAM
struct Counter {
  std::vector<uint8_t> image;  // from address 0 to the program's last byte
  uint16_t checkpoint = 0;
  uint8_t hits = 0;  // internal RAM address of the hit count
};

bool LoadCounter(Counter& c) {
  SdccProgram program;
  if (!program.Load(ORVEN_COUNTER_PROGRAM)) return false;
  const uint32_t checkpoint = program.At("_checkpoint"), hits = program.At("_hits");
  if (checkpoint > 0xFFFF || hits > 0xFF) return false;
  c.image = program.code;
  c.checkpoint = static_cast<uint16_t>(checkpoint);
  c.hits = static_cast<uint8_t>(hits);
  return true;
}

class EmulatorRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(LoadCounter(program));
    flags.f = 0x10;  // the pod is attached
    ASSERT_TRUE(emu.Connect());
    // Loaded like the host loads a program for debugging, with the stop feature off so that the code over
    // C:0x003B does not count against it; the runs below choose the feature themselves.
    flags.e = 0;
    uint32_t address = 0;
    ASSERT_TRUE(emu.WriteCodeMemory(program.image.data(), address, static_cast<uint32_t>(program.image.size())));
    ASSERT_FALSE(emu.StopVectorConflict());
  }

  uint16_t Pc() {
    emulator::RegisterImage regs;
    EXPECT_TRUE(emu.ReadRegisters(&regs));
    return regs.Pc();
  }

  // Runs Go on a second thread and, once the pod runs, calls Stop on this one.
  // The stop comes while the go waits its first polling interval, when the pod has run the program's start-up
  // code (which enables interrupts, as the pod's stop mechanism needs).
  bool GoThenStop(bool* goResult) {
    clock.HoldOtherThreads();
    std::thread go([&] { *goResult = emu.Go(emulator::kNoStopAddress); });
    clock.WaitUntilHeld();
    EXPECT_TRUE(backend.Device()->PodRunning());
    const bool stopped = emu.Stop();
    clock.Release();
    if (stopped) go.join();
    else stopThread_ = std::move(go);
    return stopped;
  }
  void TearDown() override {
    // A run the test left going (after a failed expectation) must end before the thread is destroyed.
    if (stopThread_.joinable()) {
      emu.ForceStop();
      stopThread_.join();
    }
  }

  Counter program;
  ::orven::testing::HoldingClock clock;
  sim::SimulatedEmulatorBackend backend{clock, {}};
  RecordingHost host;
  ScriptedPrompter prompter;
  TestFlags flags;
  emulator::CIceUsb emu{backend, clock, host, prompter, flags};
  std::thread stopThread_;
};

TEST_F(EmulatorRun, BreakpointHaltsAtItsAddressAndIsClearedAfterTheRun) {
  ASSERT_EQ(emu.SetBreakpoint(emulator::kBreakpointSet, program.checkpoint), emulator::kBreakpointDone);
  ASSERT_TRUE(emu.Go(emulator::kNoStopAddress));
  EXPECT_EQ(Pc(), program.checkpoint);
  EXPECT_EQ(emu.ReadStatus(), emulator::kTargetHalted);

  // Setting it again while armed is a conflict; once cleared, the next run is not stopped there.
  EXPECT_EQ(emu.SetBreakpoint(emulator::kBreakpointSet, program.checkpoint), emulator::kBreakpointConflict);
  ASSERT_EQ(emu.ClearArmedBreakpoints(), emulator::kBreakpointDone);
  EXPECT_EQ(emu.SetBreakpoint(emulator::kBreakpointSet, program.checkpoint), emulator::kBreakpointDone);
  ASSERT_EQ(emu.ClearArmedBreakpoints(), emulator::kBreakpointDone);
  bool went = false;
  flags.e = 1;
  ASSERT_TRUE(GoThenStop(&went));
  EXPECT_TRUE(went);
  uint8_t hits = 0;
  ASSERT_TRUE(emu.ReadIdataMemory(&hits, 0xF3000000u | program.hits, 1));
  EXPECT_GT(hits, 1) << "the run went past the cleared breakpoint";
  EXPECT_TRUE(prompter.Boxes().empty());
}

TEST_F(EmulatorRun, StopWithTheFeatureHaltsWithoutABox) {
  flags.e = 1;
  bool went = false;
  const uint64_t t0 = clock.NowMs();
  ASSERT_TRUE(GoThenStop(&went));
  EXPECT_TRUE(went);
  EXPECT_TRUE(prompter.Boxes().empty());
  EXPECT_FALSE(backend.Device()->PodRunning());
  EXPECT_FALSE(flags.fatal.load());
  EXPECT_GE(clock.NowMs() - t0, 200u);
}

TEST_F(EmulatorRun, StopThatCannotReachTheTargetOffersAForcedReset) {
  struct StopCase {
    const char* name;
    int32_t e;
    bool clearEa;
    const char* question;
  };
  const StopCase cases[] = {
      {"feature off", 0, false, texts::kStopUnavailable},
      {"interrupts off in the program", 1, true, texts::kStopFailed},
  };
  for (const StopCase& c : cases) {
    SCOPED_TRACE(c.name);
    prompter.Clear();
    if (c.clearEa) {
      // Run past the program's EA = 1, then switch interrupts off behind its back.
      ASSERT_EQ(emu.SetBreakpoint(emulator::kBreakpointSet, program.checkpoint), emulator::kBreakpointDone);
      flags.e = 0;
      ASSERT_TRUE(emu.Go(emulator::kNoStopAddress));
      ASSERT_EQ(emu.ClearArmedBreakpoints(), emulator::kBreakpointDone);
      const uint8_t ieOff = 0;
      ASSERT_TRUE(emu.WriteDataMemory(&ieOff, 0xF00000A8, 1));
    }
    flags.e = c.e;

    // No: the target keeps running.
    prompter.answers = {false};
    bool went = false;
    EXPECT_FALSE(GoThenStop(&went));
    EXPECT_TRUE(backend.Device()->PodRunning());
    // Yes: the forced reset halts it and the go request returns.
    prompter.answers = {true};
    EXPECT_TRUE(emu.Stop());
    if (stopThread_.joinable()) stopThread_.join();
    EXPECT_TRUE(went);
    EXPECT_FALSE(backend.Device()->PodRunning());
    EXPECT_EQ(prompter.Boxes(), (std::vector<Box>{{'Q', texts::kCaption, c.question},
                                                 {'Q', texts::kCaption, c.question}}));
    EXPECT_FALSE(flags.fatal.load());
    // The forced reset restarts the program.
    EXPECT_EQ(Pc(), 0);
  }
}
#endif

}  // namespace
}  // namespace orven::testing
