// A chip configuration file byte for byte: the header as stored, the records with their texts as stored, and
// any bytes between the last record and the check value. Used by the configuration compiler to write files
// and to read them back for --dump, and by tests to build files with chosen faults.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "chipcfg/config_file_layout.h"

namespace orven::cfgc {

struct ImageRecord {
  std::array<uint8_t, 4> reserved{};  // @0 not interpreted by the reader
  uint8_t kindCode = 0;               // @4
  uint8_t category = 0;               // @5
  uint16_t bitPosition = 0;           // @10
  uint8_t bitWidth = 0;               // @12
  std::vector<uint8_t> values;        // @13 is values.size() (at most 255)
  // Texts exactly as stored; the size is the length field (0 = absent). A well-formed text ends with its zero.
  std::vector<uint8_t> name;
  std::vector<uint8_t> description;
  std::vector<uint8_t> optionText;
};

struct ConfigImage {
  std::array<uint8_t, chipcfg::layout::kHeaderSize> header{};  // item count byte is taken from records
  std::vector<ImageRecord> records;
  std::vector<uint8_t> trailer;
};

// Header fields (little-endian) and texts.
void SetHeaderU16(ConfigImage& image, size_t offset, uint16_t value);
uint16_t HeaderU16(const ConfigImage& image, size_t offset);
// Writes "CFG\0" and version 4, leaving every other header byte as it is.
void SetStandardMagic(ConfigImage& image);

// Encodes text in the code page and appends its terminator. False if the text cannot be encoded.
bool StoredText(const std::string& utf8, const std::string& codePage, std::vector<uint8_t>& out);

// The file's bytes with the check value appended. False (and out empty) when a record holds more than 255
// values, a text longer than 65,535 bytes, or there are more than 255 records.
bool EncodeConfigImage(const ConfigImage& image, std::vector<uint8_t>& out);

// Splits a file into an image. Refuses (with a reason in error) a file shorter than header and check value,
// with a wrong check value, or whose records do not lie within the data before the check value.
bool DecodeConfigImage(const uint8_t* data, size_t size, ConfigImage& image, std::string& error);

}  // namespace orven::cfgc
