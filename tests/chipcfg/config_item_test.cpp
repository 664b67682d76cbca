// Bit-field arithmetic, option labels, initial values and writing items back.
#include <gtest/gtest.h>

#include <cstring>

#include "chipcfg/config_field.h"
#include "chipcfg/config_item.h"

namespace orven::chipcfg {
namespace {

TEST(ConfigField, ReadAndWriteLeaveOtherBitsAlone) {
  const struct {
    const char* what;
    uint16_t bit;
    uint8_t width;
    uint32_t write;
    uint32_t readBack;
  } cases[] = {
      {"position 13 width 3 is bits 5..7 of byte 1", 13, 3, 5, 5},
      {"byte 0 exactly", 0, 8, 0xA5, 0xA5},
      {"width 0 reads 0 and writes nothing", 4, 0, 0xFFFFFFFF, 0},
      {"crossing bytes, little-endian", 6, 10, 0x3FF, 0x3FF},
      {"value wider than the field is cut", 8, 4, 0x1FF, 0xF},
      {"whole 32-bit window", 8, 32, 0x12345678, 0x12345678},
      {"last byte of the buffer", 248, 8, 0x5A, 0x5A},
  };
  for (const auto& c : cases) {
    uint8_t buf[32];
    for (int i = 0; i < 32; ++i) buf[i] = static_cast<uint8_t>(0x31 * i + 7);
    uint8_t before[32];
    std::memcpy(before, buf, 32);
    SetFieldValue(buf, c.bit, c.width, c.write);
    EXPECT_EQ(GetFieldValue(buf, c.bit, c.width), c.readBack) << c.what;
    for (unsigned b = 0; b < 256; ++b) {
      const bool inField = b >= c.bit && b < static_cast<unsigned>(c.bit) + c.width;
      if (inField) continue;
      EXPECT_EQ((buf[b / 8] >> (b % 8)) & 1, (before[b / 8] >> (b % 8)) & 1) << c.what << " bit " << b;
    }
  }
  uint8_t buf[32] = {};
  buf[1] = 0x1F;
  SetFieldValue(buf, 13, 3, 5);
  EXPECT_EQ(buf[1], 0xBF);  // 101 in bits 5..7, bits 0..4 kept
}

TEST(ConfigField, FieldsPastTheBufferAreClippedNotOverrun) {
  uint8_t buf[33];
  std::memset(buf, 0xFF, sizeof(buf));
  buf[32] = 0x77;  // guard byte behind the 32-byte buffer
  EXPECT_EQ(GetFieldValue(buf, 252, 8), 0x0Fu);  // bytes past the buffer read as 0
  SetFieldValue(buf, 252, 8, 0);
  EXPECT_EQ(buf[31], 0x0F);
  EXPECT_EQ(buf[32], 0x77);
  SetFieldValue(buf, 0xFFFF, 32, 0);
  EXPECT_EQ(GetFieldValue(buf, 0xFFFF, 32), 0u);
  EXPECT_EQ(buf[32], 0x77);
  EXPECT_TRUE(FieldFits(7, 25));
  EXPECT_FALSE(FieldFits(7, 26));
  EXPECT_TRUE(FieldFits(224, 32));
  EXPECT_FALSE(FieldFits(232, 32));
}

ItemDescription Item(ItemKind kind, uint16_t bit, uint8_t width, std::vector<uint8_t> values,
                     const std::string& options = {}, const std::string& name = "I") {
  ItemDescription d;
  d.item.kind = kind;
  d.item.bitPosition = bit;
  d.item.bitWidth = width;
  d.item.valueCount = static_cast<uint8_t>(values.size());
  std::copy(values.begin(), values.end(), d.item.values.begin());
  d.optionText = options;
  d.name = name;
  return d;
}

TEST(OptionLabels, DropDownPieces) {
  using V = std::vector<std::string>;
  const struct {
    const char* text;
    V options;
  } cases[] = {
      {"Fast|fast|Faster", {"Fast", "Faster"}},
      {"A|B|C", {"A", "B", "C"}},
      {"A|B|", {"A", "B"}},
      {"", {}},
      {"A||B", {"A", "B"}},  // every kept option begins with the empty piece
      {"|A", {"", "A"}},     // ...unless nothing is kept yet
      {"Long|Lo|lONG|x", {"Long", "x"}},
      {"内部RC|内部|外部", {"内部RC", "外部"}},
  };
  for (const auto& c : cases) EXPECT_EQ(DropDownOptions(c.text), c.options) << c.text;
}

TEST(OptionLabels, CheckBoxLabels) {
  EXPECT_EQ(CheckBoxLabelsFromText("").unchecked, "No");
  EXPECT_EQ(CheckBoxLabelsFromText("").checked, "Yes");
  EXPECT_EQ(CheckBoxLabelsFromText("Off").checked, "Yes");
  const CheckBoxLabels l = CheckBoxLabelsFromText("未编程|已编程|x");
  EXPECT_EQ(l.unchecked, "未编程");
  EXPECT_EQ(l.checked, "已编程|x");
  std::string long70;
  for (int i = 0; i < 70; ++i) long70 += "位";
  const CheckBoxLabels cut = CheckBoxLabelsFromText(std::string(70, 'a') + "|" + long70);
  EXPECT_EQ(cut.unchecked, std::string(63, 'a'));
  EXPECT_EQ(cut.checked.size(), 63u * 3);  // 63 characters of 3 UTF-8 bytes each
}

TEST(InitialValue, CheckBoxWithValuesOneZero) {
  const ItemDescription box = Item(ItemKind::kCheckBox, 0, 2, {0x01, 0x00});
  const struct {
    uint8_t raw;
    ItemValue shown;
  } cases[] = {{1, 0}, {0, 1}, {3, 1}};
  for (const auto& c : cases) {
    uint8_t buf[32] = {c.raw};
    EXPECT_EQ(InitialItemValue(box, buf), c.shown) << int(c.raw);
  }
  uint8_t buf[32] = {0x01};
  const ItemValue checked = 1;
  ApplyItems(std::span<const ItemDescription>(&box, 1), std::span<const ItemValue>(&checked, 1), buf);
  EXPECT_EQ(buf[0], 0x00);
}

TEST(InitialValue, DropDownSearchesValuesThenUsesRawAsIndex) {
  const ItemDescription dd = Item(ItemKind::kDropDown, 0, 3, {3, 1, 0}, "A|B|C");
  const struct {
    uint8_t raw;
    ItemValue index;
    const char* shown;
    uint8_t afterOk;
  } cases[] = {
      {1, 1, "B", 1},
      {0, 2, "C", 0},
      {2, 2, "C", 0},  // no entry equals 2: used as the index, and OK then writes C's value
      {7, kNoSelection, "", 7},  // no option 7: no selection, and OK leaves the field alone
      {3, 0, "A", 3},
  };
  for (const auto& c : cases) {
    uint8_t buf[32] = {static_cast<uint8_t>(0xF8 | c.raw)};
    const ItemValue v = InitialItemValue(dd, buf);
    EXPECT_EQ(v, c.index) << int(c.raw);
    EXPECT_EQ(ShownValue(dd, v), c.shown) << int(c.raw);
    ApplyItems(std::span<const ItemDescription>(&dd, 1), std::span<const ItemValue>(&v, 1), buf);
    EXPECT_EQ(buf[0], 0xF8 | c.afterOk) << int(c.raw);
  }
}

TEST(InitialValue, PrefixRuleBindsKeptOptionsToValueEntries) {
  const ItemDescription dd = Item(ItemKind::kDropDown, 0, 8, {0x10, 0x20, 0x30}, "Fast|fast|Faster");
  uint8_t buf[32] = {0x20};
  EXPECT_EQ(InitialItemValue(dd, buf), 1);  // value entry 1 matches: option 1 is Faster
  EXPECT_EQ(ShownValue(dd, 1), "Faster");
  buf[0] = 0x30;
  EXPECT_EQ(InitialItemValue(dd, buf), kNoSelection);  // entry 2 matches, but only two options were kept
}

TEST(ApplyItems, NumbersAreCutAndLaterItemsWin) {
  std::vector<ItemDescription> items = {
      Item(ItemKind::kNumber, 4, 4, {}),
      Item(ItemKind::kDropDown, 8, 8, {0x11, 0x22}, "a|b"),
      Item(ItemKind::kNumber, 8, 8, {}),
  };
  uint8_t buf[32] = {0x0A, 0x11};
  std::vector<ItemValue> values = {0, 0, 0};
  ASSERT_EQ(SetItemFromText(items, values, "I=1FF"), SetItemResult::kAmbiguousItem);
  items[0].name = "N";
  items[1].name = "D";
  values = {0x1FF, 1, 0x33};
  ApplyItems(std::span<const ItemDescription>(items), values, buf);
  EXPECT_EQ(buf[0], 0xFA);  // 1FF typed into a 4-bit field writes F
  EXPECT_EQ(buf[1], 0x33);  // the number item after the drop-down on the same bits decides
  std::swap(items[1], items[2]);
  std::swap(values[1], values[2]);
  ApplyItems(std::span<const ItemDescription>(items), values, buf);
  EXPECT_EQ(buf[1], 0x22);
}

TEST(ApplyItems, InitialValuesWriteTheBufferBackUnchanged) {
  const std::vector<ItemDescription> items = {
      Item(ItemKind::kDropDown, 0, 3, {3, 1, 0}, "A|B|C"), Item(ItemKind::kCheckBox, 3, 1, {1, 0}),
      Item(ItemKind::kNumber, 4, 12, {}), Item(ItemKind::kPlain, 16, 8, {})};
  uint8_t buf[32];
  for (int i = 0; i < 32; ++i) buf[i] = static_cast<uint8_t>(i * 37);
  buf[0] = (buf[0] & 0xF8) | 1;  // a raw value that has an option
  uint8_t before[32];
  std::memcpy(before, buf, 32);
  std::vector<ItemValue> values;
  for (const auto& d : items) values.push_back(InitialItemValue(d, buf));
  ApplyItems(std::span<const ItemDescription>(items), values, buf);
  EXPECT_EQ(0, std::memcmp(before, buf, 32));
}

TEST(SetItemFromText, LabelsNumbersAndFailures) {
  const std::vector<ItemDescription> items = {
      Item(ItemKind::kDropDown, 0, 2, {0, 1, 2}, "内部RC|External|Ext2", "CLK"),
      Item(ItemKind::kCheckBox, 2, 1, {1, 0}, "未编程|已编程", "CKOPT"),
      Item(ItemKind::kCheckBox, 3, 1, {0, 1}, "", "WDT"),
      Item(ItemKind::kNumber, 8, 8, {}, "", "Cal"),
      Item(ItemKind::kPlain, 16, 8, {}, "", "Raw"),
  };
  const struct {
    const char* text;
    SetItemResult result;
    size_t index;
    ItemValue value;
  } cases[] = {
      {"CLK=External", SetItemResult::kOk, 0, 1},
      {"clk = external", SetItemResult::kOk, 0, 1},
      {"CLK=内部RC", SetItemResult::kOk, 0, 0},
      {"CLK=Ext", SetItemResult::kUnknownValue, 0, 0},
      {"CKOPT=已编程", SetItemResult::kOk, 1, 1},
      {"WDT=yes", SetItemResult::kOk, 2, 1},
      {"WDT=1", SetItemResult::kUnknownValue, 0, 0},
      {"Cal=1FF", SetItemResult::kOk, 3, 0x1FF},
      {"Cal=0x7f", SetItemResult::kOk, 3, 0x7F},
      {"Cal=FFFFFFFF", SetItemResult::kOk, 3, 0xFFFFFFFF},
      {"Cal=100000000", SetItemResult::kUnknownValue, 0, 0},
      {"Cal=12G", SetItemResult::kUnknownValue, 0, 0},
      {"Cal=", SetItemResult::kUnknownValue, 0, 0},
      {"Raw=1", SetItemResult::kNotEditable, 0, 0},
      {"Nope=1", SetItemResult::kUnknownItem, 0, 0},
      {"CLK", SetItemResult::kBadSyntax, 0, 0},
      {"=1", SetItemResult::kBadSyntax, 0, 0},
  };
  for (const auto& c : cases) {
    std::vector<ItemValue> values(items.size(), 99);
    EXPECT_EQ(SetItemFromText(items, values, c.text), c.result) << c.text;
    for (size_t i = 0; i < values.size(); ++i) {
      const ItemValue want = (c.result == SetItemResult::kOk && i == c.index) ? c.value : 99;
      EXPECT_EQ(values[i], want) << c.text << " item " << i;
    }
  }
  EXPECT_EQ(ShownValue(items[3], 0x1FF), "1FF");
  EXPECT_EQ(ShownValue(items[3], 0), "0");
}

}  // namespace
}  // namespace orven::chipcfg
