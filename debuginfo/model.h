// What a program's debug information holds: modules, functions, symbols, struct types and C line records.
// Plain records; DebugInfo indexes them and answers the debugger's questions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "debuginfo/type.h"

namespace orven::debuginfo {

// Where a symbol lives, by the letter the compiler writes for it.
enum class AddressSpace : char {
  kExternalStack = 'A',  // xdata stack of a reentrant function (--xstack), stackOffset from the frame
  kInternalStack = 'B',  // idata stack of a reentrant function, stackOffset from the frame pointer
  kCode = 'C',           // code (functions)
  kCodeStatic = 'D',     // code: constants
  kData = 'E',           // internal RAM 0x00-0x7F, direct
  kXdata = 'F',          // external RAM
  kIdata = 'G',          // internal RAM 0x00-0xFF, indirect
  kBit = 'H',            // bit-addressable RAM: the address is a bit address
  kSfr = 'I',            // special function register
  kSbit = 'J',           // bit of an SFR: the address is a bit address
  kPdata = 'P',          // one 256-byte page of external RAM
  kRegister = 'R',       // R0-R7 of the function's bank (registers lists them)
  kNone = 'Z',           // struct members and anything without storage of its own
};

enum class Register : uint8_t { kR0, kR1, kR2, kR3, kR4, kR5, kR6, kR7, kA, kB, kDpl, kDph };

enum class ScopeKind : uint8_t {
  kGlobal,    // G: visible everywhere
  kFile,      // F<module>: static at file level
  kFunction,  // L<module>.<function>: a parameter or local (level 1 is the function, 2 and up are blocks)
  kMember,    // a struct or union member
};

struct Symbol {
  std::string name;
  ScopeKind scope = ScopeKind::kGlobal;
  std::string module;    // the module whose records declare it
  std::string function;  // kFunction: the function it belongs to
  uint16_t level = 0;    // nesting: 0 file, 1 function, 2+ blocks
  uint16_t sublevel = 0;
  uint32_t block = 0;  // the compiler's block number, counted in source order
  Type type;
  AddressSpace space = AddressSpace::kNone;
  bool onStack = false;
  int32_t stackOffset = 0;           // onStack: from the frame pointer (parameters negative)
  std::vector<Register> registers;   // kRegister: least significant byte first; empty when optimised away
  std::optional<uint32_t> address;   // link address (bit address for kBit and kSbit)
  uint32_t recordLine = 0;           // line of the .cdb that declared it
};

struct Function {
  std::string name;
  std::string module;
  bool isStatic = false;
  Type type;  // chain[0] is the function; the return type follows
  std::optional<uint32_t> begin;  // first code byte
  std::optional<uint32_t> end;    // address of its last instruction (the final return)
  bool isInterrupt = false;
  uint8_t interruptNumber = 0;
  uint8_t registerBank = 0;  // the bank its register locals use (__using)
  uint32_t stackSize = 0;    // bytes of locals a reentrant function keeps on the stack
  std::string file;          // the source file its line records name
  std::vector<uint32_t> locals;  // indices into DebugInfo::Symbols(), in record order
  uint32_t recordLine = 0;

  bool Contains(uint32_t pc) const { return begin && end && pc >= *begin && pc <= *end; }
};

struct StructMember {
  std::string name;
  uint32_t offset = 0;  // bytes from the start of the struct
  Type type;
};

struct StructType {
  std::string name;  // as the compiler names it; anonymous ones are __00000001 and the like
  std::string module;
  std::vector<StructMember> members;
  uint32_t size = 0;
  bool isUnion = false;
  uint32_t recordLine = 0;
};

struct LineRecord {
  uint32_t address = 0;
  uint32_t file = 0;  // index into DebugInfo::Files()
  uint32_t line = 0;
  uint16_t level = 0;
  uint16_t sublevel = 0;
  uint32_t block = 0;
};

// A record that could not be used, with the place it came from: "prog.cdb:12: malformed symbol record".
struct Diagnostic {
  std::string file;
  uint32_t line = 0;
  std::string message;

  std::string ToString() const { return file + ":" + std::to_string(line) + ": " + message; }
};

}  // namespace orven::debuginfo
