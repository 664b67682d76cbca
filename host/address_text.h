// Addresses in the form the user writes them: "C:0100", "X:0000", "D:0030" become, from the driver's tagged
// 32-bit form (space in the top byte).
#pragma once

#include <cstdint>
#include <string>

namespace orven::host {

// "C:0100" for code, "X:0000" xdata, "P:0010" pdata, "D:0030" direct data, "I:0080" indirect internal RAM;
// a code or xdata address with a bank or segment above 16 bits keeps all six digits ("C:010100"). A tag
// of no known space is given as the 8-digit tagged word.
std::string AddressText(uint32_t tagged);

}  // namespace orven::host
