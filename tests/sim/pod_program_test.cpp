// A compiled C program in the pod: downloaded like the driver does it, started with a reset, and watched as
// the device's clock moves. The pod runs exactly as far as virtual time has advanced.
#include <gtest/gtest.h>

#include "tests/sim/emulator_rig.h"
#include "tests/support/sdcc_program.h"

namespace orven::testing {
namespace {

using namespace orven::cmd;

#ifdef ORVEN_POD_PROGRAM
struct Ticker {
  std::vector<uint8_t> image;  // from address 0 to the program's last byte
  uint16_t done = 0;
  uint8_t ticks = 0;           // internal RAM address of the 16-bit tick count
};

bool LoadTicker(Ticker& t) {
  SdccProgram program;
  if (!program.Load(ORVEN_POD_PROGRAM)) return false;
  const uint32_t done = program.At("_done"), ticks = program.At("_ticks");
  if (done > 0xFFFF || ticks > 0xFF) return false;
  t.image = program.code;
  t.done = static_cast<uint16_t>(done);
  t.ticks = static_cast<uint8_t>(ticks);
  return true;
}

// Downloads in 256-byte chunks, starts the pod, stops at done() and resets into the program.
void DownloadAndStart(EmulatorRig& rig, const Ticker& t) {
  for (size_t at = 0; at < t.image.size(); at += 256) {
    const size_t n = std::min<size_t>(256, t.image.size() - at);
    ASSERT_EQ(rig.Write(EC_WRITE_CODE, static_cast<uint32_t>(at),
                        std::vector<uint8_t>(t.image.begin() + static_cast<long>(at),
                                             t.image.begin() + static_cast<long>(at + n)))
                  .status,
              0);
  }
  ASSERT_EQ(rig.Device().PodMemory(mcs51::Space::kCode, 0, static_cast<uint32_t>(t.image.size())), t.image);
  ASSERT_EQ(rig.Exchange(EC_POD_START).status, 0);
  ASSERT_EQ(rig.Breakpoint(t.done, true).status, 0);
  ASSERT_EQ(rig.Go(0xFFFF, true).status, 0);
}

uint16_t Ticks(EmulatorRig& rig, const Ticker& t) {
  const std::vector<uint8_t> b = rig.Device().PodMemory(mcs51::Space::kIdata, t.ticks, 2);
  return static_cast<uint16_t>(b[0] | b[1] << 8);
}
#endif

TEST(PodProgram, RunsAsFarAsTheClockAdvancedAndHaltsAtItsBreakpoint) {
#ifndef ORVEN_POD_PROGRAM
  GTEST_SKIP() << "SDCC is not installed";
#else
  Ticker t;
  ASSERT_TRUE(LoadTicker(t));
  // Timer 0 overflows every 256 machine cycles; a machine cycle is 12 crystal clocks.
  for (uint32_t crystal : {11'059'200u, 22'118'400u}) {
    SCOPED_TRACE(crystal);
    sim::EmulatorOptions options;
    options.crystalHz = crystal;
    EmulatorRig rig(options);
    DownloadAndStart(rig, t);

    rig.clock.Advance(50);
    ASSERT_TRUE(rig.Running());
    const uint64_t expected = uint64_t{crystal} / 20 / 12;
    uint64_t cycles = 0;
    rig.Device().WithPod([&](sim::Pod& pod) { cycles = pod.Core().Cycles(); });
    EXPECT_GE(cycles, expected);
    EXPECT_LE(cycles, expected + 4);  // the last instruction or interrupt entry may end past the budget
    // The C start-up code clears memory before main starts the timer.
    const uint16_t first = Ticks(rig, t);
    EXPECT_LE(first, expected / 256);
    EXPECT_GE(first, expected / 256 - 8);

    // Nothing runs between commands: the pod is not ahead of the clock.
    rig.Device().WithPod([&](sim::Pod& pod) { EXPECT_EQ(pod.Core().Cycles(), cycles); });
    // Another 50 ms are another 50 ms of timer overflows.
    rig.clock.Advance(50);
    ASSERT_TRUE(rig.Running());
    EXPECT_NEAR(Ticks(rig, t) - first, expected / 256, 1);

    // 1000 ticks need 256,000 cycles: well within a second at either crystal.
    rig.clock.Advance(900);
    EXPECT_FALSE(rig.Running());
    EXPECT_EQ(rig.Pc(), t.done);
    Answer ticks = rig.Exchange(EC_READ_IDATA, 0xF3000000u | t.ticks, 2);
    ASSERT_EQ(ticks.data.size(), 2u);
    const unsigned count = ticks.data[0] | ticks.data[1] << 8;
    EXPECT_GE(count, 1000u);
    EXPECT_LE(count, 1001u);
  }
#endif
}

TEST(PodProgram, StopRequestHaltsTheCompiledProgramWhichKeepsInterruptsOn) {
#ifndef ORVEN_POD_PROGRAM
  GTEST_SKIP() << "SDCC is not installed";
#else
  Ticker t;
  ASSERT_TRUE(LoadTicker(t));
  EmulatorRig rig;
  DownloadAndStart(rig, t);
  ASSERT_EQ(rig.Go(0xFFFF, false, true).status, 0);
  rig.clock.Advance(50);
  ASSERT_TRUE(rig.Running());
  EXPECT_TRUE(rig.SendsNoReply({EC_STOP_REQUEST, 0, 0, {}, {}}));
  EXPECT_FALSE(rig.Running());
  const uint16_t halted = Ticks(rig, t);
  EXPECT_GT(halted, 0u);
  EXPECT_LT(halted, 1000u);
  rig.clock.Advance(1000);
  EXPECT_EQ(Ticks(rig, t), halted);
#endif
}

}  // namespace
}  // namespace orven::testing
