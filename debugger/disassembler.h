// The 8051 instruction set as a debugger shows it: one instruction at a time, with its length, its text in
// the assembler's own spelling (lower-case mnemonics, SFR and bit names for direct addresses, "#0x12" for data)
// and where it can transfer control.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace orven::debugger {

enum class Flow : uint8_t {
  kNext,          // falls through to the next instruction
  kJump,          // always goes to target (ajmp, ljmp, sjmp)
  kBranch,        // goes to target or falls through (jz, jb, cjne, djnz, ...)
  kCall,          // calls target and comes back after itself (acall, lcall)
  kReturn,        // ret, reti
  kIndirectJump,  // jmp @a+dptr: the target is known only at run time
};

struct Instruction {
  uint8_t length = 1;  // 1 to 3 bytes
  std::string text;
  Flow flow = Flow::kNext;
  std::optional<uint16_t> target;  // kJump, kBranch, kCall
};

class Disassembler {
 public:
  // The name of a code address (a function or label), or nullopt; used for jump and call targets.
  using CodeSymbols = std::function<std::optional<std::string>(uint16_t address)>;

  explicit Disassembler(CodeSymbols symbols = {}) : symbols_(std::move(symbols)) {}

  // Decodes the instruction at `pc` from `bytes`, which start at pc. With fewer bytes than the opcode needs, the
  // text is the opcode as data and the length still the opcode's.
  Instruction Decode(uint16_t pc, std::span<const uint8_t> bytes) const;

  // Bytes an instruction with this first byte takes (0xA5, the reserved opcode, takes one).
  static uint8_t Length(uint8_t opcode);

  // A direct address as assemblers write it: the SFR's name (TMOD) or the address (0x30).
  static std::string DirectName(uint8_t address);
  // A bit address as assemblers write it: its name (EA, CY), SFR.bit (P1.7), or RAM byte.bit (0x20.3).
  static std::string BitName(uint8_t address);

 private:
  std::string TargetName(uint16_t address) const;

  CodeSymbols symbols_;
};

}  // namespace orven::debugger
