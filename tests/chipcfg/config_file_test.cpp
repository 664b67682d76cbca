// The file checks run before the editor opens, chip refresh, and the reader's handling of damaged records.
#include <gtest/gtest.h>

#include <cstring>

#include "chipcfg/chip_config_defaults.h"
#include "chipcfg/config_crc.h"
#include "chipcfg/config_file.h"
#include "link/bytes.h"
#include "tests/chipcfg/test_files.h"

namespace orven::chipcfg {
namespace {

using test::Bytes;
using test::Image;
using test::Record;
using test::TempDir;

TEST(ConfigCrc16, XmodemCheckValueAndSelfCheck) {
  std::vector<uint8_t> data = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  AppendConfigCrc(data);
  ASSERT_EQ(data.size(), 11u);
  EXPECT_EQ(data[9], 0x31);  // CRC-16/XMODEM check value 0x31C3, high byte first
  EXPECT_EQ(data[10], 0xC3);
  EXPECT_EQ(ConfigCrc16(data.data(), data.size()), 0);
}

TEST(ConfigCrc16, EverySingleBitFlipFailsTheCheck) {
  std::vector<uint8_t> file = Bytes(Image("MEGA16", {Record(0, 0, 2, {0, 1}, "A", "x|y")}));
  ASSERT_TRUE(CheckConfigBytes(file.data(), file.size(), "MEGA16"));
  for (size_t i = 0; i < file.size(); ++i) {
    for (int bit = 0; bit < 8; ++bit) {
      file[i] ^= static_cast<uint8_t>(1u << bit);
      ASSERT_NE(ConfigCrc16(file.data(), file.size()), 0) << "byte " << i << " bit " << bit;
      ASSERT_FALSE(CheckConfigBytes(file.data(), file.size(), "MEGA16"));
      file[i] ^= static_cast<uint8_t>(1u << bit);
    }
  }
}

// Rewrites the check value after changing header bytes, so only the field under test is wrong.
std::vector<uint8_t> WithHeaderU16(std::vector<uint8_t> file, size_t offset, uint16_t value) {
  file.resize(file.size() - 2);
  PutU16Le(file.data() + offset, value);
  AppendConfigCrc(file);
  return file;
}

TEST(CheckConfigFile, StepsInOrder) {
  TempDir dir;
  const std::vector<uint8_t> good = Bytes(Image("mega16"));
  std::vector<uint8_t> badMagic = good;
  badMagic.resize(badMagic.size() - 2);
  badMagic[2] = 'X';
  AppendConfigCrc(badMagic);
  std::vector<uint8_t> shortFile(good.begin(), good.begin() + 1577);
  AppendConfigCrc(shortFile);  // exactly 1,579 bytes: the smallest file that can pass
  std::vector<uint8_t> tooShort(good.begin(), good.begin() + 1576);
  AppendConfigCrc(tooShort);

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    std::string fileName;
    bool pass;
  } cases[] = {
      {"lower-case name inside, upper-case file name", good, "MEGA16.cfg", true},
      {"same case", good, "mega16.cfg", true},
      {"extension dropped from the last dot", good, "MEGA16.old.cfg", false},
      {"another chip's file name", good, "MEGA8515.cfg", false},
      {"version 3", WithHeaderU16(good, 4, 3), "MEGA16.cfg", false},
      {"version 5", WithHeaderU16(good, 4, 5), "MEGA16.cfg", false},
      {"magic wrong, CRC right", badMagic, "MEGA16.cfg", false},
      {"header and check value only", shortFile, "MEGA16.cfg", true},
      {"one byte short of a header", tooShort, "MEGA16.cfg", false},
  };
  for (const Case& c : cases) {
    const std::string path = dir.Write(c.fileName, c.bytes);
    EXPECT_EQ(CheckConfigFile(path), c.pass) << c.what;
  }
  EXPECT_FALSE(CheckConfigFile(dir.path() + "NOSUCH.cfg"));
  EXPECT_FALSE(CheckConfigFile(dir.path()));  // a directory does not read
}

TEST(CheckConfigFile, FileNameMustFit31CodePageBytes) {
  TempDir dir;
  const std::string name31(31, 'A');
  const std::string name32(32, 'A');
  EXPECT_TRUE(CheckConfigFile(dir.Write(name31 + ".cfg", Bytes(Image(name31)))));
  EXPECT_FALSE(CheckConfigFile(dir.Write(name32 + ".cfg", Bytes(Image(name32)))));
  // Chinese file names count their GBK bytes: 15 characters are 30 bytes, 16 are 32.
  std::string cn15;
  for (int i = 0; i < 15; ++i) cn15 += "芯";
  std::vector<uint8_t> gbk;
  ASSERT_TRUE(EncodeText(cn15, "GBK", gbk));
  ASSERT_EQ(gbk.size(), 30u);
  EXPECT_TRUE(CheckConfigFile(dir.Write(cn15 + ".cfg", Bytes(Image(std::string(gbk.begin(), gbk.end()))))));
}

TEST(ChipRefresh, TakesDefaultsOnCrcAloneAndLeavesBufferOnFailure) {
  TempDir dir;
  const std::vector<uint8_t> defaults = {0xE1, 0x99, 0xFF, 0xFF, 0x12};
  const std::vector<uint8_t> file = Bytes(Image("MEGA16", {}, defaults));
  // Copied under another chip's name: the editor refuses it, chip refresh still takes its bytes.
  const std::string copied = dir.Write("MEGA8515.cfg", file);
  EXPECT_FALSE(CheckConfigFile(copied));
  uint8_t config[32];
  std::memset(config, 0xAA, sizeof(config));
  ASSERT_TRUE(LoadConfigDefaultsFrom(copied, config));
  EXPECT_EQ(0, std::memcmp(config, defaults.data(), defaults.size()));
  for (size_t k = defaults.size(); k < 32; ++k) EXPECT_EQ(config[k], 0) << k;

  std::vector<uint8_t> damaged = file;
  damaged[900] ^= 0x40;
  std::vector<uint8_t> tiny = {0x00, 0x00};  // CRC 0 but no header: nothing may be read at offset 809
  for (const auto& bad : {damaged, tiny}) {
    std::memset(config, 0xAA, sizeof(config));
    EXPECT_FALSE(LoadConfigDefaultsFrom(dir.Write("BAD.cfg", bad), config));
    for (uint8_t b : config) ASSERT_EQ(b, 0xAA);
  }
  EXPECT_FALSE(LoadConfigDefaultsFrom(dir.path() + "MISSING.cfg", config));
  EXPECT_FALSE(LoadChipConfigDefaults("", config));
}

TEST(ChipRefresh, PathLooksBesideTheProgramThenInTheDataDirectory) {
  TempDir exe;
  TempDir data;
  EXPECT_EQ(ConfigFilePathIn({exe.path(), data.path()}, "MEGA16"), exe.path() + "MEGA16.cfg");
  data.Write("MEGA16.cfg", {1});
  EXPECT_EQ(ConfigFilePathIn({exe.path(), data.path()}, "MEGA16"), data.path() + "MEGA16.cfg");
  exe.Write("MEGA16.cfg", {1});
  EXPECT_EQ(ConfigFilePathIn({exe.path(), data.path()}, "MEGA16"), exe.path() + "MEGA16.cfg");
}

TEST(ReadConfigItems, NameColumnShare) {
  const struct {
    uint16_t stored;
    int used;
  } cases[] = {{14, 30}, {15, 15}, {40, 40}, {85, 85}, {86, 30}, {0, 30}, {0xFFFF, 30}};
  for (const auto& c : cases) {
    const std::vector<uint8_t> file = WithHeaderU16(Bytes(Image("X")), 12, c.stored);
    ConfigItems items;
    ASSERT_EQ(ReadConfigItems(file.data(), file.size(), items), ReadItemsResult::kOk);
    EXPECT_EQ(items.header.NamePercent(), c.used) << c.stored;
  }
}

TEST(ReadConfigItems, HeaderAndRecordsDecoded) {
  cfgc::ImageRecord plain = Record(7, 8, 8, {}, "原始字节");
  plain.description.clear();  // absent text reads as empty
  const std::vector<uint8_t> file = Bytes(Image("MEGA16",
                                                {Record(0, 0, 2, {3, 1, 0}, "时钟源", "内部|外部|晶振", 0),
                                                 Record(1, 12, 1, {1, 0}, "CKOPT", "", 1), plain},
                                                {0xE1, 0x99}));
  ConfigItems items;
  ASSERT_EQ(ReadConfigItems(file.data(), file.size(), items), ReadItemsResult::kOk);
  EXPECT_EQ(items.header.chipName, "MEGA16");
  EXPECT_EQ(items.header.listWidth, 400);
  EXPECT_EQ(items.header.listHeight, 300);
  EXPECT_EQ(items.header.categoryNames[0], "时钟");
  EXPECT_EQ(items.header.categoryNames[1], "Lock");
  EXPECT_EQ(items.header.defaults[1], 0x99);
  ASSERT_EQ(items.items.size(), 3u);
  EXPECT_EQ(items.items[0].item.kind, ItemKind::kDropDown);
  EXPECT_EQ(items.items[0].name, "时钟源");
  EXPECT_EQ(items.items[0].description, "说明");
  EXPECT_EQ(items.items[0].optionText, "内部|外部|晶振");
  EXPECT_EQ(items.items[0].item.valueCount, 3);
  EXPECT_EQ(items.items[0].item.values[1], 1);
  EXPECT_EQ(items.items[0].item.values[3], 0);
  EXPECT_EQ(items.items[1].item.kind, ItemKind::kCheckBox);
  EXPECT_EQ(items.CategoryName(items.items[1]), "Lock");
  EXPECT_EQ(items.items[2].item.kind, ItemKind::kPlain);
  EXPECT_EQ(items.items[2].description, "");

  // A check box without option text shows the default labels.
  EXPECT_EQ(ShownValue(items.items[1], 0), "No");
  EXPECT_EQ(ShownValue(items.items[1], 1), "Yes");

  // Kind code 7 is a plain row: its field value is carried and written back unchanged.
  uint8_t config[32] = {0xE1, 0x5A, 0x99};
  std::vector<ItemValue> values = InitialItemValues(items, config);
  EXPECT_EQ(values[2], 0x5A);
  uint8_t after[32];
  std::memcpy(after, config, 32);
  ApplyItems(std::span<const ItemDescription>(items.items), values, after);
  EXPECT_EQ(0, std::memcmp(after, config, 32));
  EXPECT_EQ(ShownValue(items.items[2], values[2]), "");
}

TEST(ReadConfigItems, CodePageIsConfigurable) {
  cfgc::ConfigImage image = Image("X", {Record(1, 0, 1, {0, 1}, "A")});
  image.records[0].name = {0xC3, 0xA9, 0x00};  // "é" in UTF-8, one Chinese character in GBK
  const std::vector<uint8_t> file = Bytes(image);
  ConfigItems items;
  ASSERT_EQ(ReadConfigItems(file.data(), file.size(), items, "UTF-8"), ReadItemsResult::kOk);
  EXPECT_EQ(items.items[0].name, "é");
  ASSERT_EQ(ReadConfigItems(file.data(), file.size(), items, "GBK"), ReadItemsResult::kOk);
  EXPECT_EQ(items.items[0].name, "茅");
  EXPECT_EQ(ReadConfigItems(file.data(), file.size(), items, "NO-SUCH-CODEPAGE"), ReadItemsResult::kUnknownCodePage);
}

TEST(ReadConfigItems, UndecodableBytesShowAsReplacement) {
  cfgc::ConfigImage image = Image("X", {Record(1, 0, 1, {0, 1}, "A")});
  image.records[0].name = {'A', 0x81, 0x00};  // a GBK lead byte with no trail byte
  const std::vector<uint8_t> file = Bytes(image);
  ConfigItems items;
  ASSERT_EQ(ReadConfigItems(file.data(), file.size(), items), ReadItemsResult::kOk);
  EXPECT_EQ(items.items[0].name, "A\xEF\xBF\xBD");
}

// Damaged records: the reader refuses the whole list, names the record, and never reads past the data.
TEST(ReadConfigItems, DamagedRecordsRefuseTheList) {
  const auto withRecord = [](cfgc::ImageRecord r) { return Image("X", {Record(1, 0, 1, {0, 1}, "good"), std::move(r)}); };
  cfgc::ImageRecord longName = Record(1, 0, 1, {0, 1}, std::string(256, 'n'));
  cfgc::ImageRecord okName = Record(1, 0, 1, {0, 1}, std::string(255, 'n'));
  cfgc::ImageRecord longOptions = Record(0, 0, 1, {0, 1}, "o", std::string(6000, 'o'));
  cfgc::ImageRecord okOptions = Record(0, 0, 1, {0, 1}, "o", std::string(5999, 'o'));
  cfgc::ImageRecord hugeStored = Record(0, 0, 1, {0, 1}, "o");
  hugeStored.description.assign(6005, 0);  // short text, but stored longer than any buffer
  cfgc::ImageRecord cnDesc = Record(0, 0, 1, {0, 1}, "o");
  std::string desc255;
  for (int i = 0; i < 255; ++i) desc255 += "字";
  cfgc::StoredText(desc255, "GBK", cnDesc.description);  // 510 bytes, 255 characters: fits
  cfgc::ImageRecord cnDescLong = cnDesc;
  cfgc::StoredText(desc255 + "字", "GBK", cnDescLong.description);

  const struct {
    const char* what;
    cfgc::ConfigImage image;
    ReadItemsResult result;
  } cases[] = {
      {"category 4", withRecord(Record(1, 0, 1, {0, 1}, "c", "", 4)), ReadItemsResult::kOk},
      {"category 5", withRecord(Record(1, 0, 1, {0, 1}, "c", "", 5)), ReadItemsResult::kBadCategory},
      {"name of 255", withRecord(okName), ReadItemsResult::kOk},
      {"name of 256", withRecord(longName), ReadItemsResult::kTextTooLong},
      {"options of 5999", withRecord(okOptions), ReadItemsResult::kOk},
      {"options of 6000", withRecord(longOptions), ReadItemsResult::kTextTooLong},
      {"stored text of 6005 bytes", withRecord(hugeStored), ReadItemsResult::kTextTooLong},
      {"255 Chinese characters", withRecord(cnDesc), ReadItemsResult::kOk},
      {"256 Chinese characters", withRecord(cnDescLong), ReadItemsResult::kTextTooLong},
      {"field in the last byte", withRecord(Record(2, 248, 8, {}, "f")), ReadItemsResult::kOk},
      {"field one bit past the buffer", withRecord(Record(2, 249, 8, {}, "f")), ReadItemsResult::kFieldOutOfRange},
      {"field filling its window", withRecord(Record(2, 7, 25, {}, "f")), ReadItemsResult::kOk},
      {"field wider than its window", withRecord(Record(2, 7, 26, {}, "f")), ReadItemsResult::kFieldOutOfRange},
      {"field position far out", withRecord(Record(2, 0xFFFF, 0, {}, "f")), ReadItemsResult::kFieldOutOfRange},
  };
  for (const auto& c : cases) {
    const std::vector<uint8_t> file = Bytes(c.image);
    ConfigItems items;
    int bad = -2;
    EXPECT_EQ(ReadConfigItems(file.data(), file.size(), items, "GBK", &bad), c.result) << c.what;
    EXPECT_EQ(items.items.size(), c.result == ReadItemsResult::kOk ? 2u : 0u) << c.what;
    EXPECT_EQ(bad, c.result == ReadItemsResult::kOk ? -1 : 1) << c.what;
  }
}

TEST(ReadConfigItems, RecordsCutShortAnywhereNeverRead) {
  std::vector<uint8_t> file = Bytes(Image("X", {Record(0, 0, 2, {3, 1, 0}, "abc", "A|B|C"), Record(1, 3, 1, {1, 0}, "d")}));
  const size_t body = file.size() - 2;
  // Every cut of the record data, with a check value behind it, as a file that passed the CRC would be.
  for (size_t cut = layout::kHeaderSize; cut < body; ++cut) {
    std::vector<uint8_t> shorter(file.begin(), file.begin() + static_cast<long>(cut));
    AppendConfigCrc(shorter);
    ConfigItems items;
    EXPECT_EQ(ReadConfigItems(shorter.data(), shorter.size(), items), ReadItemsResult::kRecordPastEnd) << cut;
    EXPECT_TRUE(items.items.empty());
  }
  // The item count claims more records than there are.
  file.resize(body);
  file[layout::kItemCount] = 3;
  AppendConfigCrc(file);
  ConfigItems items;
  int bad = -2;
  EXPECT_EQ(ReadConfigItems(file.data(), file.size(), items, "GBK", &bad), ReadItemsResult::kRecordPastEnd);
  EXPECT_EQ(bad, 2);
  std::vector<uint8_t> headerOnly(file.begin(), file.begin() + 100);
  EXPECT_EQ(ReadConfigItems(headerOnly.data(), headerOnly.size(), items), ReadItemsResult::kShortHeader);
}

TEST(LoadConfigItems, MissingFileGivesNoItems) {
  ConfigItems items;
  EXPECT_EQ(LoadConfigItems("/nonexistent/MEGA16.cfg", items), ReadItemsResult::kOpenFailed);
  EXPECT_TRUE(items.items.empty());
}

}  // namespace
}  // namespace orven::chipcfg
