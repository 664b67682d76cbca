// Where a code address lies in the C program: function, file and line, and whether it starts a line.
#pragma once

#include <cstdint>
#include <string>

#include "debuginfo/debug_info.h"

namespace orven::debugger {

struct CodePosition {
  const debuginfo::Function* function = nullptr;
  const debuginfo::LineRecord* line = nullptr;  // nullptr without line information
  std::string file;                             // the line's file, as the records name it
  bool atLineStart = false;                     // the address is the first of its line record

  // The addresses that belong to the same line record: [begin, end).
  uint32_t rangeBegin = 0;
  uint32_t rangeEnd = 0;
};

// The position of `pc`; an empty one when `info` is null or knows nothing of it.
CodePosition PositionAt(const debuginfo::DebugInfo* info, uint16_t pc);

// Where a breakpoint on a function goes: past its prologue, at the first line record after the one of its
// opening line (the compiler writes the opening line at the entry and the first statement after the register
// and frame set-up). The entry itself when the function has no second record.
uint16_t AfterPrologue(const debuginfo::DebugInfo& info, const debuginfo::Function& function);

}  // namespace orven::debugger
