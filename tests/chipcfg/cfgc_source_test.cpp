// The configuration compiler's source: errors name the line or field, and dumps reproduce odd files exactly.
#include <gtest/gtest.h>

#include "chipcfg/config_file_layout.h"
#include "tests/chipcfg/test_files.h"
#include "tools/cfgc/config_source.h"

namespace orven::cfgc {
namespace {

const char* const kMinimal = R"({
  "chip": "T", "width": 400, "height": 300, "namePercent": 30, "categories": ["时钟"],
  "items": [%s]
})";

std::string WithItems(const std::string& items) {
  std::string s = kMinimal;
  s.replace(s.find("%s"), 2, items);
  return s;
}

TEST(CfgcSource, ErrorsNameLineOrField) {
  const struct {
    std::string source;
    const char* expected;
  } cases[] = {
      {"{\n  \"chip\": \"T\",\n  \"width\": 4x0\n}", "line 3, column"},
      {"{ \"chip\": \"T\", \"height\": 1, \"namePercent\": 1 }", "width: missing"},
      {"{ \"chip\": \"T\", \"width\": 1, \"height\": 1, \"namePercent\": 1, \"colour\": 1 }", "colour: unknown field"},
      {"{ \"chip\": \"T\", \"width\": -1, \"height\": 1, \"namePercent\": 1 }", "width: must not be negative"},
      {"{ \"chip\": \"T\", \"width\": 70000, \"height\": 1, \"namePercent\": 1 }", "width: must be at most 65535"},
      {WithItems(R"({"name": "a", "category": "时钟", "kind": "dropdown", "bit": 0, "width": 300})"), "items[0].width: must be at most 255"},
      {WithItems(R"({"name": "a", "category": "其他", "kind": 1, "bit": 0, "width": 1})"), "items[0].category: no category named"},
      {WithItems(R"({"name": "a", "category": 5, "kind": 1, "bit": 0, "width": 1})"), "items[0].category: must be at most 4"},
      {WithItems(R"({"name": "a", "category": 0, "kind": "slider", "bit": 0, "width": 1})"), "items[0].kind: unknown kind"},
      {WithItems(R"({"name": "a", "category": 0, "kind": 2, "bit": 250, "width": 8})"), "items[0]: field at bit 250"},
      {WithItems(R"({"name": "a", "category": 0, "kind": 0, "bit": 0, "width": 1, "values": [256]})"), "items[0].values[0]: must be at most 255"},
      {WithItems(R"({"name": "a", "category": 0, "kind": 0, "bit": 0, "width": 1, "options": ["x|y"]})"), "items[0].options[0]: a label cannot hold"},
      {WithItems(R"({"category": 0, "kind": 0, "bit": 0, "width": 1}, {"name": "a", "category": 0, "kind": 0, "width": 1})"), "items[1].bit: missing"},
      {WithItems(R"({"name": "a", "nameHex": "00", "category": 0, "kind": 0, "bit": 0, "width": 1})"), "items[0].name: give either"},
      {WithItems(R"({"name": "a", "category": 0, "kind": 0, "bit": 0, "width": 1, "reserved": "01 02"})"), "items[0].reserved: must be 4 bytes"},
      {WithItems(R"({"name": "€", "category": 0, "kind": 0, "bit": 0, "width": 1})"), ""},
      {WithItems(R"({"name": "🙂", "category": 0, "kind": 0, "bit": 0, "width": 1})"), "items[0].name: text cannot be written in code page GBK"},
      {"{ \"chip\": \"T\", \"width\": 1, \"height\": 1, \"namePercent\": 1, \"defaults\": \"E1 9\" }", "defaults: odd number of hex digits"},
      {"{ \"chip\": \"T\", \"width\": 1, \"height\": 1, \"namePercent\": 1, \"headerPatch\": [{\"offset\": 1576, \"bytes\": \"01 02\"}] }", "headerPatch[0]: runs past"},
      {"{ \"chip\": \"T\", \"width\": 1, \"height\": 1, \"namePercent\": 1, \"headerPatch\": [{\"offset\": 160, \"bytes\": \"01 02\"}] }", "the item count comes from the items"},
  };
  for (const auto& c : cases) {
    ConfigImage image;
    std::vector<std::string> warnings;
    std::string error;
    const bool ok = CompileSource(c.source, "GBK", image, warnings, error);
    if (*c.expected == 0) {
      EXPECT_TRUE(ok) << c.source << "\n" << error;
      continue;
    }
    EXPECT_FALSE(ok) << c.source;
    EXPECT_NE(error.find(c.expected), std::string::npos) << "got: " << error << "\nwanted: " << c.expected;
  }
}

TEST(CfgcSource, WarnsAboutLabelsTheEditorDrops) {
  ConfigImage image;
  std::vector<std::string> warnings;
  std::string error;
  ASSERT_TRUE(CompileSource(WithItems(R"({"name": "a", "category": 0, "kind": "dropdown", "bit": 0, "width": 2,
      "values": [0, 1, 2], "options": ["Fast", "fast", "Faster"]})"), "GBK", image, warnings, error)) << error;
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_NE(warnings[0].find("1 option label(s) repeat"), std::string::npos);
  EXPECT_NE(warnings[1].find("2 options but 3 values"), std::string::npos);
}

// Files with bytes the editor ignores, texts that are not plain strings, and a kind code outside 0..3 all dump
// to sources that compile to the very same bytes.
TEST(CfgcSource, DumpReproducesUninterpretedBytes) {
  using chipcfg::test::Record;
  ConfigImage image = chipcfg::test::Image("Odd", {Record(0, 0, 2, {3, 1, 0}, "a", "A|B|C|"), Record(7, 8, 8, {}, "plain")},
                                           {1, 2, 3});
  image.header[6] = 0x5A;                                 // not interpreted
  image.header[chipcfg::layout::kChipName + 10] = 0x77;   // behind the chip name's terminator
  image.header[chipcfg::layout::kReserved841 + 100] = 0xEE;
  image.header[chipcfg::layout::kCategoryNames + 2 * 128 + 5] = 0x33;  // unused category field, no text
  image.records[0].reserved = {1, 2, 3, 4};
  image.records[0].description = {'x', 0, 'y', 0};        // bytes behind the terminator
  image.records[1].name = {'n', 'o', 'z', 'e', 'r', 'o'};  // no terminator
  image.records[1].description.clear();                  // absent
  image.records[1].optionText = {0};                     // present and empty
  image.trailer = {0xDE, 0xAD};
  for (const uint16_t version : {4, 3}) {
    SetHeaderU16(image, chipcfg::layout::kVersion, version);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodeConfigImage(image, bytes));
    ConfigImage decoded;
    std::string error;
    ASSERT_TRUE(DecodeConfigImage(bytes.data(), bytes.size(), decoded, error)) << error;
    std::string source;
    ASSERT_TRUE(DumpImage(decoded, "GBK", source, error)) << error;
    ConfigImage again;
    std::vector<std::string> warnings;
    ASSERT_TRUE(CompileSource(source, "GBK", again, warnings, error)) << error << "\n" << source;
    std::vector<uint8_t> rebuilt;
    ASSERT_TRUE(EncodeConfigImage(again, rebuilt));
    EXPECT_EQ(rebuilt, bytes) << source;
  }
}

TEST(CfgcSource, DumpRefusesFilesTheEditorWouldNotShow) {
  using chipcfg::test::Record;
  std::vector<uint8_t> bytes = chipcfg::test::Bytes(chipcfg::test::Image("X", {Record(1, 0, 1, {0, 1}, "c", "", 7)}));
  ConfigImage decoded;
  std::string error;
  ASSERT_TRUE(DecodeConfigImage(bytes.data(), bytes.size(), decoded, error));
  std::string source;
  EXPECT_FALSE(DumpImage(decoded, "GBK", source, error));
  EXPECT_NE(error.find("record 0"), std::string::npos) << error;
  bytes[2000 % bytes.size()] ^= 1;
  EXPECT_FALSE(DecodeConfigImage(bytes.data(), bytes.size(), decoded, error));
  EXPECT_NE(error.find("check value"), std::string::npos) << error;
}

}  // namespace
}  // namespace orven::cfgc
