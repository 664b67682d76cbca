// The simulated emulator on its own virtual bus with the host's frame in front of it: each check sends real
// command reports and reads the device's real replies, in virtual time.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "link/clock.h"
#include "link/command_codes.h"
#include "link/frame.h"
#include "link/hid.h"
#include "sim/emulator_backend.h"

namespace orven::testing {

struct Answer {
  bool ok = false;             // a well-formed response arrived
  link::FrameError error = link::FrameError::kNone;
  uint8_t status = 0;
  uint32_t value = 0;          // the reply value at offset 4
  std::vector<uint8_t> data;   // exactly the data bytes the response announced
};

struct Command {
  uint8_t code = 0;
  uint32_t address = 0;
  uint32_t length = 0;              // for commands without payload
  std::vector<uint8_t> payload;     // sent as data reports; the length field becomes its size
  std::vector<uint8_t> extra;       // bytes from offset 12 on
};

class EmulatorRig {
 public:
  explicit EmulatorRig(const sim::EmulatorOptions& options = {})
      : pcReadData_(options.pcReadData), backend_(clock, options), hid_(backend_), frame_(hid_, link::FrameFlavour::kEmulator) {
    EXPECT_TRUE(hid_.OpenDevice(link::kProductQx410));
  }

  sim::EmulatorDevice& Device() { return *backend_.Device(); }
  link::CHid& Hid() { return hid_; }

  // One exchange; timeoutMs is how long the host waits for the response (virtual time passes while it waits
  // in vain).
  Answer Exchange(const Command& c, uint32_t timeoutMs = 500) {
    Answer a;
    link::FrameReport report = link::FrameReport::Command(c.code, c.address, c.length);
    if (!c.extra.empty()) report.SetParams(c.extra.data(), static_cast<uint32_t>(c.extra.size()));
    if (!frame_.SendCommand(report, c.payload.data(), static_cast<uint32_t>(c.payload.size()))) {
      a.error = frame_.LastError();
      return a;
    }
    std::vector<uint8_t> buffer(16384);
    link::FrameReport response;
    a.ok = frame_.ReceiveResponse(response, buffer.data(), static_cast<uint32_t>(buffer.size()), c.code, timeoutMs);
    a.error = frame_.LastError();
    a.status = response.Status();
    a.value = response.Result();
    if (a.ok) {
      buffer.resize(response.Length());
      a.data = std::move(buffer);
    }
    return a;
  }
  Answer Exchange(uint8_t code, uint32_t address = 0, uint32_t length = 0) {
    return Exchange(Command{code, address, length, {}, {}});
  }
  // For the commands the host never awaits a reply to: true when the device sent none.
  bool SendsNoReply(const Command& c) {
    Answer a = Exchange(c, 100);
    return !a.ok && a.error == link::FrameError::kNoResponse;
  }

  // Debugger shorthands.
  Answer Status() { return Exchange(cmd::EC_STATUS); }
  bool Running() { return (Status().value & cmd::kEmulatorRunning) != 0; }
  Answer Go(uint16_t stopAddress = 0xFFFF, bool reset = false, bool feature = false) {
    return Exchange(Command{cmd::EC_GO, stopAddress, reset ? 1u : 0u, {}, {static_cast<uint8_t>(feature ? 1 : 0)}});
  }
  Answer Breakpoint(uint16_t address, bool set) {
    return Exchange(Command{cmd::EC_BREAKPOINT, address, 0, {}, {static_cast<uint8_t>(set ? 1 : 0)}});
  }
  Answer Write(uint8_t code, uint32_t address, std::vector<uint8_t> bytes) {
    return Exchange(Command{code, address, 0, std::move(bytes), {}});
  }
  // The PC read answers with the reply value, and only with the knob set adds the two bytes asked for.
  uint16_t Pc() {
    Answer a = Exchange(cmd::EC_READ_PC, 0, 2);
    const auto pc = static_cast<uint16_t>(a.value);
    const std::vector<uint8_t> bytes{static_cast<uint8_t>(pc & 0xFF), static_cast<uint8_t>(pc >> 8)};
    EXPECT_EQ(a.data, pcReadData_ ? bytes : std::vector<uint8_t>{});
    return pc;
  }
  // Puts a program at code address 0 and makes the pod ready to run it from there.
  void Load(const std::vector<uint8_t>& program) {
    ASSERT_EQ(Write(cmd::EC_WRITE_CODE, 0, program).status, 0);
    ASSERT_EQ(Exchange(cmd::EC_POD_START).status, 0);
  }

  VirtualClock clock;

 private:
  bool pcReadData_;
  sim::SimulatedEmulatorBackend backend_;
  link::CHid hid_;
  link::CommandFrame frame_;
};

}  // namespace orven::testing
