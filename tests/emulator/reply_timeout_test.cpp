// Every emulator command against the device-side command rules: each reply is waited for exactly its
// time-out (a reply at the time-out is taken, one a millisecond later is not), and the checker itself notices
// the faults it is there for.
#include <algorithm>
#include <functional>
#include <set>
#include <utility>

#include "link/command_codes.h"
#include "tests/emulator/scripted_emu.h"

namespace orven::testing {
namespace {

using namespace cmd;
using emulator::RegisterImage;

class EmuReplyTimeouts : public ScriptedEmu {
 public:
  // Chip 0 of vendor 0 chosen, initialised and erased.
  void PrepareChip() {
    Open();
    flags.f = 0;
    Reply(EC_CHIP_INIT);
    Reply(EC_CHIP_ERASE);
    ASSERT_TRUE(emu.PrepareDownload());
  }
  // Replies to an upgrade of a small image from the emulator's loader.
  void ScriptUpgrade() {
    Open();
    Reply(EC_STATUS, 0, 0x8000);
    Reply(EC_FW_BEGIN);
    Reply(EC_FW_DATA);
    Reply(EC_FW_END);
    ReplyIdentity(563);
  }

  uint8_t buffer[256] = {};
  uint32_t address = 0;
};

struct TimeoutCase {
  const char* name;
  uint8_t code;          // the command whose reply comes late
  uint32_t lengthField;  // picks EC_GO's time-out
  std::function<void(EmuReplyTimeouts&)> script;
  std::function<bool(EmuReplyTimeouts&)> run;  // true when the operation took the reply
};

TEST_F(EmuReplyTimeouts, EveryReplyIsWaitedForExactlyItsTimeOut) {
  using T = EmuReplyTimeouts;
  const Bytes sixteen(16, 0x5A);
  const std::vector<TimeoutCase> cases = {
      {"identify", EC_IDENTIFY, 40, [](T& t) { t.ReplyIdentity(563); }, [](T& t) { return t.emu.Connect(); }},
      {"firmware begin", EC_FW_BEGIN, 0, [](T& t) { t.ScriptUpgrade(); },
       [&](T& t) { return t.emu.UpgradeFirmware(sixteen.data(), 16); }},
      {"firmware data", EC_FW_DATA, 16, [](T& t) { t.ScriptUpgrade(); },
       [&](T& t) { return t.emu.UpgradeFirmware(sixteen.data(), 16); }},
      {"firmware end", EC_FW_END, 0, [](T& t) { t.ScriptUpgrade(); },
       [&](T& t) { return t.emu.UpgradeFirmware(sixteen.data(), 16); }},
      {"status", EC_STATUS, 0, [](T& t) {
         t.Open();
         t.Reply(EC_STATUS, 0, 0x10);
       },
       [](T& t) { return t.emu.ReadStatus() == emulator::kTargetRunning; }},
      {"pod check", EC_POD_CHECK, 0,
       [](T& t) {
         t.flags.f = 0x10;
         t.ReplyIdentity(563);
         t.Reply(EC_POD_CHECK);
         t.Reply(EC_POD_INFO, 0, 0, Bytes(32));
         t.Reply(EC_POD_START);
       },
       [](T& t) { return t.emu.Connect(); }},
      {"pod info", EC_POD_INFO, 0, nullptr, nullptr},  // filled below from the pod check
      {"pod start", EC_POD_START, 0, nullptr, nullptr},
      {"force stop", EC_FORCE_STOP, 0, [](T& t) {
         t.Open();
         t.Reply(EC_FORCE_STOP);
       },
       [](T& t) { return t.emu.ForceStop(); }},
      {"read data", EC_READ_DATA, 4, [](T& t) {
         t.Open();
         t.Reply(EC_READ_DATA, 0, 0, Bytes(4));
       },
       [](T& t) { return t.emu.ReadDataMemory(t.buffer, 0xF0000080, 4); }},
      {"write data", EC_WRITE_DATA, 4, [](T& t) {
         t.Open();
         t.Reply(EC_WRITE_DATA);
       },
       [](T& t) { return t.emu.WriteDataMemory(t.buffer, 0xF0000080, 4); }},
      {"read registers", EC_READ_REGS, 16, [](T& t) {
         t.Open();
         t.Reply(EC_READ_REGS, 0, 0, Bytes(16));
       },
       [](T& t) {
         RegisterImage r;
         return t.emu.ReadRegisters(&r);
       }},
      {"write registers", EC_WRITE_REGS, 16, [](T& t) {
         t.Open();
         t.Reply(EC_WRITE_REGS);
       },
       [](T& t) { return t.emu.WriteRegisters(RegisterImage{}); }},
      {"write code", EC_WRITE_CODE, 4, [](T& t) {
         t.Open();
         t.Reply(EC_WRITE_CODE);
       },
       [](T& t) { return t.emu.WriteCodeMemory(t.buffer, t.address = 0x100, 4); }},
      {"read code", EC_READ_CODE, 4, [](T& t) {
         t.Open();
         t.Reply(EC_READ_CODE, 0, 0, Bytes(4));
       },
       [](T& t) { return t.emu.ReadCodeMemory(t.buffer, 0x100, 4); }},
      {"write xdata", EC_WRITE_XDATA, 4, [](T& t) {
         t.Open();
         t.Reply(EC_WRITE_XDATA);
       },
       [](T& t) { return t.emu.WriteXdataMemory(t.buffer, 0x01000000, 4); }},
      {"read xdata", EC_READ_XDATA, 4, [](T& t) {
         t.Open();
         t.Reply(EC_READ_XDATA, 0, 0, Bytes(4));
       },
       [](T& t) { return t.emu.ReadXdataMemory(t.buffer, 0x01000000, 4); }},
      {"write idata", EC_WRITE_IDATA, 4, [](T& t) {
         t.Open();
         t.Reply(EC_WRITE_IDATA);
       },
       [](T& t) { return t.emu.WriteIdataMemory(t.buffer, 0xF3000000, 4); }},
      {"read idata", EC_READ_IDATA, 4, [](T& t) {
         t.Open();
         t.Reply(EC_READ_IDATA, 0, 0, Bytes(4));
       },
       [](T& t) { return t.emu.ReadIdataMemory(t.buffer, 0xF3000000, 4); }},
      {"read pc", EC_READ_PC, 2, [](T& t) {
         t.Open();
         t.Reply(EC_READ_PC, 0, 0x1234, Bytes{0x34, 0x12});
       },
       [](T& t) {
         uint16_t pc = 0;
         return t.emu.ReadPc(&pc) && pc == 0x1234;
       }},
      {"write pc", EC_WRITE_PC, 0, [](T& t) {
         t.Open();
         t.Reply(EC_WRITE_PC);
       },
       [](T& t) { return t.emu.WritePc(0x100); }},
      {"go, running on", EC_GO, 0, [](T& t) {
         t.Open();
         t.Reply(EC_GO);
         t.Reply(EC_STATUS);
       },
       [](T& t) { return t.emu.Go(0xFFFF); }},
      {"go after resetting the application", EC_GO, 1,
       [](T& t) {
         t.Open();
         t.flags.f = 0x10;
         ASSERT_TRUE(t.emu.PrepareDownload());
         t.Reply(EC_GO);
       },
       [](T& t) { return t.emu.ResetAndRun(); }},
      {"step", EC_STEP, 0, [](T& t) {
         t.Open();
         t.Reply(EC_STEP, 0, 0x0102);
       },
       [](T& t) {
         uint32_t pc = 0;
         return t.emu.Step(&pc) && pc == 0x0102;
       }},
      {"breakpoint", EC_BREAKPOINT, 0, [](T& t) {
         t.Open();
         t.Reply(EC_BREAKPOINT, 7);
       },
       [](T& t) { return t.emu.SetBreakpoint(1, 0x100) == emulator::kBreakpointTooMany; }},
      {"chip init", EC_CHIP_INIT, 0,
       [](T& t) {
         t.Open();
         t.flags.f = 0;
         t.Reply(EC_CHIP_INIT);
         t.Reply(EC_CHIP_ERASE);
       },
       [](T& t) { return t.emu.PrepareDownload(); }},
      {"chip erase", EC_CHIP_ERASE, 0, nullptr, nullptr},  // filled below from the chip init
      {"chip run", EC_CHIP_RUN, 0, [](T& t) {
         t.PrepareChip();
         t.Reply(EC_CHIP_RUN);
       },
       [](T& t) { return t.emu.ResetAndRun(); }},
      {"chip program", EC_CHIP_PROGRAM, 16, [](T& t) {
         t.PrepareChip();
         t.Reply(EC_CHIP_PROGRAM);
       },
       [&](T& t) { return t.emu.ProgramImage(0, sixteen.data(), 16, &t.address); }},
      {"chip read", EC_CHIP_READ, 16, [&](T& t) {
         t.PrepareChip();
         t.Reply(EC_CHIP_READ, 0, 0, sixteen);
       },
       [&](T& t) { return t.emu.VerifyImage(0, sixteen.data(), 16, &t.address); }},
  };

  std::set<std::pair<uint8_t, uint32_t>> covered;  // code and time-out
  for (const TimeoutCase& listed : cases) {
    TimeoutCase c = listed;
    if (!c.script) {  // operations that share another case's script
      const uint8_t from = c.code == EC_CHIP_ERASE ? EC_CHIP_INIT : EC_POD_CHECK;
      for (const TimeoutCase& o : cases) {
        if (o.code == from) {
          c.script = o.script;
          c.run = o.run;
        }
      }
    }
    const CommandRule* rule = FindCommandRule(c.code);
    ASSERT_NE(rule, nullptr) << c.name;
    const uint32_t timeout = ReplyTimeoutMs(*rule, c.lengthField);
    covered.insert({c.code, timeout});
    for (const uint32_t delay : {timeout, timeout + 1}) {
      SCOPED_TRACE(std::string(c.name) + ", reply after " + std::to_string(delay) + " ms");
      emu.Disconnect();
      Forget();
      device->input.clear();
      flags.e = 1;
      flags.fatal = false;
      replyDelayMs = {{c.code, delay}};
      c.script(*this);
      EXPECT_EQ(c.run(*this), delay == timeout);
      // The command went out: the reply, not the send, decided.
      const std::vector<uint8_t> sent = SentCodes();
      EXPECT_NE(std::find(sent.begin(), sent.end(), c.code), sent.end());
      if (delay == timeout) {
        EXPECT_TRUE(device->input.empty()) << "replies left unread";
      }
    }
  }
  // Every reply time-out of the command set was reached.
  for (const CommandRule& r : CommandRules()) {
    for (const uint32_t timeout : {r.replyMs, r.resetReplyMs}) {
      if (timeout != 0) {
        EXPECT_EQ(covered.count({r.code, timeout}), 1u) << r.name << " waited " << timeout << " ms";
      }
    }
  }
}

// The checker is only worth its rules if it notices a command that breaks one.
TEST(CommandRuleChecker, NoticesEachKindOfBrokenRule) {
  struct Case {
    const char* name;
    std::vector<Bytes> written;
    std::vector<uint32_t> reads;  // time-outs of the reads that follow
    const char* violation;        // what the first complaint mentions
  };
  Bytes fourData(64, 0);
  fourData[0] = 0xA5;
  const std::vector<Case> cases = {
      {"unknown code", {CommandReport(6, 0x80, 0, 0)}, {}, "not an emulator command"},
      {"length of a fixed-length command", {CommandReport(15, 0x80, 0, 8)}, {500}, "length field 8"},
      {"read longer than a command carries", {CommandReport(20, 0x80, 0x01000000, 129)}, {500}, "length field"},
      {"address of a command without one", {CommandReport(7, 0x80, 1, 0)}, {2000}, "address field"},
      {"data space tag on xdata", {CommandReport(20, 0x80, 0xF0000000, 4)}, {500}, "address field F0000000"},
      {"a write without the flag cleared", {CommandReport(19, 0x80, 0x01000000, 4)}, {500}, "no-data flag on a write"},
      {"a payload shorter than announced", {CommandReport(19, 0, 0x01000000, 70), fourData}, {}, "1 of 2"},
      {"an extra byte where none belongs", {CommandReport(27, 0x80, 0, 0, {1})}, {500}, "byte 12 is 1"},
      {"go's feature byte out of range", {CommandReport(26, 0x80, 0xFFFF, 0, {2})}, {5000}, "byte 12 is 2"},
      {"run on waited as a reset", {CommandReport(26, 0x80, 0xFFFF, 0)}, {500}, "waits 500 ms"},
      {"reset waited as a run on", {CommandReport(26, 0x80, 0xFFFF, 1)}, {5000}, "waits 5000 ms"},
      {"a reply to a command without one", {CommandReport(25, 0x80, 0, 0)}, {500}, "never sends"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedDevice device;
    CommandRuleChecker checker;
    checker.Attach(device);
    for (const Bytes& r : c.written) device.onWrite(r);
    for (uint32_t t : c.reads) device.onRead(t);
    device.onWrite(CommandReport(7, 0x80, 0, 0));  // the next command closes the last one
    ASSERT_FALSE(checker.Violations().empty());
    EXPECT_NE(checker.Violations()[0].find(c.violation), std::string::npos) << checker.Violations()[0];
  }
}

}  // namespace
}  // namespace orven::testing
