// Builders for chip configuration files with chosen contents and faults.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/cfgc/config_image.h"

namespace orven::chipcfg::test {

// A record from UTF-8 texts (code page GBK); an empty std::string for optionText means absent (length 0).
inline cfgc::ImageRecord Record(uint8_t kindCode, uint16_t bit, uint8_t width, std::vector<uint8_t> values,
                                const std::string& name, const std::string& optionText = {},
                                uint8_t category = 0) {
  cfgc::ImageRecord r;
  r.kindCode = kindCode;
  r.category = category;
  r.bitPosition = bit;
  r.bitWidth = width;
  r.values = std::move(values);
  cfgc::StoredText(name, "GBK", r.name);
  cfgc::StoredText("说明", "GBK", r.description);
  if (!optionText.empty()) cfgc::StoredText(optionText, "GBK", r.optionText);
  return r;
}

// A well-formed version 4 image for chipName with two categories and the given defaults.
inline cfgc::ConfigImage Image(const std::string& chipName, std::vector<cfgc::ImageRecord> records = {},
                               std::vector<uint8_t> defaults = {}) {
  cfgc::ConfigImage image;
  cfgc::SetStandardMagic(image);
  cfgc::SetHeaderU16(image, layout::kListWidth, 400);
  cfgc::SetHeaderU16(image, layout::kListHeight, 300);
  cfgc::SetHeaderU16(image, layout::kNamePercent, 40);
  std::copy(chipName.begin(), chipName.end(), image.header.begin() + layout::kChipName);
  std::vector<uint8_t> cat;
  cfgc::StoredText("时钟", "GBK", cat);
  std::copy(cat.begin(), cat.end(), image.header.begin() + layout::kCategoryNames);
  cfgc::StoredText("Lock", "GBK", cat);
  std::copy(cat.begin(), cat.end(), image.header.begin() + layout::kCategoryNames + layout::kCategoryField);
  std::copy(defaults.begin(), defaults.end(), image.header.begin() + layout::kDefaults);
  image.records = std::move(records);
  return image;
}

inline std::vector<uint8_t> Bytes(const cfgc::ConfigImage& image) {
  std::vector<uint8_t> out;
  cfgc::EncodeConfigImage(image, out);
  return out;
}

// A scratch directory per test, removed at the end.
class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/chipcfg_test_XXXXXX";
    path_ = ::mkdtemp(tmpl);
    path_ += "/";
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string file = path_ + name;
    std::FILE* f = std::fopen(file.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return file;
  }

 private:
  std::string path_;
};

}  // namespace orven::chipcfg::test
