// Turns a location as the user writes it into a code address, as gdb's `break` reads it:
//   FILE:LINE  a line of a file (a line without code moves on to the next line with code)
//   LINE       a line of the default file (the one the program is stopped in)
//   FUNCTION   a function, past its prologue; FILE:FUNCTION picks a static one by its file
//   *ADDRESS   a code address, 0x hexadecimal or decimal
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "debuginfo/debug_info.h"

namespace orven::debugger {

struct ResolvedLocation {
  uint16_t address = 0;
  const debuginfo::Function* function = nullptr;
  std::string file;   // empty without line information
  uint32_t line = 0;

  // "in main at prog.c:12" for the breakpoint table; empty without a function.
  std::string What() const;
};

class LocationResolver {
 public:
  // `info` may be null: only *ADDRESS locations resolve then.
  explicit LocationResolver(const debuginfo::DebugInfo* info) : info_(info) {}

  // nullopt with `error` set to the message the user reads when the location names nothing with code.
  // `defaultFile` serves a bare LINE.
  std::optional<ResolvedLocation> Resolve(std::string_view text, std::string_view defaultFile,
                                          std::string& error) const;

  // What a code address is, for an address location and for reports.
  ResolvedLocation Describe(uint16_t address) const;

 private:
  std::optional<ResolvedLocation> ResolveLine(std::string_view file, uint32_t line, std::string& error) const;
  std::optional<ResolvedLocation> ResolveFunction(std::string_view name, std::string_view module,
                                                  std::string& error) const;

  const debuginfo::DebugInfo* info_;
};

}  // namespace orven::debugger
