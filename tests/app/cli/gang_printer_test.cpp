// What a gang run shows: plain lines with the serial number first when the output is not a terminal, one line
// per programmer redrawn in place when it is, and the result table.
#include "app/cli/gang_printer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace orven::app {
namespace {

std::string Contents(FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string out;
  char buf[512];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
  return out;
}

TEST(GangPrinter, PlainLinesCarryTheSerialNumberLiveLinesAreRedrawnInPlace) {
  FILE* log = std::tmpfile();
  FILE* bar = std::tmpfile();
  ASSERT_TRUE(log && bar);
  {
    GangPrinter plain(log, nullptr, {"01AB007F", "01AB0080"});
    plain.Begin();
    plain.OnLog(1, "擦除...\n");
    plain.OnProgress(1, 3, 32);
    plain.OnLog(0, "no newline");
    plain.OnFinished(0, GangResult{});
    plain.End();
  }
  EXPECT_EQ(Contents(log), "01AB0080  擦除...\n01AB007F  no newline\n");

  GangPrinter live(log, bar, {"01AB007F", "01AB0080", "01AB0081"});
  live.Begin();
  live.OnProgress(0, 16, 32);  // the first of three lines: three up, three down
  live.OnLog(2, "写入...\n");   // the last: one up, one down
  GangResult failed;
  live.OnFinished(2, failed);
  live.End();
  EXPECT_EQ(Contents(bar),
            "01AB007F \n01AB0080 \n01AB0081 \n"
            "\033[3A\r\033[K01AB007F  [##########..........]   16/32    \033[3B\r"
            "\033[1A\r\033[K01AB0081  [....................]    0/0    写入... \033[1B\r"
            "\033[1A\r\033[K01AB0081  [....................]    0/0    写入... failed\033[1B\r");
  std::fclose(log);
  std::fclose(bar);
}

TEST(GangPrinter, TableShowsTheNumberColumnOnlyWithStamps) {
  GangResult ok{"01AB007F", "sim:0", true, 8192, 1234, ""};
  GangResult bad{"01AB0080", "sim:1", false, 0, 5, "写入..."};
  const struct {
    std::vector<GangRow> rows;
    const char* want;
  } cases[] = {
      {{{ok, "AT89S52 [ZIF]", std::nullopt}, {bad, "AT89S52 [ZIF]", std::nullopt}},
       "serial    chip                 result     bytes  seconds log\n"
       "01AB007F  AT89S52 [ZIF]        ok          8192    1.234\n"
       "01AB0080  AT89S52 [ZIF]        failed         0    0.005 写入...\n"},
      {{{ok, "AT89S52 [ZIF]", 1000}, {bad, "AT89S52 [ZIF]", std::nullopt}},
       "serial    chip                 result     bytes  seconds number               log\n"
       "01AB007F  AT89S52 [ZIF]        ok          8192    1.234 1000\n"
       "01AB0080  AT89S52 [ZIF]        failed         0    0.005 -                    写入...\n"},
  };
  for (const auto& c : cases) {
    FILE* out = std::tmpfile();
    ASSERT_TRUE(out);
    PrintGangTable(c.rows, out);
    EXPECT_EQ(Contents(out), c.want);
    std::fclose(out);
  }
}

}  // namespace
}  // namespace orven::app
