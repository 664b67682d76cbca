// Typing rules and commit of the property list's hexadecimal number field.
#include "chipcfg/number_entry.h"

#include <gtest/gtest.h>

namespace orven::chipcfg {
namespace {

TEST(NumberEntry, KeyRules) {
  using A = NumberKeyAction;
  struct Case {
    char32_t ch;
    size_t length;
    bool selection;
    A want;
  };
  const Case cases[] = {
      {U'7', 0, false, A::kPass},  {U'a', 3, false, A::kPass},   {U'F', 7, false, A::kPass},
      {U'G', 0, false, A::kRefuse}, {U'x', 2, false, A::kRefuse}, {U' ', 2, false, A::kRefuse},
      {U'时', 2, false, A::kRefuse},
      // Full: a further character is dropped without a beep unless text is selected to be replaced.
      {U'1', 8, false, A::kIgnore}, {U'G', 8, false, A::kIgnore}, {U'1', 8, true, A::kPass},
      {U'G', 8, true, A::kRefuse},
      // Editing and closing keys work whatever the length.
      {0x08, 8, false, A::kPass},   {0x08, 0, false, A::kPass},   {0x0D, 8, false, A::kEnter},
      {0x0D, 0, false, A::kEnter},  {0x1B, 8, false, A::kEscape}, {0x1B, 3, true, A::kEscape},
      {0x01, 8, false, A::kPass},   {0x16, 3, false, A::kPass},   {0x7F, 8, false, A::kPass},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NumberKeyRule(c.ch, c.length, c.selection), c.want)
        << std::hex << static_cast<uint32_t>(c.ch) << std::dec << " len " << c.length << " sel " << c.selection;
  }
}

TEST(NumberEntry, FieldTextIsAtMostEightHexDigits) {
  EXPECT_TRUE(IsNumberFieldText(U""));
  EXPECT_TRUE(IsNumberFieldText(U"0123abCD"));
  EXPECT_FALSE(IsNumberFieldText(U"123456789"));
  EXPECT_FALSE(IsNumberFieldText(U"12 3"));
  EXPECT_FALSE(IsNumberFieldText(U"0x1F"));
  EXPECT_FALSE(IsNumberFieldText(U"\uFF11"));  // a full-width digit
}

TEST(NumberEntry, FormatIsUpperCaseHexWithoutLeadingZeros) {
  EXPECT_EQ(FormatNumber(0), "0");
  EXPECT_EQ(FormatNumber(0x0F), "F");
  EXPECT_EQ(FormatNumber(0xABCDEF12u), "ABCDEF12");
  EXPECT_EQ(FormatNumber(0xFFFFFFFFu), "FFFFFFFF");
}

TEST(NumberEntry, CommitTakesOnlyReadableChangedText) {
  struct Case {
    std::string text;
    uint32_t before;
    bool taken;
    uint32_t after;
  };
  const Case cases[] = {
      {"1FF", 5, true, 0x1FF},          {"1ff", 5, true, 0x1FF},         {"00000010", 5, true, 0x10},
      {"FFFFFFFF", 0, true, 0xFFFFFFFF}, {"5", 5, false, 5},              {"", 5, false, 5},
      {"12G", 5, false, 5},             {"123456789", 5, false, 5},      {" 12", 5, false, 5},
  };
  for (const Case& c : cases) {
    uint32_t value = c.before;
    EXPECT_EQ(CommitNumberText(c.text, value), c.taken) << c.text;
    EXPECT_EQ(value, c.after) << c.text;
  }
}

}  // namespace
}  // namespace orven::chipcfg
