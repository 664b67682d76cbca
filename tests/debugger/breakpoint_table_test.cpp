// The breakpoint table: what a crossing does to counts, conditions and temporaries, and `info breakpoints`.
#include <gtest/gtest.h>

#include "debugger/breakpoint_table.h"

namespace orven::debugger {
namespace {

TEST(BreakpointTableTest, Crossings) {
  const struct {
    const char* name;
    bool temporary;
    std::string condition;
    bool holds;            // the condition's value
    std::string evalError; // the evaluator's error
    uint32_t ignore;
    std::vector<bool> stops;  // per crossing
    uint32_t hits;  // as the table shows them after the last crossing it still had the breakpoint
    bool remains;
  } cases[] = {
      {"plain", false, "", false, "", 0, {true, true}, 2, true},
      {"ignore count", false, "", false, "", 2, {false, false, true}, 3, true},
      {"false condition: silent and not counted", false, "x > 3", false, "", 0, {false, false}, 0, true},
      {"true condition", false, "x > 3", true, "", 1, {false, true}, 2, true},
      {"condition error stops", false, "x >", false, "syntax error", 0, {true}, 1, true},
      {"temporary: deleted when it stops", true, "", false, "", 0, {true}, 0, false},
      {"temporary with ignore count", true, "", false, "", 1, {false, true}, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BreakpointTable table;
    const uint32_t n = table.Add(0x100, "in main at prog.c:5", c.temporary);
    table.SetCondition(n, c.condition);
    table.SetIgnoreCount(n, c.ignore);
    auto evaluate = [&](const std::string& expr, std::string& error) {
      EXPECT_EQ(expr, c.condition);
      error = c.evalError;
      return c.holds;
    };
    uint32_t hits = 0;
    for (bool expected : c.stops) {
      const BreakpointHit hit = table.Decide(0x100, evaluate);
      EXPECT_EQ(hit.stop, expected);
      if (hit.stop) {
        EXPECT_EQ(hit.number, n);
        EXPECT_EQ(hit.temporary, c.temporary);
        EXPECT_EQ(hit.error.empty(), c.evalError.empty());
      }
      if (const Breakpoint* b = table.Find(n)) hits = b->hitCount;
    }
    EXPECT_EQ(hits, c.hits);
    EXPECT_EQ(table.Find(n) != nullptr, c.remains);
  }
}

TEST(BreakpointTableTest, InfoBreakpoints) {
  BreakpointTable table;
  EXPECT_EQ(table.Format(), "No breakpoints or watchpoints.\n");
  const uint32_t a = table.Add(0x0104, "in main at debuggee.c:86", false);
  const uint32_t b = table.Add(0x00cc, "in level3 at debuggee.c:61", true);
  table.Add(0x0123, "", false);
  table.SetCondition(a, "i == 3");
  table.SetIgnoreCount(a, 2);
  table.Enable(b, false);
  table.Decide(0x0104, [](const std::string&, std::string&) { return true; });
  EXPECT_EQ(table.Format(),
            "Num     Type           Disp Enb Address    What\n"
            "1       breakpoint     keep y   0x0104     in main at debuggee.c:86\n"
            "\tstop only if i == 3\n"
            "\tbreakpoint already hit 1 time\n"
            "\tWill ignore next 1 crossings of breakpoint.\n"
            "2       breakpoint     del  n   0x00cc     in level3 at debuggee.c:61\n"
            "3       breakpoint     keep y   0x0123     \n");
  EXPECT_EQ(table.EnabledAddresses(), (std::set<uint16_t>{0x0104, 0x0123}));
  EXPECT_FALSE(table.Delete(7));
  EXPECT_TRUE(table.Delete(a));
  EXPECT_EQ(table.Add(0x0200, "", false), 4u);  // numbers are not reused
}

}  // namespace
}  // namespace orven::debugger
