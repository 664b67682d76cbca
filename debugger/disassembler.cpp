#include "debugger/disassembler.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "debugger/sfr_names.h"

namespace orven::debugger {
namespace {

// Each opcode's text with its operands as placeholders, taken from the bytes after the opcode in order:
//   {d} direct address   {b} bit address   {#} 8-bit data   {#16} 16-bit data (high byte first)
//   {r} relative target  {a11} 11-bit target within the 2 KiB page   {a16} 16-bit target (high byte first)
// mov direct,direct (0x85) stores the source first: {d1} and {d2} name the operand bytes explicitly.
// clang-format off
constexpr std::array<std::string_view, 256> kTemplates = {
    // 0x
    "nop", "ajmp {a11}", "ljmp {a16}", "rr a",
    "inc a", "inc {d}", "inc @r0", "inc @r1",
    "inc r0", "inc r1", "inc r2", "inc r3",
    "inc r4", "inc r5", "inc r6", "inc r7",
    // 1x
    "jbc {b},{r}", "acall {a11}", "lcall {a16}", "rrc a",
    "dec a", "dec {d}", "dec @r0", "dec @r1",
    "dec r0", "dec r1", "dec r2", "dec r3",
    "dec r4", "dec r5", "dec r6", "dec r7",
    // 2x
    "jb {b},{r}", "ajmp {a11}", "ret", "rl a",
    "add a,{#}", "add a,{d}", "add a,@r0", "add a,@r1",
    "add a,r0", "add a,r1", "add a,r2", "add a,r3",
    "add a,r4", "add a,r5", "add a,r6", "add a,r7",
    // 3x
    "jnb {b},{r}", "acall {a11}", "reti", "rlc a",
    "addc a,{#}", "addc a,{d}", "addc a,@r0", "addc a,@r1",
    "addc a,r0", "addc a,r1", "addc a,r2", "addc a,r3",
    "addc a,r4", "addc a,r5", "addc a,r6", "addc a,r7",
    // 4x
    "jc {r}", "ajmp {a11}", "orl {d},a", "orl {d},{#}",
    "orl a,{#}", "orl a,{d}", "orl a,@r0", "orl a,@r1",
    "orl a,r0", "orl a,r1", "orl a,r2", "orl a,r3",
    "orl a,r4", "orl a,r5", "orl a,r6", "orl a,r7",
    // 5x
    "jnc {r}", "acall {a11}", "anl {d},a", "anl {d},{#}",
    "anl a,{#}", "anl a,{d}", "anl a,@r0", "anl a,@r1",
    "anl a,r0", "anl a,r1", "anl a,r2", "anl a,r3",
    "anl a,r4", "anl a,r5", "anl a,r6", "anl a,r7",
    // 6x
    "jz {r}", "ajmp {a11}", "xrl {d},a", "xrl {d},{#}",
    "xrl a,{#}", "xrl a,{d}", "xrl a,@r0", "xrl a,@r1",
    "xrl a,r0", "xrl a,r1", "xrl a,r2", "xrl a,r3",
    "xrl a,r4", "xrl a,r5", "xrl a,r6", "xrl a,r7",
    // 7x
    "jnz {r}", "acall {a11}", "orl c,{b}", "jmp @a+dptr",
    "mov a,{#}", "mov {d},{#}", "mov @r0,{#}", "mov @r1,{#}",
    "mov r0,{#}", "mov r1,{#}", "mov r2,{#}", "mov r3,{#}",
    "mov r4,{#}", "mov r5,{#}", "mov r6,{#}", "mov r7,{#}",
    // 8x
    "sjmp {r}", "ajmp {a11}", "anl c,{b}", "movc a,@a+pc",
    "div ab", "mov {d2},{d1}", "mov {d},@r0", "mov {d},@r1",
    "mov {d},r0", "mov {d},r1", "mov {d},r2", "mov {d},r3",
    "mov {d},r4", "mov {d},r5", "mov {d},r6", "mov {d},r7",
    // 9x
    "mov dptr,{#16}", "acall {a11}", "mov {b},c", "movc a,@a+dptr",
    "subb a,{#}", "subb a,{d}", "subb a,@r0", "subb a,@r1",
    "subb a,r0", "subb a,r1", "subb a,r2", "subb a,r3",
    "subb a,r4", "subb a,r5", "subb a,r6", "subb a,r7",
    // Ax
    "orl c,/{b}", "ajmp {a11}", "mov c,{b}", "inc dptr",
    "mul ab", ".db 0xa5", "mov @r0,{d}", "mov @r1,{d}",
    "mov r0,{d}", "mov r1,{d}", "mov r2,{d}", "mov r3,{d}",
    "mov r4,{d}", "mov r5,{d}", "mov r6,{d}", "mov r7,{d}",
    // Bx
    "anl c,/{b}", "acall {a11}", "cpl {b}", "cpl c",
    "cjne a,{#},{r}", "cjne a,{d},{r}", "cjne @r0,{#},{r}", "cjne @r1,{#},{r}",
    "cjne r0,{#},{r}", "cjne r1,{#},{r}", "cjne r2,{#},{r}", "cjne r3,{#},{r}",
    "cjne r4,{#},{r}", "cjne r5,{#},{r}", "cjne r6,{#},{r}", "cjne r7,{#},{r}",
    // Cx
    "push {d}", "ajmp {a11}", "clr {b}", "clr c",
    "swap a", "xch a,{d}", "xch a,@r0", "xch a,@r1",
    "xch a,r0", "xch a,r1", "xch a,r2", "xch a,r3",
    "xch a,r4", "xch a,r5", "xch a,r6", "xch a,r7",
    // Dx
    "pop {d}", "acall {a11}", "setb {b}", "setb c",
    "da a", "djnz {d},{r}", "xchd a,@r0", "xchd a,@r1",
    "djnz r0,{r}", "djnz r1,{r}", "djnz r2,{r}", "djnz r3,{r}",
    "djnz r4,{r}", "djnz r5,{r}", "djnz r6,{r}", "djnz r7,{r}",
    // Ex
    "movx a,@dptr", "ajmp {a11}", "movx a,@r0", "movx a,@r1",
    "clr a", "mov a,{d}", "mov a,@r0", "mov a,@r1",
    "mov a,r0", "mov a,r1", "mov a,r2", "mov a,r3",
    "mov a,r4", "mov a,r5", "mov a,r6", "mov a,r7",
    // Fx
    "movx @dptr,a", "acall {a11}", "movx @r0,a", "movx @r1,a",
    "cpl a", "mov {d},a", "mov @r0,a", "mov @r1,a",
    "mov r0,a", "mov r1,a", "mov r2,a", "mov r3,a",
    "mov r4,a", "mov r5,a", "mov r6,a", "mov r7,a",
};
// clang-format on

std::string Hex8(uint8_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02x", value);
  return text;
}

std::string Hex16(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04x", value);
  return text;
}

// Operand bytes a placeholder takes.
unsigned OperandBytes(std::string_view placeholder) {
  return (placeholder == "#16" || placeholder == "a16") ? 2 : placeholder == "d1" || placeholder == "d2" ? 0 : 1;
}

Flow FlowOf(uint8_t opcode) {
  if ((opcode & 0x1F) == 0x01 || opcode == 0x02 || opcode == 0x80) return Flow::kJump;
  if ((opcode & 0x1F) == 0x11 || opcode == 0x12) return Flow::kCall;
  if (opcode == 0x22 || opcode == 0x32) return Flow::kReturn;
  if (opcode == 0x73) return Flow::kIndirectJump;
  bool bitOrFlagBranch = (opcode & 0x0F) == 0x00 && opcode >= 0x10 && opcode <= 0x70;
  bool compareOrCount = (opcode >= 0xB4 && opcode <= 0xBF) || opcode == 0xD5 || (opcode >= 0xD8 && opcode <= 0xDF);
  return bitOrFlagBranch || compareOrCount ? Flow::kBranch : Flow::kNext;
}

}  // namespace

uint8_t Disassembler::Length(uint8_t opcode) {
  std::string_view t = kTemplates[opcode];
  unsigned length = opcode == 0x85 ? 3 : 1;
  for (size_t open = t.find('{'); open != std::string_view::npos; open = t.find('{', open + 1)) {
    size_t close = t.find('}', open);
    length += OperandBytes(t.substr(open + 1, close - open - 1));
  }
  return static_cast<uint8_t>(length);
}

std::string Disassembler::DirectName(uint8_t address) {
  std::string_view name = address >= 0x80 ? SfrName(address) : std::string_view{};
  return name.empty() ? Hex8(address) : std::string(name);
}

std::string Disassembler::BitName(uint8_t address) {
  if (address < 0x80) return Hex8(static_cast<uint8_t>(0x20 + address / 8)) + "." + std::to_string(address & 7);
  std::string_view name = SfrBitName(address);
  if (!name.empty()) return std::string(name);
  return DirectName(address & 0xF8) + "." + std::to_string(address & 7);
}

std::string Disassembler::TargetName(uint16_t address) const {
  if (symbols_) {
    if (auto name = symbols_(address)) return *name;
  }
  return Hex16(address);
}

Instruction Disassembler::Decode(uint16_t pc, std::span<const uint8_t> bytes) const {
  Instruction out;
  if (bytes.empty()) return out;
  uint8_t opcode = bytes[0];
  out.length = Length(opcode);
  if (bytes.size() < out.length) {
    out.text = ".db " + Hex8(opcode);
    return out;
  }
  out.flow = FlowOf(opcode);
  uint16_t next = static_cast<uint16_t>(pc + out.length);
  std::string_view t = kTemplates[opcode];
  size_t operand = 1;
  size_t pos = 0;
  while (pos < t.size()) {
    size_t open = t.find('{', pos);
    out.text += t.substr(pos, open == std::string_view::npos ? std::string_view::npos : open - pos);
    if (open == std::string_view::npos) break;
    size_t close = t.find('}', open);
    std::string_view p = t.substr(open + 1, close - open - 1);
    pos = close + 1;
    if (p == "d") {
      out.text += DirectName(bytes[operand++]);
    } else if (p == "d1" || p == "d2") {
      out.text += DirectName(bytes[p == "d1" ? 1 : 2]);
    } else if (p == "b") {
      out.text += BitName(bytes[operand++]);
    } else if (p == "#") {
      out.text += "#" + Hex8(bytes[operand++]);
    } else if (p == "#16") {
      out.text += "#" + Hex16(static_cast<uint16_t>(bytes[operand] << 8 | bytes[operand + 1]));
      operand += 2;
    } else if (p == "r") {
      out.target = static_cast<uint16_t>(next + static_cast<int8_t>(bytes[operand++]));
      out.text += TargetName(*out.target);
    } else if (p == "a11") {
      out.target = static_cast<uint16_t>((next & 0xF800) | (opcode & 0xE0) << 3 | bytes[operand++]);
      out.text += TargetName(*out.target);
    } else if (p == "a16") {
      out.target = static_cast<uint16_t>(bytes[operand] << 8 | bytes[operand + 1]);
      operand += 2;
      out.text += TargetName(*out.target);
    }
  }
  return out;
}

}  // namespace orven::debugger
