// What the editor asks after every stop — the call stack, then the Locals scope's variables — as orvdap answers
// it at C level: the host's time with the target's exchanges costing nothing (the 8051 core runs in process),
// and the count of exchanges a real emulator would see. The program is stopped four calls deep, in level3.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "debuginfo/cdb_file.h"
#include "sim/mcs51/core.h"
#include "tests/support/core_target.h"
#include "tests/support/sdcc_program.h"
#include "tools/orvdap/source_level.h"

namespace {

using namespace orven;

void StackAndLocalsAfterAStop(benchmark::State& state) {
  const std::string base = ORVEN_DEBUGGEE;
  testing::SdccProgram program;
  debuginfo::CdbLoad load = debuginfo::LoadCdbFile(base + ".cdb");
  if (base.empty() || !program.Load(base) || !load.info) {
    state.SkipWithError("the SDCC program is not built");
    return;
  }
  mcs51::Core core;
  testing::CoreTarget target(core);
  target.Load(program.code);
  orvdap::SourceLevel source(std::move(*load.info), target, {});
  std::string message;
  source.Engine().Break("debuggee.c:61", true, message);
  source.Run(orvdap::LineStep::kContinue);
  const bool globals = state.range(0) != 0;

  uint64_t exchanges = 0;
  size_t frames = 0;
  for (auto _ : state) {
    // A new stop: nothing read before it holds (the code cache does, as code does not change).
    source.Forget();
    target.ResetRequests();
    std::vector<debugger::Frame> stack;
    std::string error;
    if (!source.Frames(stack, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    benchmark::DoNotOptimize(source.Locals(stack[0], false));
    if (globals) benchmark::DoNotOptimize(source.Globals(false));
    exchanges = target.Requests();
    frames = stack.size();
  }
  state.counters["exchanges"] = static_cast<double>(exchanges);
  state.counters["frames"] = static_cast<double>(frames);
}
BENCHMARK(StackAndLocalsAfterAStop)->Arg(0)->Arg(1)->ArgName("globals")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
