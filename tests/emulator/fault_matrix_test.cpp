// Every fault the simulated emulator can commit, at every command of Connect, a memory read, a go (its go
// command and its status poll) and a step: each ends with its box and flag, nothing hangs, and the next
// Connect works.
#include <gtest/gtest.h>

#include "emulator/ice_usb.h"
#include "emulator/texts.h"
#include "link/command_codes.h"
#include "sim/emulator_backend.h"
#include "tests/emulator/emulator_rig.h"

namespace orven::testing {
namespace {

using namespace cmd;
namespace texts = emulator::texts;
using sim::Fault;
using sim::FaultKind;

enum class Reaction { kLost, kMalformed, kRefused, kSlowInTime };

struct FaultCase {
  const char* name;
  Fault fault;
  Reaction reaction;
};

const FaultCase kFaults[] = {
    {"no reply", {FaultKind::kNoReply, 0, 0, 1}, Reaction::kLost},
    {"leaves the bus", {FaultKind::kLeaveBus, 0, 0, 1}, Reaction::kLost},
    {"too slow", {FaultKind::kSlowReply, 10000, 0, 1}, Reaction::kLost},
    {"slow but in time", {FaultKind::kSlowReply, 100, 0, 1}, Reaction::kSlowInTime},
    {"wrong code", {FaultKind::kWrongCode, 0, 0, 1}, Reaction::kMalformed},
    {"wrong marker", {FaultKind::kWrongMarker, 0, 0, 1}, Reaction::kMalformed},
    {"missing data", {FaultKind::kMissingData, 0, 0, 1}, Reaction::kMalformed},
    {"short data", {FaultKind::kShortData, 0, 0, 1}, Reaction::kMalformed},
    {"bad data marker", {FaultKind::kBadDataMarker, 0, 0, 1}, Reaction::kMalformed},
    {"refused", {FaultKind::kRefuse, 10, 0, 1}, Reaction::kRefused},
};

enum class BoxKind { kNone, kComm, kPod, kCommThenPod };

struct Outcome {
  bool result;
  BoxKind box;
  bool fatal;
};

// What each operation does with each reaction of the emulator.
struct Step {
  const char* name;
  uint8_t code;
  bool duringConnect;
  Outcome lost, malformed, refused;
};

const Outcome kOk{true, BoxKind::kNone, false};
const Outcome kQuietFailure{false, BoxKind::kNone, false};
const Outcome kCommFatal{false, BoxKind::kComm, true};
// A garbled pod reply: the link error, then what to check on the pod.
const Outcome kPodCommFatal{false, BoxKind::kCommThenPod, true};
const Outcome kQuietFatal{false, BoxKind::kNone, true};

const Step kSteps[] = {
    // The first identify reports a broken link without making the session fatal; a refusal carries no block.
    {"identify", EC_IDENTIFY, true, kQuietFailure, {false, BoxKind::kComm, false}, {false, BoxKind::kComm, false}},
    {"pod check", EC_POD_CHECK, true, {false, BoxKind::kPod, false}, kPodCommFatal, {false, BoxKind::kPod, false}},
    {"pod info", EC_POD_INFO, true, {false, BoxKind::kPod, false}, kPodCommFatal, kPodCommFatal},
    {"pod start", EC_POD_START, true, kQuietFatal, kCommFatal, kQuietFatal},
    {"xdata read", EC_READ_XDATA, false, kQuietFailure, kCommFatal, kCommFatal},
    // A go whose start or whose halt is not confirmed leaves the target's state unknown: the session ends.
    {"go", EC_GO, false, kQuietFatal, kCommFatal, kQuietFatal},
    {"go's status poll", EC_STATUS, false, kQuietFatal, kCommFatal, kQuietFatal},
    {"step", EC_STEP, false, kQuietFailure, kCommFatal, kQuietFailure},
};

class FaultMatrixEmulator : public ::testing::Test {
 protected:
  bool Run(uint8_t code) {
    uint8_t buffer[200];
    uint32_t pc = 0;
    switch (code) {
      case EC_READ_XDATA: return emu.ReadXdataMemory(buffer, 0x01000000, sizeof buffer);
      case EC_GO:
      case EC_STATUS: return emu.Go(0x0010);  // the empty code memory runs NOPs up to the stop address
      case EC_STEP: return emu.Step(&pc);
      default: return emu.Connect();
    }
  }

  VirtualClock clock;
  sim::SimulatedEmulatorBackend backend{clock, {}};
  RecordingHost host;
  ScriptedPrompter prompter;
  TestFlags flags;
  emulator::CIceUsb emu{backend, clock, host, prompter, flags};
};

TEST_F(FaultMatrixEmulator, EveryFaultAtEveryCommand) {
  flags.f = 0x10;  // Connect attaches the pod
  for (const Step& step : kSteps) {
    for (const FaultCase& f : kFaults) {
      SCOPED_TRACE(std::string(step.name) + ": " + f.name);
      sim::EmulatorDevice& device = *backend.Device();
      if (!step.duringConnect) {
        ASSERT_TRUE(emu.Connect());
      }
      prompter.Clear();
      device.SetFault(step.code, f.fault);
      const bool result = Run(step.code);

      const Outcome expected = f.reaction == Reaction::kLost        ? step.lost
                               : f.reaction == Reaction::kMalformed ? step.malformed
                               : f.reaction == Reaction::kRefused   ? step.refused
                                                                    : kOk;
      EXPECT_EQ(result, expected.result);
      EXPECT_EQ(flags.fatal.load(), expected.fatal);
      std::vector<Box> boxes;
      if (expected.box == BoxKind::kComm || expected.box == BoxKind::kCommThenPod) {
        boxes.push_back({'E', texts::kCaptionCommError, texts::kCommError});
      }
      if (expected.box == BoxKind::kPod || expected.box == BoxKind::kCommThenPod) {
        boxes.push_back({'E', texts::kCaption, texts::kPodFailed});
      }
      EXPECT_EQ(prompter.Boxes(), boxes);

      // Recovery: the device is back and behaves; the host's fatal check ends the session, then a new one. A
      // reply that came too late has arrived by then, and the purge before the next command drops it.
      clock.Advance(15000);
      device.ClearFaults();
      device.Replug();
      emu.FatalCheck();
      flags.fatal = false;
      prompter.Clear();
      EXPECT_TRUE(emu.Connect());
      EXPECT_TRUE(prompter.Boxes().empty());
      emu.Disconnect();
    }
  }
}

}  // namespace
}  // namespace orven::testing
