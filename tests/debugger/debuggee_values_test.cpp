// The SDCC program of the debug-information tests run on the pod's 8051 core to a line, then printed as a
// user would: every kind of variable compared with what the program computes, locals and arguments of a
// three-deep call and of the reentrant recursion, and the requests it takes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "debugger/evaluator.h"
#include "debugger/frame_variables.h"
#include "debugger/value_formatter.h"
#include "debuginfo/cdb_file.h"
#include "sim/mcs51/core.h"
#include "tests/support/sdcc_program.h"

namespace orven::debugger {
namespace {

// The port served straight from the core's memory once it has stopped; P: is the page P2 selects, as the
// program's movx @Ri instructions see it.
class StoppedCore : public TargetPort {
 public:
  explicit StoppedCore(mcs51::Core& core) : core_(core) {}
  size_t reads = 0;

  PortResult Read(Space space, uint32_t address, std::span<uint8_t> out) override {
    ++reads;
    auto [s, at] = Map(space, address);
    return core_.ReadMemory(s, at, out.data(), out.size()) ? PortResult::Ok() : PortResult::Failed("out of range");
  }
  PortResult Write(Space space, uint32_t address, std::span<const uint8_t> bytes) override {
    auto [s, at] = Map(space, address);
    return core_.WriteMemory(s, at, bytes.data(), bytes.size()) ? PortResult::Ok() : PortResult::Failed("out of range");
  }
  PortResult ReadRegisters(RegisterSet& out) override {
    mcs51::Registers r = core_.GetRegisters();
    out = {r.pc, r.acc, r.b, r.psw, r.sp, r.dptr, {}};
    std::memcpy(out.r, r.r.data(), 8);
    return PortResult::Ok();
  }
  PortResult WriteRegister(RegisterId, uint32_t) override { return PortResult::Failed("not here"); }
  uint32_t HardwareBreakpointLimit() const override { return 4; }
  PortResult SetBreakpoint(uint16_t) override { return PortResult::Ok(); }
  PortResult ClearBreakpoint(uint16_t) override { return PortResult::Ok(); }
  RunOutcome StepInstruction() override { return {}; }
  RunOutcome Run(int32_t) override { return {}; }
  bool Interrupt() override { return false; }

 private:
  std::pair<mcs51::Space, uint32_t> Map(Space space, uint32_t address) const {
    switch (space) {
      case Space::kCode: return {mcs51::Space::kCode, address};
      case Space::kXdata: return {mcs51::Space::kXdata, address};
      case Space::kPdata: return {mcs51::Space::kXdata, core_.SfrValue(0xA0) << 8 | (address & 0xFF)};
      case Space::kIdata: return {mcs51::Space::kIdata, address};
      case Space::kData: return {mcs51::Space::kDirect, address};
    }
    return {mcs51::Space::kDirect, address};
  }
  mcs51::Core& core_;
};

class DebuggeeValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(ORVEN_DEBUGGEE).empty()) GTEST_SKIP() << "SDCC is not installed";
    ASSERT_TRUE(program_.Load(ORVEN_DEBUGGEE));
    load_ = debuginfo::LoadCdbFile(std::string(ORVEN_DEBUGGEE) + ".cdb");
    ASSERT_TRUE(load_.info);
    std::ifstream source(ORVEN_DEBUGGEE_SOURCE);
    for (std::string line; std::getline(source, line);) source_.push_back(line);
    core_ = std::make_unique<mcs51::Core>();
    core_->LoadCode(0, program_.code.data(), program_.code.size());
    core_->ClearMemory();
    core_->Reset();
    port_ = std::make_unique<StoppedCore>(*core_);
  }

  // Runs to the first time the line holding `text` is reached; returns its address.
  uint32_t RunTo(std::string_view text) {
    uint32_t line = 0;
    for (size_t i = 0; i < source_.size() && !line; ++i) {
      if (source_[i].find(text) != std::string::npos) line = static_cast<uint32_t>(i + 1);
    }
    auto addresses = load_.info->AddressesOfLine("debuggee.c", line);
    EXPECT_FALSE(addresses.empty()) << text;
    if (addresses.empty()) return 0;
    core_->ClearBreakpoints();
    core_->SetBreakpoint(static_cast<uint16_t>(addresses[0]), true);
    mcs51::RunLimits limits;
    limits.maxInstructions = 5'000'000;
    EXPECT_EQ(core_->Run(limits).reason, mcs51::StopReason::kBreakpoint) << text;
    return core_->Pc();
  }

  FrameContext Frame() const {
    FrameContext frame;
    frame.pc = core_->Pc();
    frame.framePointerAddress = static_cast<uint8_t>(program_.At("_bp"));
    return frame;
  }

  std::string Print(const std::string& expression, bool hex = false) {
    MemoryReader memory(*port_);
    Evaluator evaluator(*load_.info, memory, Frame());
    Outcome<Value> v = evaluator.Evaluate(expression);
    if (!v) return "error: " + v.error;
    FormatOptions options;
    options.hex = hex;
    Outcome<std::string> text = ValueFormatter(evaluator.Access(), options).Format(*v);
    return text ? *text : "error: " + text.error;
  }

  std::string Hex(const char* format, uint32_t value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
  }

  testing::SdccProgram program_;
  debuginfo::CdbLoad load_;
  std::vector<std::string> source_;
  std::unique_ptr<mcs51::Core> core_;
  std::unique_ptr<StoppedCore> port_;
};

TEST_F(DebuggeeValuesTest, EveryGlobalAsTheProgramLeftIt) {
  RunTo("PORT1 = ticks;");
  uint32_t buf = program_.At("_buf");
  const std::pair<std::string, std::string> cases[] = {
      {"buf", "{0, 1, 1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233, 121, 98}"},
      {"packet", "{len = 3, kind = 2, stamp = 100000}"},
      {"word", "{w = 4660, b = {52, 18}}"},
      {"flags", "{ready = 1, mode = 5, count = 9}"},
      {"total", "56"},
      {"ratio", "1.5"},
      {"dcount", "4 '\\004'"},
      {"ibuf", "{0, 4, 0, 0, 0, 0, 0, 0}"},
      {"pbyte", "7 '\\a'"},
      {"table", "{1, 2, 4, 8}"},
      {"done", "1"},
      {"LED", "0"},
      {"delta", "-3 '\\375'"},
      {"sval", "-300"},
      {"hidden", "1 '\\001'"},
      {"gptr", Hex("(unsigned char *) 0x%06x", buf)},
      {"xptr", Hex("(unsigned char __xdata *) 0x%04x", buf + 3)},
      {"dptr_", Hex("(unsigned char __data *) 0x%02x", program_.At("_dcount"))},
      {"iptr", Hex("(unsigned char __idata *) 0x%02x", program_.At("_ibuf"))},
      {"pptr", Hex("(unsigned char __pdata *) 0x%02x", program_.At("_pbyte"))},
      {"cptr", Hex("(unsigned char __code *) 0x%04x", program_.At("_table"))},
      {"*gptr + gptr[15]", "98"},
      {"*xptr", "2 '\\002'"},
      {"*dptr_ == dcount && *iptr == ibuf[0] && *pptr == 7 && cptr[3] == 8", "1"},
      {"packet.stamp / packet.kind", "50000"},
      {"word.b[1]", "18 '\\022'"},
      {"(unsigned char)(packet.stamp >> 8)", "134 '\\206'"},
      {"ratio * 4", "6"},
      {"sval", "-300"},
      {"$sp == SP", "1"},
  };
  for (const auto& [expression, text] : cases) EXPECT_EQ(Print(expression), text) << expression;
  EXPECT_EQ(Print("sval", true), "0xfed4");
}

TEST_F(DebuggeeValuesTest, LocalsOfTheRecursionAndTheCallChain) {
  // fib(2) of the loop's first recursion: n in R7 on entry, then parts on the stack from _bp once both calls
  // returned (by then R7 holds the second call's result).
  RunTo("parts[0] = fib(n - 1);");
  {
    MemoryReader memory(*port_);
    Evaluator evaluator(*load_.info, memory, Frame());
    EXPECT_EQ(FrameVariables(evaluator).Args(), std::vector<std::string>{"n = 2 '\\002'"});
    EXPECT_EQ(FrameVariables(evaluator).ArgumentList(), "n=2 '\\002'");
  }
  RunTo("return parts[0] + parts[1];");
  {
    MemoryReader memory(*port_);
    Evaluator evaluator(*load_.info, memory, Frame());
    EXPECT_EQ(FrameVariables(evaluator).Locals(), std::vector<std::string>{"parts = {1, 0}"});
    EXPECT_EQ(Print("parts[0] + parts[1]"), "1");
    EXPECT_EQ(Print("fib(1)"), "error: Calling functions of the program is not supported.");
  }
  // level2(8) has r = level3(9) = 28 in R6:R7.
  uint32_t pc = RunTo("return r * 2;");
  MemoryReader memory(*port_);
  Evaluator evaluator(*load_.info, memory, Frame());
  EXPECT_EQ(FrameVariables(evaluator).Locals(), std::vector<std::string>{"r = 28"});
  EXPECT_EQ(FrameVariables::ArgumentSymbols(*load_.info, pc).size(), 1u);
  EXPECT_EQ(Print("r * 2 == 56"), "1");
}

TEST_F(DebuggeeValuesTest, StackLocalsOnTheEntryAndExitInstructions) {
  // fib(0), the first call: on its entry, after push _bp, in its body and on its ret the stack array is at one
  // place, although _bp holds the caller's frame pointer on the entry and exit instructions.
  const debuginfo::Function* fib = load_.info->FunctionByName("fib");
  ASSERT_TRUE(fib && fib->begin && fib->end);
  core_->SetBreakpoint(static_cast<uint16_t>(*fib->begin), true);
  mcs51::RunLimits limits;
  limits.maxInstructions = 100'000;
  ASSERT_EQ(core_->Run(limits).reason, mcs51::StopReason::kBreakpoint);
  std::string place = Print("&parts");
  EXPECT_EQ(place.rfind("(unsigned char (__idata *)[2]) 0x", 0), 0u) << place;
  std::vector<uint32_t> seen;
  for (int i = 0; i < 200 && core_->Pc() != *fib->end; ++i) {
    core_->Step();
    seen.push_back(core_->Pc());
    EXPECT_EQ(Print("&parts"), place) << std::hex << core_->Pc();
  }
  EXPECT_EQ(core_->Pc(), *fib->end);
  EXPECT_EQ(seen.front(), *fib->begin + 2) << "stepped through the prologue";
}

TEST_F(DebuggeeValuesTest, BlockLocalsComeFirst) {
  RunTo("r = level2(x);");
  MemoryReader memory(*port_);
  Evaluator evaluator(*load_.info, memory, Frame());
  auto locals = FrameVariables(evaluator).Locals();
  ASSERT_EQ(locals.size(), 3u);
  // The compiler keeps r2 in a register it reuses at once; the block's x and the function's r it left out.
  EXPECT_EQ(locals[0].rfind("r2 = ", 0), 0u) << locals[0];
  EXPECT_EQ(locals[1], "x = <optimized out>");
  EXPECT_EQ(locals[2], "r = <optimized out>");
  EXPECT_EQ(FrameVariables(evaluator).Args().at(0).rfind("x = ", 0), 0u);
}

TEST_F(DebuggeeValuesTest, AStructAndAllLocalsInFewRequests) {
  RunTo("PORT1 = ticks;");
  port_->reads = 0;
  EXPECT_EQ(Print("packet"), "{len = 3, kind = 2, stamp = 100000}");
  EXPECT_EQ(port_->reads, 1u);
  port_->reads = 0;
  MemoryReader memory(*port_);
  Evaluator evaluator(*load_.info, memory, Frame());
  ASSERT_EQ(FrameVariables(evaluator).Locals().size(), 1u);
  EXPECT_EQ(port_->reads, 1u);
}

}  // namespace
}  // namespace orven::debugger
