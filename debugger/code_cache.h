// Code memory as the engine reads it while stepping: decoded a page at a time and kept, so that stepping
// through a line costs one code request per page and not one per instruction. Code does not change while the
// program runs (breakpoints are the emulator's, not patched into code); Invalidate() after a load.
#pragma once

#include <array>
#include <cstdint>
#include <map>

#include "debugger/disassembler.h"
#include "debugger/target_port.h"

namespace orven::debugger {

class CodeCache {
 public:
  explicit CodeCache(TargetPort& port) : port_(port) {}

  // The byte at a code address; false with the port's reason when the page cannot be read.
  PortResult Byte(uint16_t address, uint8_t& out);
  // The instruction at `pc` (its operand bytes may lie on the next page).
  PortResult Decode(uint16_t pc, Instruction& out);
  void Invalidate() { pages_.clear(); }

 private:
  static constexpr uint32_t kPage = 256;

  TargetPort& port_;
  Disassembler disassembler_;
  std::map<uint16_t, std::array<uint8_t, kPage>> pages_;  // by page number
};

}  // namespace orven::debugger
