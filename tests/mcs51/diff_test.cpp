// Each C program in programs/ is compiled with SDCC and run in s51 and in the pod's core from the same start
// (RAM cleared): the PC after every instruction of the traced part, then the final state, must agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "tests/mcs51/ucsim_harness.h"

namespace orven::mcs51test {
namespace {

std::string ProgramsDir() { return ORVEN_MCS51_PROGRAMS_DIR; }

std::string TraceContext(const std::vector<uint16_t>& trace, size_t at) {
  std::ostringstream s;
  for (size_t i = at > 6 ? at - 6 : 0; i <= at && i < trace.size(); ++i) {
    char b[8];
    std::snprintf(b, sizeof b, "%04X ", trace[i]);
    s << b;
  }
  return s.str();
}

// The first differing byte of two dumps, as "name[0xAA]: s51 XX core YY".
std::string FirstDifference(const char* name, unsigned base, const std::vector<uint8_t>& want,
                            const std::vector<uint8_t>& got) {
  for (size_t i = 0; i < std::min(want.size(), got.size()); ++i) {
    if (want[i] != got[i]) {
      char b[96];
      std::snprintf(b, sizeof b, "%s[0x%02zX]: s51 %02X core %02X", name, base + i, want[i], got[i]);
      return b;
    }
  }
  return want.size() == got.size() ? "" : std::string(name) + ": lengths differ";
}

class DifferentialTest : public testing::TestWithParam<Program> {};

TEST_P(DifferentialTest, MatchesUcsim) {
  const Tools tools = FindTools();
  if (!tools.Available()) {
    GTEST_SKIP() << "sdcc and s51 (Debian packages sdcc, sdcc-ucsim) are needed for the differential tests; "
                    "not found, so skipped";
  }
  Program program = GetParam();
  const std::string workDir = testing::TempDir() + "mcs51_diff_" + program.name;
  std::string error;
  ASSERT_TRUE(Build(tools, workDir, ProgramsDir(), program, error)) << error;
  ASSERT_GE(program.doneAddress, 0) << program.name << " has no done()";

  const uint64_t toDone = CoreInstructionsTo(program.hexPath, program.doneAddress, program.maxInstructions);
  const uint64_t trace = std::min(program.trace, toDone);
  const uint64_t runSteps = toDone > trace ? program.maxInstructions - trace : 0;

  SimRun want, got;
  ASSERT_TRUE(RunUcsim(tools, workDir, program.hexPath, trace, program.doneAddress, runSteps, want, error)) << error;
  ASSERT_TRUE(RunCore(program.hexPath, trace, program.doneAddress, runSteps, got, error)) << error;

  ASSERT_EQ(want.trace.size(), trace) << "s51 output has fewer steps than asked";
  const auto mismatch = std::mismatch(want.trace.begin(), want.trace.end(), got.trace.begin());
  if (mismatch.first != want.trace.end()) {
    const size_t at = static_cast<size_t>(mismatch.first - want.trace.begin());
    FAIL() << "PC differs after instruction " << at + 1 << "\n  s51:  " << TraceContext(want.trace, at)
           << "\n  core: " << TraceContext(got.trace, at);
  }
  EXPECT_EQ(got.final.pc, program.doneAddress) << "the program did not reach done()";
  EXPECT_EQ(want.final.pc, got.final.pc);
  EXPECT_EQ(want.final.instructions, got.final.instructions);
  EXPECT_EQ(want.final.cycles, got.final.cycles);
  EXPECT_EQ(FirstDifference("IRAM", 0, want.final.iram, got.final.iram), "");
  EXPECT_EQ(FirstDifference("SFR", 0x80, want.final.sfr, got.final.sfr), "");
  EXPECT_EQ(FirstDifference("XRAM", 0, want.final.xram, got.final.xram), "");
  EXPECT_EQ(Hex(want.final.serial), Hex(got.final.serial));
}

std::string Name(const testing::TestParamInfo<Program>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Programs, DifferentialTest, testing::ValuesIn(ListPrograms(ProgramsDir())), Name);

}  // namespace
}  // namespace orven::mcs51test
