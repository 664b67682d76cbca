// The emulator's reply latency against the driver's time-outs: a reply within a command's time-out is taken,
// one a millisecond later is a time-out the driver reports as a failure; at USB speed each exchange costs its
// latency once.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "emulator/ice_usb.h"
#include "link/command_codes.h"
#include "sim/emulator_backend.h"
#include "tests/emulator/emulator_rig.h"

namespace orven::testing {
namespace {

using namespace cmd;

class LatencyTest : public ::testing::Test {
 protected:
  void SetUp() override { flags.f = 0x10; }  // Connect attaches the pod

  VirtualClock clock;
  sim::SimulatedEmulatorBackend backend{clock, {}};
  RecordingHost host;
  ScriptedPrompter prompter;
  TestFlags flags;
  emulator::CIceUsb emu{backend, clock, host, prompter, flags};
  sim::EmulatorDevice& device = *backend.Device();
};

TEST_F(LatencyTest, AReplyLaterThanTheCommandsTimeOutIsATimeOut) {
  enum class Op { kConnect, kRegisters, kStatus, kForceStop, kGo };
  struct Case {
    const char* name;
    Op op;
    uint32_t latencyMs;
    bool ok;
    uint8_t lastCommand;  // how far the operation got
  };
  const Case cases[] = {
      {"identify at its 500 ms, and the pod after it", Op::kConnect, 500, true, EC_POD_START},
      {"identify 1 ms late", Op::kConnect, 501, false, EC_IDENTIFY},
      {"register read at its 500 ms", Op::kRegisters, 500, true, EC_READ_REGS},
      {"register read 1 ms late", Op::kRegisters, 501, false, EC_READ_REGS},
      {"status at its 2000 ms", Op::kStatus, 2000, true, EC_STATUS},
      {"status 1 ms late", Op::kStatus, 2001, false, EC_STATUS},
      {"forced stop 1 ms late", Op::kForceStop, 501, false, EC_FORCE_STOP},
      // The go waits 5000 ms for its start, so a reply 2001 ms late starts the run; the poll then times out.
      {"go and its polls in time", Op::kGo, 2000, true, EC_STATUS},
      {"go started, its poll 1 ms late", Op::kGo, 2001, false, EC_STATUS},
      {"go 1 ms past its 5000 ms", Op::kGo, 5001, false, EC_GO},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.op != Op::kConnect) {
      ASSERT_TRUE(emu.Connect());
    }
    device.SetLatency(c.latencyMs);
    device.ClearCommandLog();
    emulator::RegisterImage registers;
    bool ok = false;
    switch (c.op) {
      case Op::kConnect: ok = emu.Connect(); break;
      case Op::kRegisters: ok = emu.ReadRegisters(&registers); break;
      case Op::kStatus: ok = emu.ReadStatus() == emulator::kTargetHalted; break;
      case Op::kForceStop: ok = emu.ForceStop(); break;
      case Op::kGo: ok = emu.Go(0x0010); break;  // the empty code memory runs NOPs up to the stop address
    }
    EXPECT_EQ(ok, c.ok);
    if (!c.ok) {
      EXPECT_EQ(emu.LastFrameError(), link::FrameError::kNoResponse);
    }
    ASSERT_FALSE(device.CommandLog().empty());
    EXPECT_EQ(device.CommandLog().back(), c.lastCommand);

    // Late replies have arrived by now; the purge before the next command drops them.
    clock.Advance(10000);
    device.SetLatency(0);
    emu.Disconnect();
    flags.fatal = false;
  }
}

TEST_F(LatencyTest, AtUsbSpeedEachExchangeCostsItsLatencyOnce) {
  ASSERT_TRUE(emu.Connect());
  device.SetLatency(2);
  uint8_t buffer[300] = {};
  emulator::RegisterImage registers;
  uint32_t pc = 0;
  struct Case {
    const char* name;
    std::function<bool()> op;
    uint64_t exchanges;
  };
  const Case cases[] = {
      {"300 X: bytes in three reads", [&] { return emu.ReadXdataMemory(buffer, 0x01000000, 300); }, 3},
      {"300 X: bytes in three writes", [&] { return emu.WriteXdataMemory(buffer, 0x01000000, 300); }, 3},
      {"registers", [&] { return emu.ReadRegisters(&registers); }, 1},
      {"a step", [&] { return emu.Step(&pc); }, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const uint64_t before = clock.NowMs();
    EXPECT_TRUE(c.op());
    EXPECT_EQ(clock.NowMs() - before, 2 * c.exchanges);
  }
}

}  // namespace
}  // namespace orven::testing
