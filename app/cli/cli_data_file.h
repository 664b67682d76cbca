// Data files on the command line: Intel HEX (the default) or raw binary images at address 0, loaded with a
// count of what the chip cannot hold, and the checks made before anything is sent to the programmer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tormik/hex_file.h"

namespace orven::app {

enum class DataFormat { kHex, kBin };

// The forced format, else kBin for a name ending in ".bin" (any letter case), else kHex.
DataFormat DataFormatOf(const std::string& path, std::optional<DataFormat> forced);

struct DataFileLoad {
  bool ok = false;            // false: the file could not be read, or a HEX format error (already logged)
  uint64_t dataBytes = 0;     // bytes the file holds for the chip, stored or not
  uint64_t bytesBeyond = 0;   // of those, the ones at or above the limit, which were dropped
};

// Fills the first limit bytes of image with 0xFF and loads the file into them.
DataFileLoad LoadDataFile(const std::string& path, DataFormat format, uint8_t* image, uint32_t limit,
                          const LogFn& log);

// Whether the file holds data for any byte of [address, address + length) below limit: a HEX file by its
// data records, a binary file from address 0 to its end. False too when the file cannot be read (the load
// itself reports that).
bool DataFileCovers(const std::string& path, DataFormat format, uint32_t limit, uint32_t address, uint32_t length);

// Writes size bytes of image to path in the format, replacing the file. True when every byte reached it.
bool WriteDataFile(const std::string& path, DataFormat format, const uint8_t* image, uint32_t size);

// Whether path can be written (an existing regular file with write access, or a new file in a directory that
// can be written). On false, *why says what is wrong.
bool CanWriteFile(const std::string& path, std::string* why);

}  // namespace orven::app
