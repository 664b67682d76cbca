// What a stop costs the debugger's value side: `info locals` of a function with 20 locals in one memory space
// (its target requests are the figure that matters: each is an emulator exchange), and print of an expression
// with members, an element and arithmetic.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "debugger/evaluator.h"
#include "debugger/frame_variables.h"
#include "debugger/value_formatter.h"
#include "debuginfo/cdb_parser.h"
#include "tests/debugger/memory_image_target.h"

namespace {

using namespace orven;
using namespace orven::debugger;

// g() with 20 locals of mixed sizes one after another in `space`, as the compiler's overlay lays them out, and
// a global struct with an array member.
debuginfo::DebugInfo Program(const char* space) {
  std::string records = "M:g\nF:G$g$0_0$0({2}DF,SV:S),C,0,0,0,0,0\n";
  records += "T:Fg$rec[({0}S:S$len$0_0$0({1}SC:U),Z,0,0)({1}S:S$data$0_0$0({8}DA4d,SI:S),Z,0,0)]\n";
  records += "S:G$recs$0_0$0({36}DA4d,STrec:S),F,0,0\nL:G$recs$0_0$0:200\n";
  uint32_t at = 0x30;
  for (int i = 0; i < 20; ++i) {
    const char* type = i % 3 == 0 ? "{1}SC:U" : i % 3 == 1 ? "{2}SI:S" : "{4}SL:S";
    std::string key = "Lg.g$v" + std::to_string(i) + "$1_0$1";
    char line[96];
    std::snprintf(line, sizeof line, "S:%s(%s),%s,0,0\nL:%s:%X\n", key.c_str(), type, space, key.c_str(), at);
    records += line;
    at += i % 3 == 0 ? 1 : i % 3 == 1 ? 2 : 4;
  }
  records += "L:G$g$0$0:100\nL:C$g.c$3$1_0$1:100\nL:XG$g$0$0:120\n";
  return debuginfo::CdbParser("g.cdb").Parse(records);
}

void BM_InfoLocalsOfTwentyLocals(benchmark::State& state) {
  const char* space = state.range(0) == 0 ? "E" : "F";
  debuginfo::DebugInfo info = Program(space);
  testing::MemoryImageTarget target;
  FrameContext frame;
  frame.pc = 0x100;
  size_t lines = 0;
  for (auto _ : state) {
    MemoryReader memory(target);
    Evaluator evaluator(info, memory, frame);
    lines += FrameVariables(evaluator).Locals().size();
  }
  benchmark::DoNotOptimize(lines);
  state.counters["requests"] =
      benchmark::Counter(static_cast<double>(target.reads) / static_cast<double>(state.iterations()));
  state.SetLabel(state.range(0) == 0 ? "data" : "xdata");
}
BENCHMARK(BM_InfoLocalsOfTwentyLocals)->Arg(0)->Arg(1);

void BM_PrintExpression(benchmark::State& state) {
  debuginfo::DebugInfo info = Program("E");
  testing::MemoryImageTarget target;
  FrameContext frame;
  frame.pc = 0x100;
  size_t length = 0;
  for (auto _ : state) {
    MemoryReader memory(target);
    Evaluator evaluator(info, memory, frame);
    Outcome<Value> v = evaluator.Evaluate("recs[v0 + 1].data[2] * 3 + recs[3].len");
    length += ValueFormatter(evaluator.Access()).Format(*v).value->size();
  }
  benchmark::DoNotOptimize(length);
  state.counters["requests"] =
      benchmark::Counter(static_cast<double>(target.reads) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_PrintExpression);

}  // namespace
