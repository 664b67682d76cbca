// Texts and names the hex view draws or asks the platform for.
#pragma once

namespace orven::hexview::texts {

// The header row: eight address characters, then one "+n" column title per byte of a row.
inline constexpr const char* kHeader = " ADDRESS  +0 +1 +2 +3 +4 +5 +6 +7 +8 +9 +A +B +C +D +E +F";

// Address column, hexadecimal and decimal forms (printf formats).
inline constexpr const char* kAddressHexFormat = "%8.8X";
inline constexpr const char* kAddressDecFormat = "%8.8d";

// Digits of the hex column, upper case.
inline constexpr const char* kHexDigits = "0123456789ABCDEF";

// The font the view asks for first; any monospace face with an 8-pixel advance stands in for it.
inline constexpr const char* kFontFamily = "Courier New";

}  // namespace orven::hexview::texts
