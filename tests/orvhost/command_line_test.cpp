// orvhost's reading of HEX files, command lines and driver texts: the bounded parsers between the user, the
// files and the driver.
#include <gtest/gtest.h>

#include "tools/orvhost/command_line.h"
#include "tools/orvhost/gbk_text.h"
#include "tools/orvhost/hex_image.h"

namespace orven::orvhost {
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

TEST(CommandLine, WordsWithQuotesEscapesAndComments) {
  const struct {
    const char* line;
    std::vector<std::string> words;
  } cases[] = {
      {"  bp  0x01DE\tcount=3 ", {"bp", "0x01DE", "count=3"}},
      {"bp 0x10 cmd=\"write D:0x30 01\" kind=0", {"bp", "0x10", "cmd=write D:0x30 01", "kind=0"}},
      {"options '-E0 -F16'", {"options", "-E0 -F16"}},
      {"write X:0 a\\ b", {"write", "X:0", "a b"}},
      {"go # to the end", {"go"}},
      {"# only a comment", {}},
      {"dump C:0#1 2", {"dump", "C:0#1", "2"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> words;
    std::string error;
    EXPECT_TRUE(SplitWords(c.line, words, error)) << c.line;
    EXPECT_EQ(words, c.words) << c.line;
  }
  std::vector<std::string> words;
  std::string error;
  EXPECT_FALSE(SplitWords("bp 0x10 cmd=\"open", words, error));
  EXPECT_EQ(error, "unterminated quote");
}

TEST(CommandLine, NumbersAndBytes) {
  EXPECT_EQ(ParseNumber("0x01DE", 0xFFFF), 0x01DEu);
  EXPECT_EQ(ParseNumber("0Xff", 0xFF), 0xFFu);
  EXPECT_EQ(ParseNumber("256", 0xFFFF), 256u);
  EXPECT_EQ(ParseNumber("256", 0xFF), std::nullopt);
  EXPECT_EQ(ParseNumber("0x", 0xFF), std::nullopt);
  EXPECT_EQ(ParseNumber("", 0xFF), std::nullopt);
  EXPECT_EQ(ParseNumber("-1", 0xFF), std::nullopt);
  EXPECT_EQ(ParseNumber("12ab", 0xFFFF), std::nullopt);
  EXPECT_EQ(ParseNumber("0x1FFFFFFFFFFFFFFFF", UINT64_MAX), std::nullopt);
  EXPECT_EQ(ParseNumber("18446744073709551615", UINT64_MAX), UINT64_MAX);
  EXPECT_EQ(ParseHexByte("A5"), 0xA5);
  EXPECT_EQ(ParseHexByte("7"), 0x07);
  EXPECT_EQ(ParseHexByte("0x7f"), 0x7F);
  EXPECT_EQ(ParseHexByte("100"), std::nullopt);
  EXPECT_EQ(ParseHexByte("G1"), std::nullopt);
}

TEST(CommandLine, MemoryReferencesBecomeTaggedAddresses) {
  const struct {
    const char* text;
    std::optional<uint32_t> tagged;
  } cases[] = {
      {"C:0x0100", 0xFF000100u}, {"D:0x30", 0xF0000030u},  {"I:0x80", 0xF3000080u},
      {"X:0x0000", 0x01000000u}, {"x:4660", 0x01001234u},  {"C:0x10000", 0xFF010000u},
      {"D:0x100", std::nullopt}, {"I:256", std::nullopt},  {"C:0x1000000", std::nullopt},
      {"Z:0x10", std::nullopt},  {"C0x10", std::nullopt},  {"C:", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto ref = ParseMemoryRef(c.text);
    EXPECT_EQ(ref ? std::optional<uint32_t>(ref->Tagged()) : std::nullopt, c.tagged) << c.text;
  }
  EXPECT_EQ(ParseCodeAddress("0x01DE"), 0x01DEu);
  EXPECT_EQ(ParseCodeAddress("C:0x01DE"), 0x01DEu);
  EXPECT_EQ(ParseCodeAddress("X:0x01DE"), std::nullopt);
  EXPECT_EQ(ParseCodeAddress("0x10000"), std::nullopt);
}

TEST(GbkText, DriverTextsBecomeUtf8AndBadBytesAQuestionMark) {
  EXPECT_EQ(GbkToUtf8("Erasing Done.\n"), "Erasing Done.\n");
  EXPECT_EQ(GbkToUtf8("\xB7\xC2\xD5\xE6\xC6\xF7 OK"), "仿真器 OK");
  EXPECT_EQ(GbkToUtf8("a\xFF" "b"), "a?b");
  EXPECT_EQ(GbkToUtf8("\xB7\xC2\xD5"), "仿?");  // a character cut at the end
  EXPECT_EQ(Utf8ToGbk("仿真器 OK"), "\xB7\xC2\xD5\xE6\xC6\xF7 OK");
  EXPECT_EQ(Utf8ToGbk("a\xFF" "b"), "a?b");
  EXPECT_EQ(GbkToUtf8(Utf8ToGbk("断点 命令")), "断点 命令");
}

}  // namespace
}  // namespace orven::orvhost
