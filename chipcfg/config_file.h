// Reading chip configuration files: the full check the editor runs before it opens, and the header and item
// records it shows. The files are prepared data; nothing here writes them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "chipcfg/config_item.h"
#include "chipcfg/text_codec.h"

namespace orven::chipcfg {

// Reads a whole file. False if it cannot be opened or read, or is far larger than any configuration file
// (bytes is then empty).
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes);

// Checks a file's bytes against the name it was looked up under (without directory and extension): length,
// check value, magic and version 4, and the chip name inside equal to fileName ignoring ASCII letter case.
// fileName is converted to the code page and must fit 31 bytes.
bool CheckConfigBytes(const uint8_t* data, size_t size, const std::string& fileName,
                      const std::string& codePage = ConfiguredCodePage());

// The editor's check before it opens: reads the file at path and checks it as above, the name being the
// path's last component with everything from its last "." dropped. True only if every step passes.
bool CheckConfigFile(const std::string& path, const std::string& codePage = ConfiguredCodePage());

// What the editor takes from the header.
struct ConfigFileHeader {
  uint16_t version = 0;
  uint16_t listWidth = 0;
  uint16_t listHeight = 0;
  uint16_t namePercentStored = 0;
  std::string chipName;  // UTF-8
  uint8_t itemCount = 0;
  std::array<std::string, 5> categoryNames;  // UTF-8
  std::array<uint8_t, 32> defaults{};

  // Name column share the list uses: the stored value if 15..85, otherwise 30.
  int NamePercent() const;
};

// Header and items of one file, in file order.
struct ConfigItems {
  ConfigFileHeader header;
  std::vector<ItemDescription> items;

  // Name of the item's category (the reader admits indexes 0..4 only; any other reads as empty).
  const std::string& CategoryName(const ItemDescription& item) const {
    static const std::string kNone;
    return item.item.category < header.categoryNames.size() ? header.categoryNames[item.item.category] : kNone;
  }
};

// Why reading the items stopped. Every failure leaves `out` without items: a file whose records break the
// format is not shown in part, so the buffer can only be written through items that were all understood.
enum class ReadItemsResult {
  kOk,
  kOpenFailed,         // the file could not be opened or read
  kShortHeader,        // fewer bytes than the header
  kRecordPastEnd,      // a record head, text or value list runs past the data
  kBadCategory,        // a category index above 4
  kTextTooLong,        // a text over its limit, or a category name without its terminator
  kFieldOutOfRange,    // a field outside its 32-bit window or outside the 32-byte buffer
  kUnknownCodePage,    // the text code page is not known to the system
};

// Parses the header and the item records from a file's bytes. The data end is the end of the bytes handed in
// (the check value is not examined: the caller has run CheckConfigBytes or the CRC check already). On failure
// `firstBadRecord` names the record (0-based) that stopped reading, or -1 for the header.
ReadItemsResult ReadConfigItems(const uint8_t* data, size_t size, ConfigItems& out,
                                const std::string& codePage = ConfiguredCodePage(), int* firstBadRecord = nullptr);

// Opens path and reads its items as above (the editor's LoadConfigItems step).
ReadItemsResult LoadConfigItems(const std::string& path, ConfigItems& out,
                                const std::string& codePage = ConfiguredCodePage(), int* firstBadRecord = nullptr);

// Initial values of all items from a configuration buffer (32 bytes), one per item in order.
std::vector<ItemValue> InitialItemValues(const ConfigItems& items, const uint8_t* config);

// File name part used for the name check: the last path component without everything from its last ".".
std::string ConfigNameFromPath(const std::string& path);

}  // namespace orven::chipcfg
