// The disassembler: every addressing mode, the whole opcode space for lengths, and a compiled program.
#include <gtest/gtest.h>

#include <map>

#include "debugger/disassembler.h"
#include "sim/mcs51/cycle_table.h"
#include "tests/support/sdcc_program.h"

namespace orven::debugger {
namespace {

TEST(DisassemblerTest, LengthOfEveryOpcodeMatchesTheCore) {
  for (unsigned op = 0; op < 256; ++op) {
    EXPECT_EQ(Disassembler::Length(static_cast<uint8_t>(op)), mcs51::kLengths[op]) << std::hex << op;
  }
}

TEST(DisassemblerTest, EveryOpcodeDecodes) {
  Disassembler dis;
  const uint8_t tail[] = {0x12, 0x34};
  for (unsigned op = 0; op < 256; ++op) {
    const uint8_t bytes[] = {static_cast<uint8_t>(op), tail[0], tail[1]};
    Instruction in = dis.Decode(0x1000, bytes);
    EXPECT_EQ(in.length, mcs51::kLengths[op]) << std::hex << op;
    EXPECT_FALSE(in.text.empty()) << std::hex << op;
    EXPECT_EQ(in.text.find('{'), std::string::npos) << in.text;
    bool transfers = in.flow == Flow::kJump || in.flow == Flow::kBranch || in.flow == Flow::kCall;
    EXPECT_EQ(transfers, in.target.has_value()) << in.text;
  }
}

struct Case {
  uint16_t pc;
  std::vector<uint8_t> bytes;
  const char* text;
  Flow flow;
  std::optional<uint16_t> target;
};

TEST(DisassemblerTest, AddressingModes) {
  const std::map<uint16_t, std::string> names = {{0x007A, "_fib"}, {0x0123, "_main"}};
  Disassembler dis([&](uint16_t address) -> std::optional<std::string> {
    auto it = names.find(address);
    return it == names.end() ? std::nullopt : std::optional(it->second);
  });
  using enum Flow;
  const Case cases[] = {
      {0, {0x00}, "nop", kNext, {}},
      // registers, indirect, immediate, direct with SFR names
      {0, {0xE8}, "mov a,r0", kNext, {}},
      {0, {0xE7}, "mov a,@r1", kNext, {}},
      {0, {0x74, 0x12}, "mov a,#0x12", kNext, {}},
      {0, {0x75, 0x89, 0x01}, "mov TMOD,#0x01", kNext, {}},
      {0, {0x75, 0x30, 0xFF}, "mov 0x30,#0xff", kNext, {}},
      {0, {0x85, 0x31, 0x30}, "mov 0x30,0x31", kNext, {}},  // source byte first
      {0, {0x85, 0xE0, 0xF0}, "mov B,ACC", kNext, {}},
      {0, {0xA6, 0x40}, "mov @r0,0x40", kNext, {}},
      {0, {0xAB, 0x90}, "mov r3,P1", kNext, {}},
      {0, {0x88, 0x91}, "mov 0x91,r0", kNext, {}},  // an SFR address the 8052 does not have
      {0, {0x90, 0x12, 0x34}, "mov dptr,#0x1234", kNext, {}},
      {0, {0x43, 0x30, 0x0F}, "orl 0x30,#0x0f", kNext, {}},
      {0, {0xC0, 0xE0}, "push ACC", kNext, {}},
      {0, {0xD0, 0xD0}, "pop PSW", kNext, {}},
      {0, {0xD7}, "xchd a,@r1", kNext, {}},
      {0, {0xE0}, "movx a,@dptr", kNext, {}},
      {0, {0xF3}, "movx @r1,a", kNext, {}},
      {0, {0x83}, "movc a,@a+pc", kNext, {}},
      {0, {0x84}, "div ab", kNext, {}},
      {0, {0xA5}, ".db 0xa5", kNext, {}},
      // bits: named, SFR.bit, RAM byte.bit, the carry
      {0, {0xD2, 0xAF}, "setb EA", kNext, {}},
      {0, {0xD2, 0xD7}, "setb CY", kNext, {}},
      {0, {0xD3}, "setb c", kNext, {}},
      {0, {0xC2, 0x97}, "clr P1.7", kNext, {}},
      {0, {0xB2, 0x03}, "cpl 0x20.3", kNext, {}},
      {0, {0xB2, 0x7F}, "cpl 0x2f.7", kNext, {}},
      {0, {0x92, 0xE9}, "mov 0xe8.1,c", kNext, {}},
      {0, {0xB0, 0x8C}, "anl c,/TR0", kNext, {}},
      {0, {0xA2, 0xE7}, "mov c,ACC.7", kNext, {}},
      // control transfers: absolute, long, relative (both ways, across 0xFFFF), page-relative
      {0x0010, {0x12, 0x00, 0x7A}, "lcall _fib", kCall, 0x007A},
      {0x0010, {0x02, 0x01, 0x23}, "ljmp _main", kJump, 0x0123},
      {0x0010, {0x02, 0x44, 0x00}, "ljmp 0x4400", kJump, 0x4400},
      {0x0800, {0x31, 0x23}, "acall 0x0923", kCall, 0x0923},
      {0x07FE, {0x01, 0x10}, "ajmp 0x0810", kJump, 0x0810},  // the page of the next instruction counts
      {0x0100, {0x80, 0xFE}, "sjmp 0x0100", kJump, 0x0100},
      {0xFFFE, {0x80, 0x05}, "sjmp 0x0005", kJump, 0x0005},
      {0x0010, {0x20, 0xE7, 0x05}, "jb ACC.7,0x0018", kBranch, 0x0018},
      {0x0010, {0x10, 0x00, 0x00}, "jbc 0x20.0,0x0013", kBranch, 0x0013},
      {0x0040, {0xB4, 0x10, 0xFD}, "cjne a,#0x10,0x0040", kBranch, 0x0040},
      {0x0040, {0xB5, 0x30, 0x00}, "cjne a,0x30,0x0043", kBranch, 0x0043},
      {0x0040, {0xB7, 0x05, 0x00}, "cjne @r1,#0x05,0x0043", kBranch, 0x0043},
      {0x0050, {0xDF, 0xFE}, "djnz r7,0x0050", kBranch, 0x0050},
      {0x0060, {0xD5, 0x30, 0xFD}, "djnz 0x30,0x0060", kBranch, 0x0060},
      {0x0070, {0x60, 0x08}, "jz _fib", kBranch, 0x007A},
      {0x0070, {0x70, 0x80}, "jnz 0xfff2", kBranch, 0xFFF2},
      {0x0000, {0x73}, "jmp @a+dptr", kIndirectJump, {}},
      {0x0000, {0x22}, "ret", kReturn, {}},
      {0x0000, {0x32}, "reti", kReturn, {}},
  };
  for (const Case& c : cases) {
    Instruction in = dis.Decode(c.pc, c.bytes);
    EXPECT_EQ(in.text, c.text);
    EXPECT_EQ(in.length, c.bytes.size()) << c.text;
    EXPECT_EQ(in.flow, c.flow) << c.text;
    EXPECT_EQ(in.target, c.target) << c.text;
  }
}

TEST(DisassemblerTest, TooFewBytesShowTheOpcodeAsData) {
  Disassembler dis;
  const uint8_t cut[] = {0x12, 0x00};
  Instruction in = dis.Decode(0xFFFE, cut);
  EXPECT_EQ(in.text, ".db 0x12");
  EXPECT_EQ(in.length, 3);
  EXPECT_FALSE(in.target);
  EXPECT_EQ(dis.Decode(0, {}).length, 1);
}

TEST(DisassemblerTest, CompiledFunctionsDecodeToTheirLastReturn) {
  if (std::string(ORVEN_DEBUGGEE).empty()) GTEST_SKIP() << "SDCC is not installed";
  testing::SdccProgram program;
  ASSERT_TRUE(program.Load(ORVEN_DEBUGGEE));
  std::map<uint16_t, std::string> names;
  for (const auto& [name, address] : program.symbols) {
    if (address < program.code.size()) names.emplace(static_cast<uint16_t>(address), name);
  }
  Disassembler dis([&](uint16_t address) -> std::optional<std::string> {
    auto it = names.find(address);
    return it == names.end() ? std::nullopt : std::optional(it->second);
  });
  // level2 calls level3 and returns: walking it instruction by instruction lands exactly on its ret.
  uint32_t pc = program.At("_level2");
  uint32_t end = program.At("_level1");
  ASSERT_LT(pc, end);
  bool calls = false;
  std::string last;
  while (pc < end) {
    Instruction in = dis.Decode(static_cast<uint16_t>(pc), std::span(program.code).subspan(pc));
    calls = calls || in.text == "lcall _level3";
    last = in.text;
    pc += in.length;
  }
  EXPECT_EQ(pc, end);
  EXPECT_TRUE(calls);
  EXPECT_EQ(last, "ret");
}

}  // namespace
}  // namespace orven::debugger
