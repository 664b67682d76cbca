// orvhost's source-level views on the debuggee SDCC compiles here with --debug: list, info line, info symbol,
// the stop line and disassemble, compared with the program's source and its linker map.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <span>

#include "tests/support/sdcc_program.h"
#include "tools/orvhost/disassembly_view.h"
#include "tools/orvhost/source_view.h"

namespace orven::orvhost {
namespace {

namespace fs = std::filesystem;

std::string Hex(uint32_t v) {
  char text[8];
  std::snprintf(text, sizeof text, "%04x", v);
  return text;
}

class SourceViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(ORVEN_DEBUGGEE).empty()) GTEST_SKIP() << "SDCC is not installed";
    ASSERT_TRUE(program_.Load(ORVEN_DEBUGGEE));
    // The program as a user has it: HEX file, .cdb and the C source in one folder.
    folder_ = fs::path(::testing::TempDir()) / ("orvhost-source-" + std::to_string(getpid()));
    fs::create_directories(folder_);
    for (const char* ext : {".cdb", ".map", ".rst"}) {
      fs::copy_file(std::string(ORVEN_DEBUGGEE) + ext, folder_ / (std::string("debuggee") + ext),
                    fs::copy_options::overwrite_existing);
    }
    fs::copy_file(ORVEN_DEBUGGEE_SOURCE, folder_ / "debuggee.c", fs::copy_options::overwrite_existing);
    std::ifstream in(ORVEN_DEBUGGEE_SOURCE);
    for (std::string line; std::getline(in, line);) source_.push_back(line);
    std::string error;
    ASSERT_TRUE(program_source_.Read((folder_ / "debuggee.cdb").string(), report_, error)) << error;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  uint32_t LineOf(std::string_view text) const {
    for (size_t i = 0; i < source_.size(); ++i) {
      if (source_[i].find(text) != std::string::npos) return static_cast<uint32_t>(i + 1);
    }
    ADD_FAILURE() << "not in the source: " << text;
    return 0;
  }
  std::string Listed(uint32_t first, uint32_t last) const {
    std::string text;
    for (uint32_t line = first; line <= last; ++line) text += std::to_string(line) + "\t" + source_[line - 1] + "\n";
    return text;
  }
  uint32_t At(const char* symbol) const { return program_.At(symbol); }

  testing::SdccProgram program_;
  fs::path folder_;
  std::vector<std::string> source_;
  std::string report_;
  ProgramSource program_source_;
  SourceView view_{program_source_};
};

TEST_F(SourceViewTest, LoadSaysWhatItFoundAndWhichRecordsItSkipped) {
  EXPECT_EQ(report_.rfind("read debug information: 1 module, 6 functions, ", 0), 0u) << report_;
  EXPECT_EQ(report_.find('\n'), report_.size() - 1) << "no records skipped\n" << report_;

  // Twelve bad records: ten named with their line, the rest counted; the good ones still read.
  const fs::path cdb = folder_ / "debuggee.cdb";
  size_t lines = 0;
  {
    std::ifstream in(cdb);
    for (std::string line; std::getline(in, line);) ++lines;
  }
  {
    std::ofstream out(cdb, std::ios::app);
    for (int i = 0; i < 12; ++i) out << "S:G$broken\n";
  }
  std::string report, error;
  ProgramSource again;
  ASSERT_TRUE(again.Read(cdb.string(), report, error)) << error;
  EXPECT_EQ(report.rfind("read debug information: 1 module, 6 functions, ", 0), 0u) << report;
  const std::string first = cdb.string() + ":" + std::to_string(lines + 1) + ": ";
  EXPECT_NE(report.find("\n" + first), std::string::npos) << report;
  EXPECT_NE(report.find("\n... and 2 more records skipped\n"), std::string::npos) << report;
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 12) << report;

  EXPECT_FALSE(again.Read((folder_ / "missing.cdb").string(), report, error));
  EXPECT_NE(error.find("missing.cdb"), std::string::npos) << error;
  EXPECT_NE(again.Info(), nullptr) << "a failed read keeps what was loaded";
}

TEST_F(SourceViewTest, ListGoesOnFromWhereItStoppedAndCentresOnWhatItIsGiven) {
  const uint32_t level2 = LineOf("int level2(int x)");
  const uint32_t mainLine = LineOf("void main(void)");
  const size_t lines = source_.size();
  const struct {
    const char* command;
    std::string out;
    std::string error;
  } steps[] = {
      {"", Listed(mainLine - 5, mainLine + 4), ""},
      {"", Listed(mainLine + 5, mainLine + 14), ""},
      {"level2", Listed(level2 - 5, level2 + 4), ""},
      {"debuggee.c:3", Listed(1, 10), ""},
      {"", Listed(11, 20), ""},
      {"200", "", "Line number 195 out of range; \"debuggee.c\" has " + std::to_string(lines) + " lines."},
      {"nosuch", "", "Function \"nosuch\" not defined."},
      {"other.c:3", "", "No source file named other.c."},
      {"*0x0000", "", "No line number information available for address 0x0000"},
  };
  for (const auto& s : steps) {
    std::string out, error;
    EXPECT_EQ(view_.List(s.command, out, error), s.error.empty()) << s.command;
    EXPECT_EQ(out, s.out) << s.command;
    EXPECT_EQ(error, s.error) << s.command;
  }
  // The end of the file: the last lines, then nothing more.
  std::string out, error;
  ASSERT_TRUE(view_.List(std::to_string(lines), out, error)) << error;
  EXPECT_EQ(out, Listed(static_cast<uint32_t>(lines) - 5, static_cast<uint32_t>(lines)));
  EXPECT_FALSE(view_.List("", out, error));
}

TEST_F(SourceViewTest, InfoLineAndInfoSymbolNameAddressesAsGdbDoes) {
  const std::string level2 = Hex(At("_level2"));
  const std::string decl = std::to_string(LineOf("int level2(int x)"));
  const std::string call = std::to_string(LineOf("int r = level3(x + 1);"));
  const struct {
    std::string command;
    std::string out;  // the beginning of what it prints
    std::string error;
  } cases[] = {
      {"line level2", "Line " + decl + " of \"debuggee.c\" starts at address 0x" + level2 + " <level2> and ends at 0x",
       ""},
      {"line *0x" + Hex(At("_level2") + 1),
       "Line " + call + " of \"debuggee.c\" starts at address 0x" + level2 + " <level2> and ends at 0x", ""},
      {"line " + std::to_string(LineOf("int level2(int x)") - 1),
       "Line " + std::to_string(LineOf("int level2(int x)") - 1) + " of \"debuggee.c\" is at address 0x" + level2 +
           " <level2> but contains no code.\n",
       ""},
      {"line 9999", "", "Line number 9999 is out of range for \"debuggee.c\"."},
      {"line *0x0000", "No line number information available for address 0x0000\n", ""},
      {"symbol 0x" + Hex(At("_level2") + 4), "level2 + 4 in section CODE\n", ""},
      {"symbol 0x" + Hex(At("_main")), "main in section CODE\n", ""},
      {"symbol X:0x" + Hex(At("_buf") + 3), "buf + 3 in section XDATA\n", ""},
      {"symbol X:0x" + Hex(At("_packet") + 6), "packet + 6 in section XDATA\n", ""},
      {"symbol 0xFFF0", "No symbol matches 0xFFF0.\n", ""},
      {"symbol Q:0x10", "", "Invalid address Q:0x10."},
  };
  for (const auto& c : cases) {
    std::string out, error;
    const size_t space = c.command.find(' ');
    const std::string what = c.command.substr(space + 1);
    const bool ok = c.command.rfind("line", 0) == 0 ? view_.InfoLine(what, out, error) : view_.InfoSymbol(what, out, error);
    EXPECT_EQ(ok, c.error.empty()) << c.command;
    EXPECT_EQ(out.substr(0, c.out.size()), c.out) << c.command;
    EXPECT_EQ(error, c.error) << c.command;
  }
}

TEST_F(SourceViewTest, AStopNamesFunctionFileAndLineWithItsSourceAndAPlainListCentresOnIt) {
  const uint32_t call = LineOf("int r = level3(x + 1);");
  const auto text = view_.StopText(static_cast<uint16_t>(At("_level2")));
  ASSERT_TRUE(text);
  char head[64];
  std::snprintf(head, sizeof head, "stopped C:%04X in level2 () at debuggee.c:%u\n", At("_level2"), call);
  EXPECT_EQ(*text, head + Listed(call, call));
  std::string out, error;
  ASSERT_TRUE(view_.List("", out, error)) << error;
  EXPECT_EQ(out, Listed(call - 5, call + 4));
  EXPECT_FALSE(view_.StopText(0x0000)) << "the reset vector has no line";

  // Without the source beside the .cdb: the location alone.
  fs::remove(folder_ / "debuggee.c");
  ProgramSource bare;
  std::string report;
  ASSERT_TRUE(bare.Read((folder_ / "debuggee.cdb").string(), report, error));
  EXPECT_EQ(SourceView(bare).StopText(static_cast<uint16_t>(At("_level2"))).value_or(""), head);
}

TEST_F(SourceViewTest, DisassembleShowsTheFunctionWithItsSourceOrCountedInstructions) {
  DisassemblyView view(program_source_);
  std::string readFailure;
  const DisassemblyView::CodeReader read = [&](uint16_t address, std::span<uint8_t> out, std::string& error) {
    if (!readFailure.empty()) {
      error = readFailure;
      return false;
    }
    for (size_t i = 0; i < out.size(); ++i) {
      out[i] = address + i < program_.code.size() ? program_.code[address + i] : 0xFF;
    }
    return true;
  };
  const uint32_t level2 = At("_level2");
  const std::string call = std::to_string(LineOf("int r = level3(x + 1);"));
  std::string out, error;
  bool usage = false;
  ASSERT_TRUE(view.Disassemble({}, static_cast<uint16_t>(level2 + 1), read, out, error, usage)) << error;
  EXPECT_EQ(out.rfind("Dump of assembler code for function level2:\ndebuggee.c:\n" + call + "\t" +
                          source_[LineOf("int r = level3(x + 1);") - 1] + "\n   0x" + Hex(level2) + " <+0>:\t",
                      0),
            0u)
      << out;
  EXPECT_NE(out.find("=> 0x" + Hex(level2 + 1) + " <+1>:\tlcall level3\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\n" + std::to_string(LineOf("return r * 2;")) + "\t"), std::string::npos) << out;
  EXPECT_EQ(out.substr(out.size() - 23), "End of assembler dump.\n");

  // fib's branches name their targets inside it.
  ASSERT_TRUE(view.Disassemble({"fib"}, 0, read, out, error, usage)) << error;
  EXPECT_EQ(out.rfind("Dump of assembler code for function fib:\n", 0), 0u) << out;
  EXPECT_NE(out.find(" <fib+"), std::string::npos) << out;
  EXPECT_EQ(out.find(" <fib+0>"), std::string::npos) << out;

  ASSERT_TRUE(view.Disassemble({"0x" + Hex(level2 + 1), "1"}, 0, read, out, error, usage)) << error;
  EXPECT_EQ(out, "Dump of assembler code from 0x" + Hex(level2 + 1) + " to 0x" + Hex(level2 + 4) + ":\n   0x" +
                     Hex(level2 + 1) + " <level2+1>:\tlcall level3\nEnd of assembler dump.\n");

  const struct {
    std::vector<std::string> args;
    bool usage;
    std::string error;
  } refused[] = {
      {{}, false, "No function contains program counter for selected frame."},
      {{"0x0000"}, false, "No function contains specified address."},
      {{"nosuch", "1"}, false, "Function \"nosuch\" not defined."},
      {{"0x10", "0"}, true, ""},
      {{"0x10", "1", "2"}, true, ""},
  };
  for (const auto& r : refused) {
    error.clear();
    EXPECT_FALSE(view.Disassemble(r.args, 0, read, out, error, usage));
    EXPECT_EQ(usage, r.usage);
    EXPECT_EQ(error, r.error);
  }
  readFailure = "read failed at C:00E1";
  EXPECT_FALSE(view.Disassemble({"0x" + Hex(level2), "2"}, 0, read, out, error, usage));
  EXPECT_EQ(error, readFailure);
}

}  // namespace
}  // namespace orven::orvhost
