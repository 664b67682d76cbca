// Reading one orvhost command line: words with quoting, numbers and SPACE:ADDR memory references.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orven::orvhost {

// Splits a line into words at blanks. Single or double quotes group blanks into a word (the quotes are
// dropped, also inside a word such as cmd="a b"); a backslash takes the next character as it is. A '#' at the
// start of a word begins a comment. Returns false (with a reason) on an unterminated quote.
bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& error);

// A number as the user types it: 0x-prefixed hex or decimal, no sign, at most max.
std::optional<uint64_t> ParseNumber(const std::string& text, uint64_t max);

// A byte of a write command: one or two hex digits, optionally 0x-prefixed.
std::optional<uint8_t> ParseHexByte(const std::string& text);

// The memory spaces a user names, with the top byte of the driver's tagged addresses.
enum class Space : char { kCode = 'C', kData = 'D', kIdata = 'I', kXdata = 'X' };

struct MemoryRef {
  Space space = Space::kCode;
  uint32_t address = 0;  // within the space (code and xdata may carry a bank in bits 16-23)

  // The tagged 32-bit address the driver takes.
  uint32_t Tagged() const;
};

// "C:0x0100", "D:0x30", "I:0x80", "X:0x0000" (letters in either case). Data spaces take addresses up to
// 0xFF, code and xdata up to 0xFFFFFF.
std::optional<MemoryRef> ParseMemoryRef(const std::string& text);

// A code address for bp and go: a number, or C:number.
std::optional<uint32_t> ParseCodeAddress(const std::string& text);

}  // namespace orven::orvhost
