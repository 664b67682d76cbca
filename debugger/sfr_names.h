// Names of the 8052's special function registers and of their named bits.
#pragma once

#include <cstdint>
#include <string_view>

namespace orven::debugger {

// The register's name at a direct address 0x80-0xFF, or empty when the 8052 has none there.
std::string_view SfrName(uint8_t address);
// The name of a bit address 0x80-0xFF (EA, TR0, CY, ...), or empty when the bit has no name of its own.
std::string_view SfrBitName(uint8_t bitAddress);

}  // namespace orven::debugger
