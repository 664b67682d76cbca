// orvhost's reading of command lines: words, numbers and memory references, bounded.
#include <gtest/gtest.h>

#include "tools/orvhost/command_line.h"

namespace orven::orvhost {
namespace {

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

}  // namespace
}  // namespace orven::orvhost
