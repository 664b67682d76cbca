#include <gtest/gtest.h>

#include <cstring>

#include "driver/driver_options.h"

namespace orven::driver {
namespace {

struct OptionCase {
  const char* text;
  int32_t e, f, v, c;  // expected, starting from V=7, C=9 and E=F=-1
};

TEST(ParseOptions, ReadsLettersNumbersAndKeepsTheRest) {
  const OptionCase cases[] = {
      {"", 1, 15, 7, 9},
      {"-E0 -F16 -V2 -C3", 0, 16, 2, 3},
      {"-e0", 1, 15, 7, 9},                       // lower case is not an option
      {"-V", 1, 15, 7, 9},                        // no number: keeps V
      {"-X5 -C4", 1, 15, 7, 4},                   // other letters skipped
      {"--C4", 1, 15, 7, 4},
      {"-E-F3", 1, 3, 7, 9},                      // "-F3" is not E's number; the scan goes on at F
      {"-V 12 -C\t-2", 1, 15, 12, -2},            // white space and sign as "%d" reads them
      {"-V99999999999 -C2147483648", 1, 15, 7, 9},  // out of range: kept
      {"-C-2147483648", 1, 15, 7, INT32_MIN},
      {"-V3x -C+5", 1, 15, 3, 5},
      {"-", 1, 15, 7, 9},
  };
  for (const OptionCase& c : cases) {
    DriverOptions options;
    options.e = -1;
    options.f = -1;
    options.v = 7;
    options.c = 9;
    ParseOptions(options, c.text);
    EXPECT_EQ(options.e.load(), c.e) << c.text;
    EXPECT_EQ(options.f.load(), c.f) << c.text;
    EXPECT_EQ(options.v.load(), c.v) << c.text;
    EXPECT_EQ(options.c.load(), c.c) << c.text;
  }
}

TEST(FormatOptions, WritesTheFourValuesWithinTheHostsBuffer) {
  DriverOptions options;
  ParseOptions(options, "");
  EXPECT_EQ(FormatOptions(options), "-E1 -F15 -V0 -C0");
  options.e = INT32_MIN;
  options.f = INT32_MIN;
  options.v = INT32_MIN;
  options.c = INT32_MIN;
  char buffer[kOptionTextSize + 8];
  std::memset(buffer, 'Z', sizeof buffer);
  FormatOptionsInto(options, buffer);
  EXPECT_EQ(std::strlen(buffer), 55u);
  EXPECT_EQ(buffer[kOptionTextSize], 'Z');
  DriverOptions back;
  ParseOptions(back, buffer);
  EXPECT_EQ(back.c.load(), INT32_MIN);
  ParseOptionsText(back, nullptr);  // a null text parses as empty
  EXPECT_EQ(back.e.load(), 1);
}

}  // namespace
}  // namespace orven::driver
