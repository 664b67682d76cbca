#include "tormik/hex_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tormik/image_buffer.h"

namespace orven::app {
namespace {

struct Stored {
  uint32_t address;
  std::vector<uint8_t> bytes;
};

struct LoadCase {
  const char* name;
  std::string text;
  uint32_t limit;
  bool ok;
  std::string log;              // every line the loader logged, joined
  std::vector<Stored> stored;   // everything else must still be 0xFF
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

std::string Repeat(char c, size_t n) { return std::string(n, c); }

std::vector<LoadCase> LoadCases() {
  const std::string bad3 = "警告：第3行数据格式错误\n";
  return {
      {"Empty", "", 0x10000, true, "", {}},
      {"CommentsOnly", "; made by hand\n\nno records here\n", 0x10000, true, "", {}},
      {"FourBytesAtZero", ":0400000001020304F2\n:00000001FF\n", 0x10000, true, "", {{0, {1, 2, 3, 4}}}},
      {"LowerCaseAndCrLf", ":04001000a1b2c3d402\r\n:00000001ff\r\n", 0x10000, true, "",
       {{0x10, {0xA1, 0xB2, 0xC3, 0xD4}}}},
      {"LinearAddressBeyondEveryChip", ":02000004000AF0\n:0400100001020304E2\n", ImageBuffer::kImageSize, true, "",
       {}},
      {"SegmentAddress", ":020000021000EC\n:0400000001020304F2\n", ImageBuffer::kImageSize, true, "",
       {{0x10000, {1, 2, 3, 4}}}},
      {"NotWrappedAt64K", ":04FFFE0001020304F5\n", 0x20000, true, "", {{0xFFFE, {1, 2, 3, 4}}}},
      {"DroppedAtLimit", ":04000E0001020304E4\n", 0x10, true, "", {{0x0E, {1, 2}}}},
      {"SegmentWithAddressFails", ":020010021000DC\n", 0x10000, false, "文件格式错误\r\n", {}},
      {"LinearWithAddressFails", ":020010040001E9\n", 0x10000, false, "文件格式错误\r\n", {}},
      {"LinearWithoutDataFails", ":00000004FC\n", 0x10000, false, "文件格式错误\r\n", {}},
      {"ChecksumOnThirdLine", ":0100000011EE\n:0100010022DC\n:0100020033CB\n", 0x10000, false, bad3,
       {{0, {0x11, 0x22}}}},
      {"CommentLinesCounted", "header\n\n:0100020033CB\n", 0x10000, false, bad3, {}},
      {"EndRecordStopsReading", ":0100000011EE\n:00000001FF\n:0100010022DD\ngarbage:\n:zz\n", 0x10000, true, "",
       {{0, {0x11}}}},
      {"NoEndRecord", ":0100000011EE\n", 0x10000, true, "", {{0, {0x11}}}},
      {"StartAddressRecordsIgnored", ":0400000300001234B3\n:0400000500001234B1\n:0100000011EE\n", 0x10000, true, "",
       {{0, {0x11}}}},
      // A record line shorter than its byte count, or a non-digit where a digit belongs: the line is malformed.
      {"ShortRecord", "\n\n:0400000001F2\n", 0x10000, false, bad3, {}},
      {"ShortRecordNoChecksum", "\n\n:040000000102030\n", 0x10000, false, bad3, {}},
      {"ShortHeader", "\n\n:04\n", 0x10000, false, bad3, {}},
      {"ColonOnly", "\n\n:\n", 0x10000, false, bad3, {}},
      {"NonDigitInData", "\n\n:04000000010203G4F2\n", 0x10000, false, bad3, {}},
      {"NonDigitInCount", "\n\n: 400000001020304F2\n", 0x10000, false, bad3, {}},
      {"SignInChecksum", "\n\n:0100000011-1\n", 0x10000, false, bad3, {}},
      {"NulInRecord", std::string("\n\n:01000000\0" "1EE\n", 16), 0x10000, false, bad3, {}},
      {"LastLineWithoutNewline", ":0100000011EE", 0x10000, true, "", {{0, {0x11}}}},
      // Lines are read 525 characters at a time, the newline counting as one.
      {"LongLineCountedTwice", Repeat('x', 600) + "\n:0100020033CB\n", 0x10000, false, bad3, {}},
      {"Line524FitsOneRead", Repeat('x', 524) + "\n:0100020033CB\n", 0x10000, false,
       "警告：第2行数据格式错误\n", {}},
      {"Line524CrLfFitsOneRead", Repeat('x', 524) + "\r\n:0100020033CB\n", 0x10000, false,
       "警告：第2行数据格式错误\n", {}},
      {"Line525LeavesItsNewline", Repeat('x', 525) + "\n:0100020033CB\n", 0x10000, false, bad3, {}},
      {"RecordAfterLongComment", Repeat('x', 525) + ":0100000011EE\n", 0x10000, true, "", {{0, {0x11}}}},
  };
}

class HexLoad : public testing::TestWithParam<LoadCase> {};

TEST_P(HexLoad, StoresAndLogs) {
  const LoadCase& c = GetParam();
  ImageBuffer buffer;
  std::string log;
  bool ok = LoadHexText(c.text, buffer.Image(), c.limit, [&](const std::string& line) { log += line; });
  EXPECT_EQ(ok, c.ok);
  EXPECT_EQ(log, c.log);

  std::vector<uint8_t> expected(ImageBuffer::kImageSize, 0xFF);
  for (const Stored& s : c.stored)
    for (size_t i = 0; i < s.bytes.size(); ++i) expected[s.address + i] = s.bytes[i];
  for (uint32_t a = 0; a < ImageBuffer::kImageSize; ++a)
    ASSERT_EQ(buffer.Image()[a], expected[a]) << "address 0x" << std::hex << a;
  for (uint32_t i = 0; i < ImageBuffer::kConfigSize; ++i) EXPECT_EQ(buffer.Config()[i], 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, HexLoad, testing::ValuesIn(LoadCases()),
                         [](const testing::TestParamInfo<LoadCase>& param) { return param.param.name; });

class HexFiles : public testing::Test {
 protected:
  std::string Path(const char* name) const { return testing::TempDir() + "hex_file_test_" + name; }
};

TEST_F(HexFiles, LoadsFromDiskAndFailsQuietlyWithoutFile) {
  std::string path = Path("small.hex");
  std::ofstream(path, std::ios::binary) << "header\r\n:0400000001020304F2\r\n:00000001FF\r\n";
  ImageBuffer buffer;
  int logged = 0;
  auto log = [&](const std::string&) { ++logged; };
  EXPECT_TRUE(LoadHexFile(path, buffer.Image(), 0x1000, log));
  EXPECT_EQ(buffer.Image()[3], 4);
  EXPECT_EQ(buffer.Image()[4], 0xFF);
  EXPECT_FALSE(LoadHexFile(Path("missing.hex"), buffer.Image(), 0x1000, log));
  EXPECT_FALSE(LoadHexFile(testing::TempDir(), buffer.Image(), 0x1000, log));  // a directory
  EXPECT_EQ(logged, 0);
  std::remove(path.c_str());
}

TEST_F(HexFiles, FormatsRecordsPagesAndEnd) {
  std::vector<uint8_t> data(0x10011);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
  std::string text = FormatHexText(data.data(), static_cast<uint32_t>(data.size()));
  EXPECT_EQ(text.substr(0, 45), ":10000000000102030405060708090A0B0C0D0E0F78\r\n");
  EXPECT_NE(text.find("\r\n:020000040001F9\r\n:10000000"), std::string::npos);
  EXPECT_NE(text.find("\r\n:0100100010DF\r\n:00000001FF\r\n"), std::string::npos);
  EXPECT_EQ(text.find(":02000004", 0), text.find(":020000040001F9"));  // no page record for the first page
  EXPECT_EQ(FormatHexText(nullptr, 0), ":00000001FF\r\n");
}

TEST_F(HexFiles, WrittenFileLoadsBackToTheSameImage) {
  std::mt19937 random(7);
  for (uint32_t size : {1u, 0x2010u, 0x10000u, 0x18007u, ImageBuffer::kImageSize}) {
    std::vector<uint8_t> data(size);
    for (auto& b : data) b = static_cast<uint8_t>(random());
    std::string path = Path("round_trip.hex");
    ASSERT_TRUE(WriteHexFile(path, data.data(), size));
    ImageBuffer buffer;
    ASSERT_TRUE(LoadHexFile(path, buffer.Image(), ImageBuffer::kImageSize, nullptr)) << size;
    EXPECT_TRUE(std::equal(data.begin(), data.end(), buffer.Image())) << size;
    for (uint32_t a = size; a < ImageBuffer::kImageSize; ++a) ASSERT_EQ(buffer.Image()[a], 0xFF) << size;
    std::remove(path.c_str());
  }
  EXPECT_FALSE(WriteHexFile(testing::TempDir() + "no/such/dir/x.hex", nullptr, 0));
}

TEST(ImageBufferTest, ConfigurationSitsBehindTheImage) {
  ImageBuffer buffer;
  EXPECT_EQ(buffer.Config(), buffer.Image() + 0x40000);
  EXPECT_EQ(buffer.Image()[0], 0xFF);
  EXPECT_EQ(buffer.Image()[0x3FFFF], 0xFF);
  EXPECT_EQ(buffer.Config()[31], 0);
  buffer.FillImage(0x3F);
  EXPECT_EQ(buffer.Image()[0x3FFFF], 0x3F);
  EXPECT_EQ(buffer.Config()[0], 0);
}

}  // namespace
}  // namespace orven::app
