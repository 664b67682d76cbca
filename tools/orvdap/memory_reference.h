// Memory references as the editor passes them back to orvdap: a space letter and an address, "X:0x0000",
// "C:0x0100", "D:0x30", "I:0x80", "P:0x10". They name the same memory as the driver's tagged addresses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orven::orvdap {

struct MemoryReference {
  char space = 'C';       // 'C' code, 'X' xdata, 'P' pdata, 'D' direct data and SFRs, 'I' indirect RAM
  uint32_t address = 0;   // within the space

  // One past the last address of the space: 0x10000 for code and xdata, 0x100 for the others.
  uint32_t SpaceEnd() const;
  // The driver's tagged address of `address`.
  uint32_t Tagged() const;
  // "X:0x0010": four hex digits for code and xdata, two for the 256-byte spaces.
  std::string Text() const;
};

// Parses a reference (letters in either case; the address hexadecimal with 0x, or decimal). Nothing else is
// taken: no blanks, no address past the end of the space, at most 16 characters.
std::optional<MemoryReference> ParseMemoryReference(std::string_view text);

}  // namespace orven::orvdap
