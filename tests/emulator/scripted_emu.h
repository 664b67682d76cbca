// A CIceUsb over the scripted backend: tests queue the emulator's exact replies and read back every report
// the driver wrote, decoded into commands with their payloads. Every command is checked against the emulator's
// command rules as it goes out; a test fails at its end when one broke a rule.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "emulator/ice_usb.h"
#include "link/identification_block.h"
#include "tests/emulator/command_rules.h"
#include "tests/emulator/emulator_rig.h"
#include "tests/support/scripted_backend.h"

namespace orven::testing {

struct SentCommand {
  Bytes report;  // the 64-byte command report
  Bytes data;    // the payload carried by its data reports
  uint8_t Code() const { return report[2]; }
  uint32_t Address() const { return GetU32Le(report.data() + 4); }
  uint32_t Length() const { return GetU32Le(report.data() + 8); }
};

// A command report as the driver must send it: marker, code, data flag, address, length, extra bytes.
Bytes CommandReport(uint8_t code, uint8_t flag, uint32_t address, uint32_t length, const Bytes& extra = {});

IdentificationBlock Identity(uint32_t build, uint16_t model = kModelQx410);

class ScriptedEmu : public ::testing::Test {
 public:
  ScriptedEmu() { rules.Attach(*device); }
  void TearDown() override { EXPECT_EQ(rules.Violations(), std::vector<std::string>{}); }

  // Queues a response report and, for data, its data reports. The response arrives after replyDelayMs[code].
  void Reply(uint8_t code, uint8_t status = 0, uint32_t result = 0, const Bytes& data = {});
  void ReplyIdentity(uint32_t build, uint16_t model = kModelQx410);
  // Connects to an emulator with current firmware and the pod deferred, then forgets the traffic.
  void Open();
  std::vector<SentCommand> Sent() const;
  std::vector<uint8_t> SentCodes() const;
  void Forget() {
    device->output.clear();
    prompter.Clear();
  }

  ScriptedBackend backend;
  std::shared_ptr<ScriptedDevice> device = backend.Add(0x1A7C, 0x5120);
  CommandRuleChecker rules;
  std::map<uint8_t, uint32_t> replyDelayMs;  // by command code; 0 when absent
  HookClock clock;
  RecordingHost host;
  ScriptedPrompter prompter;
  TestFlags flags;
  emulator::CIceUsb emu{backend, clock, host, prompter, flags};
};

// Compares two reports and shows both as hex dumps when they differ.
::testing::AssertionResult SameBytes(const Bytes& expected, const Bytes& actual);

}  // namespace orven::testing
