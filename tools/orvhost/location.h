// Where a command points in the program, written as gdb's locations are: FUNCTION, FILE:LINE, LINE (in the
// current source file), FILE:FUNCTION, and a code address as *ADDR, 0xADDR or C:ADDR.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "debuginfo/debug_info.h"

namespace orven::orvhost {

struct Location {
  std::optional<uint32_t> file;     // index into the debug information's files, when the place has a line
  uint32_t line = 0;
  std::optional<uint32_t> address;  // a code address given, or the function's first byte
  const debuginfo::Function* function = nullptr;  // the function named, or the one the address lies in
  bool isAddress = false;                          // the text gave a code address
};

// Resolves `text` against the debug information (info may be null: only addresses resolve then).
// currentFile: the file a bare LINE means. False with gdb's message when nothing matches.
bool ResolveLocation(const debuginfo::DebugInfo* info, const std::string& text, std::optional<uint32_t> currentFile,
                     Location& out, std::string& error);

// A code address as the user types it after a command: *ADDR, C:ADDR or a number.
std::optional<uint32_t> ParseCodeLocation(const std::string& text);

// "<main+4>" (or "<main>") for an address inside a function, else empty; withName false gives "<+4>".
std::string FunctionOffset(const debuginfo::DebugInfo* info, uint32_t address, bool withName = true);

// The C line of a function's first byte: the one its declaration starts on.
std::optional<uint32_t> FunctionLine(const debuginfo::DebugInfo& info, const debuginfo::Function& function);

}  // namespace orven::orvhost
