// The chips the emulator/programmer can program in its socket ([ZIF]) or over its ISP cable ([ISP]), and their
// vendors. The driver picks one with the V (vendor) and C (position among that vendor's chips) options; the
// setup dialog lists them; the download sends the chosen entry's parameter block with the chip-init command.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "link/chip_parameter_block.h"

namespace orven::emulator {

inline constexpr size_t kChipVendorCount = 4;

// Vendor names by vendor index, then the end marker (null).
extern const std::array<const char*, kChipVendorCount + 1> ChipVendorNames;

struct TargetChipEntry {
  // @0  char[32] chip name, ASCII, NUL-padded (shown in the setup dialog and the output window)
  // @32 u16le    vendor index into ChipVendorNames
  // @34 u8[24]   ChipParameterBlock, sent unchanged with the chip-init command:
  //              @34+0 algorithm code, @34+2 signature[4], @34+6 u32le flash capacity, @34+15, @34+16 flags
  uint8_t bytes[58];

  // The name up to its first NUL (at most 32 characters).
  std::string_view Name() const;
  uint16_t VendorIndex() const { return GetU16Le(bytes + 32); }
  ChipParameterBlock ParameterBlock() const;
  uint8_t AlgorithmCode() const { return bytes[34]; }
  uint32_t Capacity() const { return GetU32Le(bytes + 34 + 6); }
};
static_assert(sizeof(TargetChipEntry) == 58);

inline constexpr size_t kTargetChipCount = 25;

// Table order: a vendor's chips stand together, in the order the setup dialog lists them.
extern const std::array<TargetChipEntry, kTargetChipCount> TargetChipTable;
static_assert(sizeof(TargetChipTable) == kTargetChipCount * 58);

// The vendor's name, or an empty view for an index outside 0..kChipVendorCount-1.
std::string_view ChipVendorName(int32_t vendor);

// Table index of the vendor's first chip, or -1 when no entry has that vendor.
int32_t FirstChipOfVendor(int32_t vendor);

// Number of table entries with that vendor (0 for an unknown vendor).
int32_t VendorChipCount(int32_t vendor);

// Table index of the vendor's chip at `position` (0-based, table order), or -1 when the vendor is unknown or
// has no chip at that position. Never names another vendor's chip.
int32_t ChipIndexOf(int32_t vendor, int32_t position);

// The table indexes of the vendor's chips, in table order (empty for an unknown vendor).
std::vector<int32_t> VendorChips(int32_t vendor);

}  // namespace orven::emulator
