// Intel HEX data files: loading into the image buffer, and writing a chip's contents back out.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace orven::app {

// Receives each log line (UTF-8, with its "\n" or "\r\n" as the loader writes it).
using LogFn = std::function<void(const std::string&)>;

// Loads the HEX file at path into image; bytes at or above limit are dropped. Returns false on a format error
// (after logging its line) or when the file cannot be opened or read (nothing logged then). The caller fills the
// image with 0xFF first; image must hold at least limit bytes. log may be empty.
bool LoadHexFile(const std::string& path, uint8_t* image, uint32_t limit, const LogFn& log);

// The same loader over a file's contents already in memory (LoadHexFile reads the file and calls this).
bool LoadHexText(std::string_view text, uint8_t* image, uint32_t limit, const LogFn& log);

// What a load found, for callers that report more than the window does.
struct HexLoadStats {
  uint64_t dataBytes = 0;    // bytes of every data record read, stored or not
  uint64_t bytesBeyond = 0;  // those of them at or above the limit, dropped
};

// LoadHexFile and LoadHexText that also count the data (stats may be null). The image is filled exactly as
// by the plain forms.
bool LoadHexFile(const std::string& path, uint8_t* image, uint32_t limit, const LogFn& log, HexLoadStats* stats);
bool LoadHexText(std::string_view text, uint8_t* image, uint32_t limit, const LogFn& log, HexLoadStats* stats);

// Intel HEX text for size bytes of data at address 0: 16-byte data records, an extended linear address record
// before each 64 KiB page above the first, the end record; lines end in "\r\n".
std::string FormatHexText(const uint8_t* data, uint32_t size);

// Writes FormatHexText(data, size) to path, replacing the file. True when every byte reached the file.
bool WriteHexFile(const std::string& path, const uint8_t* data, uint32_t size);

}  // namespace orven::app
