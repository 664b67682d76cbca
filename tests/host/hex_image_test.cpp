// The program image a host loads: Intel HEX text read into segments, bounded, every malformed record refused
// with its line.
#include <gtest/gtest.h>

#include "host/hex_image.h"

namespace orven::host {
namespace {

TEST(HexImage, SegmentsComeInAddressOrderJoinedWhereTheyTouch) {
  // Out of order; 0x0002 touches 0x0000; 0x0003 overwrites 0x66; an extended linear address puts 0x77 at
  // 0x10000; the record after the end record is ignored.
  const std::string text =
      ":02001000334477\n"
      ":020000001122CB\n"
      ":02000200556641\r\n"
      "\n"
      ":01000300AA52\n"
      ":020000040001F9\n"
      ":010000007788\n"
      ":00000001FF\n"
      ":020000001122CB\n";
  HexImage image;
  std::string error;
  ASSERT_TRUE(image.Parse(text, error)) << error;
  ASSERT_EQ(image.Segments().size(), 3u);
  EXPECT_EQ(image.Segments()[0].start, 0x0000u);
  EXPECT_EQ(image.Segments()[0].bytes, (std::vector<uint8_t>{0x11, 0x22, 0x55, 0xAA}));
  EXPECT_EQ(image.Segments()[1].start, 0x0010u);
  EXPECT_EQ(image.Segments()[1].bytes, (std::vector<uint8_t>{0x33, 0x44}));
  EXPECT_EQ(image.Segments()[2].start, 0x10000u);
  EXPECT_EQ(image.Segments()[2].bytes, (std::vector<uint8_t>{0x77}));
  EXPECT_EQ(image.TotalBytes(), 7u);
}

TEST(HexImage, ARecordPastFFFFWrapsInsideItsSegment) {
  HexImage image;
  std::string error;
  ASSERT_TRUE(image.Parse(":02FFFF000102FD\n", error)) << error;
  ASSERT_EQ(image.Segments().size(), 2u);
  EXPECT_EQ(image.Segments()[0].start, 0x0000u);
  EXPECT_EQ(image.Segments()[0].bytes, std::vector<uint8_t>{0x02});
  EXPECT_EQ(image.Segments()[1].start, 0xFFFFu);
}

TEST(HexImage, MalformedRecordsAreRefusedWithTheirLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {":020000001122CC\n", "line 1: checksum error"},
      {"\n:04000000112200\n", "line 2: record length does not match its byte count"},
      {":0200000011G2CB\n", "line 1: not an Intel HEX record"},
      {":020000001122C\n", "line 1: not an Intel HEX record"},
      {"020000001122CB\n", "line 1: not an Intel HEX record"},
      {":00000006FA\n", "line 1: unknown record type"},
      {":0100000400FB\n", "line 1: extended address record without two bytes"},
      {":020000040100F9\n:010000007788\n", "line 2: address beyond 0xFFFFFF"},
  };
  for (const auto& c : cases) {
    HexImage image;
    std::string error;
    EXPECT_FALSE(image.Parse(c.text, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_TRUE(image.Empty());
  }
}

}  // namespace
}  // namespace orven::host
