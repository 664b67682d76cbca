// Intel HEX data files: loading into the image buffer, and writing a chip's contents back out.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace orven::app {

// Receives each log line (UTF-8, with its "\n" or "\r\n" as the loader writes it).
using LogFn = std::function<void(const std::string&)>;

// Loads the HEX file at path into image; bytes at or above limit are dropped. Returns false on a format error
// (after logging its line) or when the file cannot be opened. The caller fills the image with 0xFF first.
bool LoadHexFile(const std::string& path, uint8_t* image, uint32_t limit, const LogFn& log);

}  // namespace orven::app
