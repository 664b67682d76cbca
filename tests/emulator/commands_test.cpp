// The emulator commands on the wire: every code's command report byte for byte, chunking, reply checks.
#include <functional>

#include "emulator/texts.h"
#include "link/command_codes.h"
#include "tests/emulator/scripted_emu.h"

namespace orven::testing {
namespace {

using namespace cmd;
using emulator::CIceUsb;
using emulator::RegisterImage;

constexpr uint8_t kRead = 0x80;   // no data reports follow: the length field is the count wanted
constexpr uint8_t kWrite = 0x00;  // data reports follow: the length field is the payload length

class EmuCommands : public ScriptedEmu {
 protected:
  void SetUp() override { Open(); }
};

struct CommandCase {
  const char* name;
  std::function<void(ScriptedEmu&)> reply;
  std::function<bool(CIceUsb&)> run;
  Bytes report;   // the command report expected
  Bytes payload;  // the data expected after it
};

Bytes Seq(uint32_t n, uint8_t first = 0) {
  Bytes b(n);
  for (uint32_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(first + i);
  return b;
}

TEST_F(EmuCommands, EveryCodeGoesOutByteForByte) {
  static uint8_t buffer[256];
  static const Bytes four = Seq(4, 0x10);
  static const RegisterImage regs = [] {
    RegisterImage r;
    for (int i = 0; i < 16; ++i) r.bytes[i] = static_cast<uint8_t>(0xA0 + i);
    return r;
  }();
  const std::vector<CommandCase> cases = {
      {"read data", [](ScriptedEmu& t) { t.Reply(EC_READ_DATA, 0, 0, Seq(8)); },
       [](CIceUsb& e) { return e.ReadDataMemory(buffer, 0xF0000080, 8); },
       CommandReport(EC_READ_DATA, kRead, 0xF0000080, 8), {}},
      {"write data", [](ScriptedEmu& t) { t.Reply(EC_WRITE_DATA); },
       [](CIceUsb& e) { return e.WriteDataMemory(four.data(), 0xF0000090, 4); },
       CommandReport(EC_WRITE_DATA, kWrite, 0xF0000090, 4), four},
      {"read code", [](ScriptedEmu& t) { t.Reply(EC_READ_CODE, 0, 0, Seq(16)); },
       [](CIceUsb& e) { return e.ReadCodeMemory(buffer, 0xFF001234, 16); },
       CommandReport(EC_READ_CODE, kRead, 0x1234, 16), {}},
      {"write code", [](ScriptedEmu& t) { t.Reply(EC_WRITE_CODE); },
       [](CIceUsb& e) {
         uint32_t a = 0xFF000100;
         return e.WriteCodeMemory(four.data(), a, 4) && a == 0x100;
       },
       CommandReport(EC_WRITE_CODE, kWrite, 0x100, 4), four},
      {"read xdata", [](ScriptedEmu& t) { t.Reply(EC_READ_XDATA, 0, 0, Seq(4)); },
       [](CIceUsb& e) { return e.ReadXdataMemory(buffer, 0x01020304, 4); },
       CommandReport(EC_READ_XDATA, kRead, 0x01020304, 4), {}},
      {"write xdata", [](ScriptedEmu& t) { t.Reply(EC_WRITE_XDATA); },
       [](CIceUsb& e) { return e.WriteXdataMemory(four.data(), 0xFE000010, 4); },
       CommandReport(EC_WRITE_XDATA, kWrite, 0xFE000010, 4), four},
      {"read idata", [](ScriptedEmu& t) { t.Reply(EC_READ_IDATA, 0, 0, Seq(4)); },
       [](CIceUsb& e) { return e.ReadIdataMemory(buffer, 0xF3000020, 4); },
       CommandReport(EC_READ_IDATA, kRead, 0xF3000020, 4), {}},
      {"write idata", [](ScriptedEmu& t) { t.Reply(EC_WRITE_IDATA); },
       [](CIceUsb& e) { return e.WriteIdataMemory(four.data(), 0xF0000005, 4); },
       CommandReport(EC_WRITE_IDATA, kWrite, 0xF0000005, 4), four},
      {"read registers", [](ScriptedEmu& t) { t.Reply(EC_READ_REGS, 0, 0, Seq(16)); },
       [](CIceUsb& e) {
         RegisterImage r;
         return e.ReadRegisters(&r) && r.Pc() == 0x0506 && r.R(7) == 15;
       },
       CommandReport(EC_READ_REGS, kRead, 0, 16), {}},
      {"write registers", [](ScriptedEmu& t) { t.Reply(EC_WRITE_REGS); },
       [](CIceUsb& e) { return e.WriteRegisters(regs); },
       CommandReport(EC_WRITE_REGS, kWrite, 0, 16), Bytes(regs.bytes, regs.bytes + 16)},
      {"read pc", [](ScriptedEmu& t) { t.Reply(EC_READ_PC, 0, 0xFFFF4321, Seq(2)); },
       [](CIceUsb& e) {
         uint16_t pc = 0;
         return e.ReadPc(&pc) && pc == 0x4321;
       },
       CommandReport(EC_READ_PC, kRead, 0, 2), {}},
      {"write pc", [](ScriptedEmu& t) { t.Reply(EC_WRITE_PC); }, [](CIceUsb& e) { return e.WritePc(0xBEEF); },
       CommandReport(EC_WRITE_PC, kRead, 0xBEEF, 0), {}},
      {"step", [](ScriptedEmu& t) { t.Reply(EC_STEP, 0, 0x0123); },
       [](CIceUsb& e) {
         uint32_t pc = 0;
         return e.Step(&pc) && pc == 0x0123;
       },
       CommandReport(EC_STEP, kRead, 0, 0), {}},
      {"set breakpoint", [](ScriptedEmu& t) { t.Reply(EC_BREAKPOINT); },
       [](CIceUsb& e) { return e.SetBreakpoint(1, 0x0456) == 0; },
       CommandReport(EC_BREAKPOINT, kRead, 0x0456, 0, {1}), {}},
      {"clear breakpoint", [](ScriptedEmu& t) { t.Reply(EC_BREAKPOINT); },
       [](CIceUsb& e) { return e.SetBreakpoint(0, 0x0456) == 0; },
       CommandReport(EC_BREAKPOINT, kRead, 0x0456, 0, {0}), {}},
      {"status", [](ScriptedEmu& t) { t.Reply(EC_STATUS, 0, 0x10); },
       [](CIceUsb& e) { return e.ReadStatus() == emulator::kTargetRunning; },
       CommandReport(EC_STATUS, kRead, 0, 0), {}},
      {"force stop", [](ScriptedEmu& t) { t.Reply(EC_FORCE_STOP); }, [](CIceUsb& e) { return e.ForceStop(); },
       CommandReport(EC_FORCE_STOP, kRead, 0, 0), {}},
      {"go with the stop feature", [](ScriptedEmu& t) {
         t.Reply(EC_GO);
         t.Reply(EC_STATUS, 0, 0);
       },
       [](CIceUsb& e) { return e.Go(0x1FF00); }, CommandReport(EC_GO, kRead, 0xFF00, 0, {1}), {}},
      // After a download to the pod: the application is reset first (length field 1), without the feature byte.
      {"reset and run", [](ScriptedEmu& t) {
         t.flags.f = 0x10;
         t.Reply(EC_GO);
       },
       [](CIceUsb& e) { return e.PrepareDownload() && e.ResetAndRun(); },
       CommandReport(EC_GO, kRead, 0xFFFF, 1, {0}), {}},
  };
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.name);
    Forget();
    c.reply(*this);
    EXPECT_TRUE(c.run(emu));
    const auto sent = Sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_TRUE(SameBytes(c.report, sent[0].report));
    EXPECT_EQ(c.payload, sent[0].data);
    EXPECT_TRUE(device->input.empty()) << "replies left unread";
    EXPECT_FALSE(flags.fatal.load());
    EXPECT_TRUE(prompter.Boxes().empty());
  }
}

TEST_F(EmuCommands, CodesWithoutReplyNeverReadOne) {
  // Disconnect (10): nothing is read; the link closes.
  int reads = device->reads;
  emu.Disconnect();
  EXPECT_EQ(SentCodes(), (std::vector<uint8_t>{EC_DISCONNECT}));
  EXPECT_EQ(device->reads, reads);
  EXPECT_FALSE(emu.IsOpen());

  // Stop request (25): the next read belongs to the status poll 200 ms later.
  Open();
  Reply(EC_STATUS, 0, 0);
  reads = device->reads;
  const uint64_t t0 = clock.NowMs();
  EXPECT_TRUE(emu.Stop());
  EXPECT_EQ(SentCodes(), (std::vector<uint8_t>{EC_STOP_REQUEST, EC_STATUS}));
  EXPECT_EQ(device->reads, reads + 1);
  EXPECT_EQ(clock.NowMs() - t0, 200u);
  EXPECT_TRUE(prompter.Boxes().empty());
}

TEST_F(EmuCommands, TransfersAreCutIntoChunksAtAscendingAddresses) {
  uint8_t buffer[300] = {};
  const Bytes data = Seq(300);
  Reply(EC_WRITE_XDATA);
  Reply(EC_WRITE_XDATA);
  Reply(EC_WRITE_XDATA);
  ASSERT_TRUE(emu.WriteXdataMemory(data.data(), 0x01000F00, 300));
  auto sent = Sent();
  ASSERT_EQ(sent.size(), 3u);
  const uint32_t xAddresses[] = {0x01000F00, 0x01000F80, 0x01001000};
  const uint32_t xLengths[] = {128, 128, 44};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(sent[i].Address(), xAddresses[i]);
    EXPECT_EQ(sent[i].Length(), xLengths[i]);
    EXPECT_EQ(sent[i].data, Bytes(data.begin() + 128 * i, data.begin() + 128 * i + xLengths[i]));
  }

  // Code reads keep a plain 16-bit address per chunk.
  Forget();
  Reply(EC_READ_CODE, 0, 0, Seq(128));
  Reply(EC_READ_CODE, 0, 0, Seq(72, 128));
  ASSERT_TRUE(emu.ReadCodeMemory(buffer, 0xFF00FF00, 200));
  sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].Address(), 0xFF00u);
  EXPECT_EQ(sent[1].Address(), 0xFF80u);
  EXPECT_EQ(Bytes(buffer, buffer + 200), Seq(200));

  // A count of 0 still sends one command.
  Forget();
  Reply(EC_READ_IDATA);
  EXPECT_TRUE(emu.ReadIdataMemory(buffer, 0xF3000000, 0));
  EXPECT_TRUE(SameBytes(CommandReport(EC_READ_IDATA, kRead, 0xF3000000, 0), Sent().at(0).report));

  // The direct data space is one command for the whole request.
  Forget();
  Reply(EC_WRITE_DATA);
  EXPECT_TRUE(emu.WriteDataMemory(Seq(128).data(), 0xF0000080, 128));
  ASSERT_EQ(Sent().size(), 1u);
  EXPECT_EQ(Sent()[0].data.size(), 128u);
}

// A reply announcing another data count than asked is malformed: the box, fatal, and the caller's buffer
// keeps what it held.
TEST_F(EmuCommands, ReadReplyWithAnotherCountIsMalformedNeverData) {
  struct ReadCase {
    const char* name;
    uint8_t code;
    uint32_t wanted;
    std::function<bool(CIceUsb&, uint8_t*)> run;
  };
  const std::vector<ReadCase> cases = {
      {"data", EC_READ_DATA, 8, [](CIceUsb& e, uint8_t* b) { return e.ReadDataMemory(b, 0xF0000080, 8); }},
      {"code", EC_READ_CODE, 8, [](CIceUsb& e, uint8_t* b) { return e.ReadCodeMemory(b, 0, 8); }},
      {"xdata", EC_READ_XDATA, 8, [](CIceUsb& e, uint8_t* b) { return e.ReadXdataMemory(b, 0x01000000, 8); }},
      {"idata", EC_READ_IDATA, 8, [](CIceUsb& e, uint8_t* b) { return e.ReadIdataMemory(b, 0xF3000000, 8); }},
      {"registers", EC_READ_REGS, 16,
       [](CIceUsb& e, uint8_t* b) {
         RegisterImage r;
         const bool ok = e.ReadRegisters(&r);
         std::memcpy(b, r.bytes, 16);
         return ok;
       }},
      {"pc", EC_READ_PC, 2,
       [](CIceUsb& e, uint8_t*) {
         uint16_t pc = 0;
         return e.ReadPc(&pc);
       }},
  };
  for (const ReadCase& c : cases) {
    for (uint32_t announced : {c.wanted - 1, c.wanted + 1, 0u}) {
      if (c.code == EC_READ_PC && announced == 0) continue;  // the PC in the reply value alone is a full answer
      SCOPED_TRACE(std::string(c.name) + " announcing " + std::to_string(announced));
      Forget();
      flags.fatal = false;
      device->input.clear();
      Reply(c.code, 0, 0, Seq(announced, 0x40));
      uint8_t buffer[64];
      std::memset(buffer, 0xEE, sizeof buffer);
      EXPECT_FALSE(c.run(emu, buffer));
      EXPECT_TRUE(flags.fatal.load());
      EXPECT_EQ(prompter.Boxes(),
                (std::vector<Box>{{'E', emulator::texts::kCaptionCommError, emulator::texts::kCommError}}));
      if (c.code != EC_READ_REGS && c.code != EC_READ_PC) {
        EXPECT_EQ(Bytes(buffer, buffer + c.wanted), Bytes(c.wanted, 0xEE)) << "stale or short data reached the caller";
      }
      if (c.code == EC_READ_REGS) {
        EXPECT_EQ(Bytes(buffer, buffer + 16), Bytes(16, 0));
      }
    }
  }
}

TEST_F(EmuCommands, ResultsInTheReplyValueNeedNoDataBytesAndARefusalIsNoResult) {
  struct Case {
    const char* name;
    uint8_t code;
    uint8_t status;
    Bytes data;
    bool ok;
  };
  const Case cases[] = {
      {"pc in the value alone", EC_READ_PC, 0, {}, true},
      {"pc with its two bytes", EC_READ_PC, 0, {0x34, 0x12}, true},
      {"pc refused", EC_READ_PC, 10, {}, false},
      {"pc refused with bytes", EC_READ_PC, 10, {0x34, 0x12}, false},
      {"step", EC_STEP, 0, {}, true},
      {"step refused", EC_STEP, 10, {}, false},
      {"pc write refused", EC_WRITE_PC, 10, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Forget();
    flags.fatal = false;
    Reply(c.code, c.status, c.ok ? 0xA5011234 : 0, c.data);
    uint16_t pc16 = 0;
    uint32_t pc32 = 0;
    bool ok = c.code == EC_READ_PC ? emu.ReadPc(&pc16) : c.code == EC_STEP ? emu.Step(&pc32) : emu.WritePc(0x55);
    EXPECT_EQ(ok, c.ok);
    if (c.ok) {
      EXPECT_EQ(c.code == EC_READ_PC ? pc16 : pc32, 0x1234u);
    }
    EXPECT_FALSE(flags.fatal.load());
    EXPECT_TRUE(prompter.Boxes().empty());
  }
}

TEST_F(EmuCommands, StepMasksTheNewPcTo16Bits) {
  Reply(EC_STEP, 0, 0xA5011234);
  uint32_t pc = 0;
  ASSERT_TRUE(emu.Step(&pc));
  EXPECT_EQ(pc, 0x1234u);
}

TEST_F(EmuCommands, ChipFailureStatusFailsOnlyTheDownloadForms) {
  for (uint8_t status : {10, 11, 12}) {
    SCOPED_TRACE(status);
    // The debugger's code write fails on any status: the code the host loads would not be in the pod.
    Forget();
    Reply(EC_WRITE_CODE, status);
    uint32_t address = 0x200;
    EXPECT_FALSE(emu.WriteCodeMemory(Seq(4).data(), address, 4));
    EXPECT_EQ(prompter.Boxes(), (std::vector<Box>{{'E', emulator::texts::kAppCaption, emulator::texts::kCodeWriteFailed}}));
    prompter.Clear();

    // The download's code write to the pod does.
    flags.f = 0x10;
    ASSERT_TRUE(emu.PrepareDownload());
    Reply(EC_WRITE_CODE, status);
    uint32_t failed = 0xFFFF;
    EXPECT_FALSE(emu.ProgramImage(0x300, Seq(4).data(), 4, &failed));
    EXPECT_EQ(failed, 0x300u);

    // Chip initialisation and chip programming.
    flags.f = 0;
    flags.v = 0;
    flags.c = 0;
    Reply(EC_CHIP_INIT, status);
    EXPECT_FALSE(emu.PrepareDownload());
    EXPECT_NE(host.Texts(emulator::kHostProgressText).find(emulator::texts::kInitFailed), std::string::npos);
    Reply(EC_CHIP_PROGRAM, status);
    EXPECT_FALSE(emu.ProgramImage(0, Seq(4).data(), 4, &failed));
    EXPECT_FALSE(flags.fatal.load());
    EXPECT_TRUE(device->input.empty());
    flags.f = 15;
  }
}

TEST_F(EmuCommands, CodeWriteRangeAndStopVector) {
  const Bytes data = Seq(8);
  // Over 0x003B with the feature on: the conflict is remembered.
  Reply(EC_WRITE_CODE);
  uint32_t address = 0x3C;
  EXPECT_TRUE(emu.WriteCodeMemory(data.data(), address, 4));
  EXPECT_FALSE(emu.StopVectorConflict());
  Reply(EC_WRITE_CODE);
  address = 0x3A;
  EXPECT_TRUE(emu.WriteCodeMemory(data.data(), address, 4));
  EXPECT_TRUE(emu.StopVectorConflict());

  // Ending exactly at 0xFC00 is accepted; one byte more never reaches the emulator.
  Forget();
  Reply(EC_WRITE_CODE);
  address = 0xFBF8;
  EXPECT_TRUE(emu.WriteCodeMemory(data.data(), address, 8));
  EXPECT_EQ(Sent().size(), 1u);
  Forget();
  address = 0xFBF9;
  EXPECT_FALSE(emu.WriteCodeMemory(data.data(), address, 8));
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(prompter.Boxes(),
            (std::vector<Box>{{'E', emulator::texts::kCaptionCommError, emulator::texts::kCodeTooLarge}}));

  // After a program load it is reported in the output window and counts as done.
  Forget();
  emu.SetQuietCodeRange();
  EXPECT_TRUE(emu.WriteCodeMemory(data.data(), address, 8));
  EXPECT_TRUE(Sent().empty());
  EXPECT_TRUE(prompter.Boxes().empty());
  EXPECT_EQ(host.Texts(emulator::kHostOutputText), "ORVEN ERROR 22: No Code Memory at Adrress FC01H.\n");

  // A lost reply: the standard box, no fatal.
  Forget();
  address = 0x100;
  EXPECT_FALSE(emu.WriteCodeMemory(data.data(), address, 8));
  EXPECT_EQ(prompter.Boxes(), (std::vector<Box>{{'E', emulator::texts::kAppCaption, emulator::texts::kCodeWriteFailed}}));
  EXPECT_FALSE(flags.fatal.load());
}

TEST_F(EmuCommands, BreakpointAndStatusResults) {
  EXPECT_EQ(emu.SetBreakpoint(2, 0x100), 0);
  EXPECT_TRUE(Sent().empty());
  Reply(EC_BREAKPOINT, 7);
  EXPECT_EQ(emu.SetBreakpoint(1, 0x100), emulator::kBreakpointTooMany);
  Reply(EC_BREAKPOINT, 8);
  EXPECT_EQ(emu.SetBreakpoint(1, 0x100), emulator::kBreakpointConflict);
  EXPECT_FALSE(flags.fatal.load());
  EXPECT_TRUE(prompter.Boxes().empty());
  // A lost reply or another status: whether the breakpoint is there is unknown. The box, fatal.
  for (bool lost : {true, false}) {
    flags.fatal = false;
    prompter.Clear();
    if (!lost) Reply(EC_BREAKPOINT, 1);
    EXPECT_EQ(emu.SetBreakpoint(1, 0x100), emulator::kBreakpointLinkFailed);
    EXPECT_TRUE(flags.fatal.load());
    EXPECT_EQ(prompter.Boxes(), (std::vector<Box>{{'E', emulator::texts::kCaptionCommError, emulator::texts::kCommError}}));
  }
  flags.fatal = false;
  prompter.Clear();

  Reply(EC_STATUS, 0, 0x8000);
  EXPECT_EQ(emu.ReadStatus(), emulator::kTargetHalted);
  Reply(EC_STATUS, 1, 0);
  EXPECT_EQ(emu.ReadStatus(), emulator::kStatusFailed);
  EXPECT_EQ(emu.ReadStatus(), emulator::kStatusFailed);
  EXPECT_TRUE(prompter.Boxes().empty());

  device->gone = true;  // a failed send: no box, no fatal
  EXPECT_EQ(emu.SetBreakpoint(1, 0x100), emulator::kBreakpointLinkFailed);
  EXPECT_EQ(emu.ReadStatus(), emulator::kStatusFailed);
  EXPECT_TRUE(prompter.Boxes().empty());
  EXPECT_FALSE(flags.fatal.load());
}

TEST_F(EmuCommands, BreakpointsArmedForARunAreClearedAgain) {
  Reply(EC_BREAKPOINT);
  Reply(EC_BREAKPOINT, 8);  // conflict: the emulator did not set this one
  Reply(EC_BREAKPOINT);
  ASSERT_EQ(emu.SetBreakpoint(1, 0x0100), 0);
  ASSERT_EQ(emu.SetBreakpoint(1, 0x0200), emulator::kBreakpointConflict);
  ASSERT_EQ(emu.SetBreakpoint(1, 0x0300), 0);
  Forget();
  Reply(EC_BREAKPOINT);
  Reply(EC_BREAKPOINT);
  EXPECT_EQ(emu.ClearArmedBreakpoints(), 0);
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_TRUE(SameBytes(CommandReport(EC_BREAKPOINT, kRead, 0x0100, 0, {0}), sent[0].report));
  EXPECT_TRUE(SameBytes(CommandReport(EC_BREAKPOINT, kRead, 0x0300, 0, {0}), sent[1].report));
  // Nothing is left to clear.
  Forget();
  EXPECT_EQ(emu.ClearArmedBreakpoints(), 0);
  EXPECT_TRUE(Sent().empty());
}

}  // namespace
}  // namespace orven::testing
