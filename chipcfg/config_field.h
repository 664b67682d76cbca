// Bit fields of the 32-byte configuration (fuse) buffer. Bit position p is bit (p mod 8) of byte (p div 8);
// a field is read through the little-endian 32-bit window that starts at byte (p div 8).
#pragma once

#include <cstddef>
#include <cstdint>

namespace orven::chipcfg {

inline constexpr size_t kConfigBufferSize = 32;

// Field value at bit position p, width w. Bytes of the window past the buffer read as 0, a width of 0 reads 0
// and a width of 32 or more reads the whole window, so any p and w are safe.
uint32_t GetFieldValue(const uint8_t* config, uint16_t bitPosition, uint8_t bitWidth);

// Writes the low bits of value into the field and leaves every other bit unchanged. Bytes of the window past
// the buffer are never written (the field is clipped there); a width of 0 writes nothing.
void SetFieldValue(uint8_t* config, uint16_t bitPosition, uint8_t bitWidth, uint32_t value);

// True when the field lies in its 32-bit window ((p mod 8) + w <= 32) and wholly inside the buffer. Chip
// configuration files only describe such fields; the reader refuses others.
bool FieldFits(uint16_t bitPosition, uint8_t bitWidth);

}  // namespace orven::chipcfg
