// Chip configuration files come from disk: the editor's check, the item reader and the item model must cope
// with any bytes without reading or writing past what they have.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "chipcfg/config_file.h"
#include "chipcfg/config_item.h"
#include "tools/cfgc/config_image.h"
#include "tools/cfgc/config_source.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orven::chipcfg;
  // An exact-size copy, so reading one byte past the input is caught.
  std::vector<uint8_t> bytes(data, data + size);
  CheckConfigBytes(bytes.data(), bytes.size(), "MEGA16");
  CheckConfigBytes(bytes.data(), bytes.size(), "芯片");

  ConfigItems items;
  if (ReadConfigItems(bytes.data(), bytes.size(), items) != ReadItemsResult::kOk) return 0;
  uint8_t config[32];
  std::memcpy(config, items.header.defaults.data(), sizeof(config));
  std::vector<ItemValue> values = InitialItemValues(items, config);
  for (size_t i = 0; i < items.items.size(); ++i) {
    ShownValue(items.items[i], values[i]);
    ShownValue(items.items[i], static_cast<ItemValue>(i) - 1);
    CheckBoxLabelsFromText(items.items[i].optionText);
    if (!items.items[i].name.empty()) SetItemFromText(items.items, values, items.items[i].name + "=1");
  }
  ApplyItems(std::span<const ItemDescription>(items.items), values, config);

  // What the reader accepts, the compiler must be able to print back (when the check value holds).
  orven::cfgc::ConfigImage image;
  std::string error;
  std::string source;
  if (orven::cfgc::DecodeConfigImage(bytes.data(), bytes.size(), image, error) &&
      !orven::cfgc::DumpImage(image, kDefaultCodePage, source, error)) {
    __builtin_trap();
  }
  return 0;
}
