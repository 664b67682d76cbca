// Value text as gdb prints it: 5, 65 'A', {0, 1, 1, 2}, {len = 3, kind = 2}, (unsigned char __xdata *) 0x0010,
// floats with %g, and with /x every number in hexadecimal. A value is read with one request (a large array up
// to the elements shown).
#pragma once

#include <cstdint>
#include <string>

#include "debugger/value_access.h"

namespace orven::debugger {

// Elements of an array shown before "...", and equal neighbours beyond which a run is written
// "<repeats N times>", as gdb's defaults have them.
inline constexpr uint32_t kPrintElementLimit = 200;
inline constexpr uint32_t kRepeatThreshold = 10;

struct FormatOptions {
  bool hex = false;      // print/x
  bool summary = false;  // a frame line's arguments: pointers without their type, structs and arrays as "..."
};

class ValueFormatter {
 public:
  explicit ValueFormatter(ValueAccess& access, FormatOptions options = {}) : access_(access), options_(options) {}

  // The text print shows after "$1 = ", reading the value first when needed; a failed read is the error.
  Outcome<std::string> Format(Value& value);
  // Bytes Format reads of this value (arrays beyond the element limit are cut).
  uint32_t BytesShown(const Value& value) const;

 private:
  std::string Text(Value& value, bool topLevel);
  std::string Number(Value& value, bool topLevel);
  std::string Pointer(const Type& type, uint64_t bits, bool topLevel);
  std::string Array(Value& value);
  std::string Struct(Value& value);

  static constexpr unsigned kMaxNesting = 32;

  ValueAccess& access_;
  FormatOptions options_;
  unsigned depth_ = 0;
};

// A character as gdb quotes it: 'A', '\n', '\000', '\375'.
std::string QuoteCharacter(uint8_t c);
// A code address with the function it lies in: "<main>", "<fib+12>", or empty.
std::string CodeSymbol(const DebugInfo& info, uint32_t address);

}  // namespace orven::debugger
