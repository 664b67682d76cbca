// One entry of a programmer model's built-in chip catalogue. The layout is kept byte for byte (160 bytes) so
// the catalogue tables can be checked against their published form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/chip_parameter_block.h"

namespace orven {

struct ChipEntry {
  char16_t name[32];                  // @0   UTF-16, NUL-padded, at most 31 characters
  int32_t vendor;                     // @64  1-based position in the model's vendor list; 0 ends the catalogue
  uint32_t flags;                     // @68  0x20 = has configuration items
  char16_t configFile[32];            // @72  configuration file name, UTF-16; empty when none
  ChipParameterBlock parameters;      // @136 sent whole with command 29

  uint32_t FlashSize() const { return parameters.FlashSize(); }
  bool HasConfigItems() const { return (flags & kFlagConfigItems) != 0; }

  static constexpr uint32_t kFlagConfigItems = 0x20;
};
static_assert(sizeof(ChipEntry) == 160);
static_assert(offsetof(ChipEntry, vendor) == 64);
static_assert(offsetof(ChipEntry, flags) == 68);
static_assert(offsetof(ChipEntry, configFile) == 72);
static_assert(offsetof(ChipEntry, parameters) == 136);

// UTF-8 copy of a NUL-padded UTF-16 field (the catalogue texts are ASCII, but this does not assume it).
std::string Utf16FieldToUtf8(const char16_t* field, size_t capacity);

}  // namespace orven
