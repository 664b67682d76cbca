// The built-in chip catalogues and vendor lists of the two programmer models, and lookups over them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "programmer/chip_entry.h"

namespace orven::app {

inline constexpr uint16_t kQx410ModelWord = 0x5295;
inline constexpr uint16_t kOrvenfModelWord = 0x520D;

struct ModelCatalogue {
  uint16_t modelWord;
  const char* settingsSection;            // settings section holding ChipNO, SVENDOR, SCHIP ("QX410", "ORVENF")
  std::span<const char* const> vendors;   // vendor number n is vendors[n - 1]; the end marker is not included
  std::span<const ChipEntry> entries;     // every chip, then the end entry (vendor 0)
  bool showNotes;                         // the chip selection dialog shows its [ZIF]/[ISP] notes

  // Number of chips, the end entry not counted.
  size_t Size() const { return entries.size() - 1; }
  // chipNo when it names a chip of this catalogue, otherwise 0 (the first chip).
  int ClampChipNo(int chipNo) const;
  // The chip at ClampChipNo(chipNo).
  const ChipEntry& Chip(int chipNo) const { return entries[static_cast<size_t>(ClampChipNo(chipNo))]; }
  // Catalogue index of the chip named name (exact, else ignoring ASCII letter case), or -1.
  int FindChip(std::string_view name) const;
};

const ModelCatalogue& Qx410Catalogue();
const ModelCatalogue& OrvenfCatalogue();

// 0x5295 selects the QX410 catalogue; every other model word the ORVENF catalogue.
const ModelCatalogue& CatalogueForModelWord(uint16_t modelWord);

// The settings' model index (MODEL): 0 is the QX410, any other value the ORVENF.
const ModelCatalogue& CatalogueForModelIndex(int modelIndex);

// UTF-8 name and configuration file name of an entry.
inline std::string ChipName(const ChipEntry& entry) { return Utf16FieldToUtf8(entry.name, std::size(entry.name)); }
inline std::string ConfigFileName(const ChipEntry& entry) {
  return Utf16FieldToUtf8(entry.configFile, std::size(entry.configFile));
}

}  // namespace orven::app
