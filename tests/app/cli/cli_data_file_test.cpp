// The command line's data files: format by name, the counts of a load, and the write check before a read.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "app/cli/cli_data_file.h"

namespace orven::app {
namespace {

std::string Temp(const std::string& name) { return std::string(::testing::TempDir()) + "datafile-" + name; }

TEST(CliDataFile, FormatFollowsTheOptionThenTheName) {
  EXPECT_EQ(DataFormatOf("a.bin", std::nullopt), DataFormat::kBin);
  EXPECT_EQ(DataFormatOf("dir/A.BIN", std::nullopt), DataFormat::kBin);
  EXPECT_EQ(DataFormatOf("a.hex", std::nullopt), DataFormat::kHex);
  EXPECT_EQ(DataFormatOf("a.bin.hex", std::nullopt), DataFormat::kHex);
  EXPECT_EQ(DataFormatOf("my.bin/image", std::nullopt), DataFormat::kHex) << "a dot in a directory name";
  EXPECT_EQ(DataFormatOf("bin", std::nullopt), DataFormat::kHex);
  EXPECT_EQ(DataFormatOf("a.hex", DataFormat::kBin), DataFormat::kBin);
  EXPECT_EQ(DataFormatOf("a.bin", DataFormat::kHex), DataFormat::kHex);
}

TEST(CliDataFile, LoadsCountWhatTheChipCannotHold) {
  struct Case {
    const char* name;
    DataFormat format;
    std::string contents;
    bool ok;
    uint64_t dataBytes;
    uint64_t beyond;
  };
  const Case cases[] = {
      {"fits.hex", DataFormat::kHex, ":0400000001020304F2\n", true, 4, 0},
      // A record that starts 2 bytes before the 16-byte limit and runs 2 bytes past it.
      {"straddles.hex", DataFormat::kHex, ":04000E0001020304E4\n", true, 4, 2},
      {"above.hex", DataFormat::kHex, ":0200100055AAEF\n", true, 2, 2},
      {"text.hex", DataFormat::kHex, "root:x:0:0:root:/root:/bin/bash\n", true, 0, 0},
      {"bad.hex", DataFormat::kHex, ":0400000001020304F3\n", false, 0, 0},
      {"exact.bin", DataFormat::kBin, std::string(16, 'x'), true, 16, 0},
      {"long.bin", DataFormat::kBin, std::string(21, 'x'), true, 21, 5},
      {"empty.bin", DataFormat::kBin, "", true, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::ofstream(Temp(c.name), std::ios::binary) << c.contents;
    std::vector<uint8_t> image(32, 0x00);
    const DataFileLoad load = LoadDataFile(Temp(c.name), c.format, image.data(), 16, {});
    EXPECT_EQ(load.ok, c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(load.dataBytes, c.dataBytes);
    EXPECT_EQ(load.bytesBeyond, c.beyond);
    EXPECT_EQ(image[16], 0x00) << "nothing is written past the limit";
  }
  std::vector<uint8_t> image(16);
  EXPECT_FALSE(LoadDataFile("/nonexistent/x.bin", DataFormat::kBin, image.data(), 16, {}).ok);
}

TEST(CliDataFile, BinaryImagesRoundTripAndTheWriteCheckNamesTheProblem) {
  const std::vector<uint8_t> bytes = {0x00, 0xFF, 0x10, 0x0A, 0x0D};
  ASSERT_TRUE(WriteDataFile(Temp("round.bin"), DataFormat::kBin, bytes.data(), 5));
  std::vector<uint8_t> back(8, 0);
  const DataFileLoad load = LoadDataFile(Temp("round.bin"), DataFormat::kBin, back.data(), 8, {});
  EXPECT_EQ(load.dataBytes, 5u);
  EXPECT_EQ(std::vector<uint8_t>(back.begin(), back.begin() + 5), bytes);
  EXPECT_EQ(back[5], 0xFF) << "the rest of the chip reads as erased";

  std::string why;
  EXPECT_TRUE(CanWriteFile(Temp("new-file.hex"), &why));
  EXPECT_TRUE(CanWriteFile(Temp("round.bin"), &why));
  EXPECT_FALSE(CanWriteFile("/nonexistent/dir/out.hex", &why));
  EXPECT_EQ(why, "no such directory");
  EXPECT_FALSE(CanWriteFile(::testing::TempDir(), &why));
  EXPECT_EQ(why, "is a directory");
}

}  // namespace
}  // namespace orven::app
