#include "app/cli/cli_fuse.h"

#include <nlohmann/json.hpp>

#include "tormik/chip_catalogue.h"
#include "chipcfg/chip_config_defaults.h"
#include "chipcfg/config_field.h"
#include "chipcfg/config_file.h"
#include "chipcfg/texts.h"

namespace orven::app {
namespace {

const char* SetResultText(chipcfg::SetItemResult r) {
  switch (r) {
    case chipcfg::SetItemResult::kBadSyntax: return "takes NAME=VALUE";
    case chipcfg::SetItemResult::kUnknownItem: return "names no configuration item of this chip";
    case chipcfg::SetItemResult::kAmbiguousItem: return "names more than one configuration item";
    case chipcfg::SetItemResult::kNotEditable: return "names an item that cannot be changed";
    case chipcfg::SetItemResult::kUnknownValue: return "gives a value the item does not take";
    case chipcfg::SetItemResult::kOk: break;
  }
  return "";
}

}  // namespace

bool FuseSession::Prepare(const ChipEntry& chip, uint8_t* config, FILE* err) {
  const std::string fileName = ConfigFileName(chip);
  if (fileName.empty()) {
    if (!sets_.empty()) {
      std::fprintf(err, "tormik-cli: %s has no configuration items to --set\n", ChipName(chip).c_str());
      return Fail(2);
    }
    return true;
  }
  if (!chipcfg::LoadChipConfigDefaults(fileName, config)) {
    std::fprintf(err, "%s\n", chipcfg::kConfigFileOpenFailed);
    return needed_ ? Fail(1) : true;
  }
  if (sets_.empty()) return true;
  chipcfg::ConfigItems items;
  if (chipcfg::LoadConfigItems(chipcfg::ConfigFilePath(fileName), items) != chipcfg::ReadItemsResult::kOk) {
    std::fprintf(err, "%s\n", chipcfg::kConfigFileOpenFailed);
    return Fail(1);
  }
  size_t failedAt = 0;
  const chipcfg::SetItemResult r = chipcfg::ApplyAssignments(items.items, sets_, config, &failedAt);
  if (r != chipcfg::SetItemResult::kOk) {
    std::fprintf(err, "tormik-cli: --set \"%s\" %s\n", sets_[failedAt].c_str(), SetResultText(r));
    return Fail(2);
  }
  return true;
}

void FuseSession::Show(const ChipEntry& chip, const uint8_t* config, FILE* out) const {
  for (int i = 0; i < 32; ++i) std::fprintf(out, "%02X%s", config[i], i % 16 == 15 ? "\n" : " ");
  const std::string fileName = ConfigFileName(chip);
  if (fileName.empty()) return;
  chipcfg::ConfigItems items;
  if (chipcfg::LoadConfigItems(chipcfg::ConfigFilePath(fileName), items) != chipcfg::ReadItemsResult::kOk) {
    std::fprintf(out, "%s\n", chipcfg::kConfigFileOpenFailed);
    return;
  }
  for (const chipcfg::ItemDescription& d : items.items) {
    const uint32_t raw = chipcfg::GetFieldValue(config, d.item.bitPosition, d.item.bitWidth);
    const std::string shown = chipcfg::ShownValue(d, chipcfg::InitialItemValue(d, config));
    std::fprintf(out, "[%s] %s = %s (0x%X)\n", items.CategoryName(d).c_str(), d.name.c_str(), shown.c_str(), raw);
  }
}

std::string FuseSession::ShowJson(const ChipEntry& chip, const uint8_t* config) const {
  nlohmann::json doc;
  doc["type"] = "fuse-read";
  doc["chip"] = ChipName(chip);
  std::string bytes;
  for (int i = 0; i < 32; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", config[i]);
    bytes += hex;
  }
  doc["config"] = bytes;
  doc["items"] = nlohmann::json::array();
  const std::string fileName = ConfigFileName(chip);
  chipcfg::ConfigItems items;
  if (!fileName.empty() &&
      chipcfg::LoadConfigItems(chipcfg::ConfigFilePath(fileName), items) == chipcfg::ReadItemsResult::kOk) {
    for (const chipcfg::ItemDescription& d : items.items) {
      doc["items"].push_back({
          {"category", items.CategoryName(d)},
          {"name", d.name},
          {"value", chipcfg::ShownValue(d, chipcfg::InitialItemValue(d, config))},
          {"raw", chipcfg::GetFieldValue(config, d.item.bitPosition, d.item.bitWidth)},
      });
    }
  } else if (!fileName.empty()) {
    doc["error"] = chipcfg::kConfigFileOpenFailed;
  }
  return doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace orven::app
