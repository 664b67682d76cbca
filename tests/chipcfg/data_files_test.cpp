// The five chip configuration files built beside the programs: they compile from their sources, survive a
// dump, pass the editor's check under their own names, and describe their defaults consistently.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "chipcfg/chip_config_defaults.h"
#include "chipcfg/config_field.h"
#include "chipcfg/config_file.h"
#include "chipcfg/config_file_layout.h"
#include "link/paths.h"
#include "tools/cfgc/config_source.h"

namespace orven::chipcfg {
namespace {

const char* const kNames[] = {"MEGA16", "MEGA8515", "MEGA88", "16F877A", "STCMCU1"};

std::string ReadSource(const std::string& name) {
  std::ifstream in(std::string(ORVEN_CHIPCFG_SOURCE_DIR) + "/" + name + ".json", std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(DataFiles, BuiltFilesMatchSourcesAndRoundTrip) {
  for (const char* name : kNames) {
    SCOPED_TRACE(name);
    cfgc::ConfigImage image;
    std::vector<std::string> warnings;
    std::string error;
    ASSERT_TRUE(cfgc::CompileSource(ReadSource(name), "GBK", image, warnings, error)) << error;
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    std::vector<uint8_t> compiled;
    ASSERT_TRUE(cfgc::EncodeConfigImage(image, compiled));

    const std::string path = ConfigFilePath(name);
    std::vector<uint8_t> built;
    ASSERT_TRUE(ReadFileBytes(path, built)) << path << " was not built";
    EXPECT_EQ(built, compiled);
    EXPECT_TRUE(CheckConfigFile(path));

    cfgc::ConfigImage decoded;
    std::string dumped;
    ASSERT_TRUE(cfgc::DecodeConfigImage(built.data(), built.size(), decoded, error)) << error;
    ASSERT_TRUE(cfgc::DumpImage(decoded, "GBK", dumped, error)) << error;
    cfgc::ConfigImage again;
    ASSERT_TRUE(cfgc::CompileSource(dumped, "GBK", again, warnings, error)) << error;
    std::vector<uint8_t> recompiled;
    ASSERT_TRUE(cfgc::EncodeConfigImage(again, recompiled));
    EXPECT_EQ(recompiled, built);
  }
}

TEST(DataFiles, ItemsAreConsistentWithTheDefaults) {
  for (const char* name : kNames) {
    SCOPED_TRACE(name);
    ConfigItems items;
    ASSERT_EQ(LoadConfigItems(ConfigFilePath(name), items), ReadItemsResult::kOk);
    ASSERT_FALSE(items.items.empty());
    EXPECT_EQ(items.header.chipName, name);
    uint8_t config[32];
    ASSERT_TRUE(LoadChipConfigDefaults(name, config));
    EXPECT_TRUE(std::equal(config, config + 32, items.header.defaults.begin()));
    const std::vector<ItemValue> values = InitialItemValues(items, config);
    std::set<std::string> names;
    for (size_t i = 0; i < items.items.size(); ++i) {
      const ItemDescription& d = items.items[i];
      SCOPED_TRACE(d.name);
      EXPECT_TRUE(names.insert(d.name).second) << "item names must be unique for --set";
      EXPECT_FALSE(d.description.empty());
      EXPECT_FALSE(items.CategoryName(d).empty());
      if (d.item.kind == ItemKind::kDropDown) {
        EXPECT_EQ(DropDownOptions(d.optionText).size(), d.item.valueCount);
        // Each option's value must read back as that option.
        for (size_t k = 0; k < d.item.valueCount; ++k) {
          uint8_t probe[32] = {};
          SetFieldValue(probe, d.item.bitPosition, d.item.bitWidth, d.item.values[k]);
          EXPECT_EQ(InitialItemValue(d, probe), static_cast<ItemValue>(k));
        }
      }
      if (d.item.kind == ItemKind::kCheckBox) {
        EXPECT_EQ(d.item.valueCount, 2);
      }
      // The factory bytes select a real option in every item.
      EXPECT_NE(values[i], kNoSelection);
      EXPECT_FALSE(ShownValue(d, values[i]).empty());
    }
    uint8_t applied[32];
    std::copy(config, config + 32, applied);
    ApplyItems(std::span<const ItemDescription>(items.items), values, applied);
    EXPECT_TRUE(std::equal(config, config + 32, applied));
  }
}

}  // namespace
}  // namespace orven::chipcfg

namespace orven::chipcfg {
namespace {

// The command line's edit path on a real file: one change lands in its field, a bad text writes nothing.
TEST(DataFiles, AssignmentsEditTheDefaults) {
  ConfigItems items;
  ASSERT_EQ(LoadConfigItems(ConfigFilePath("MEGA16"), items), ReadItemsResult::kOk);
  uint8_t config[32];
  ASSERT_TRUE(LoadChipConfigDefaults("MEGA16", config));
  const std::vector<std::string> good = {"CKOPT=已编程", "BODLEVEL=4.0V", "LB=模式3: 禁止编程与校验"};
  ASSERT_EQ(ApplyAssignments(items.items, good, config), SetItemResult::kOk);
  EXPECT_EQ(config[0], 0x61);  // BODLEVEL programmed
  EXPECT_EQ(config[1], 0x89);  // CKOPT programmed
  EXPECT_EQ(config[3], 0xFC);  // lock mode 3
  uint8_t before[32];
  std::copy(config, config + 32, before);
  const std::vector<std::string> bad = {"JTAGEN=未编程", "BODLEVEL=5V"};
  size_t failedAt = 99;
  EXPECT_EQ(ApplyAssignments(items.items, bad, config, &failedAt), SetItemResult::kUnknownValue);
  EXPECT_EQ(failedAt, 1u);
  EXPECT_TRUE(std::equal(config, config + 32, before));
}

}  // namespace
}  // namespace orven::chipcfg
