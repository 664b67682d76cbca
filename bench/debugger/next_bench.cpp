// Emulator requests for one `next` over a line that calls a function, for a callee of a few instructions and
// for one of about 10,000: the request count must not grow with the callee. The program runs in the 8051 core
// behind a counting target with the emulator's four hardware breakpoints.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "debugger/engine.h"
#include "debuginfo/cdb_file.h"
#include "sim/mcs51/core.h"
#include "tests/support/core_target.h"
#include "tests/support/sdcc_program.h"

namespace {

using namespace orven;

void NextOverCall(benchmark::State& state) {
  const std::string base = ORVEN_LONGCALL;
  testing::SdccProgram program;
  debuginfo::CdbLoad load = debuginfo::LoadCdbFile(base + ".cdb");
  if (base.empty() || !program.Load(base) || !load.info) {
    state.SkipWithError("the SDCC program is not built");
    return;
  }
  // Line 11 calls spin(1), line 12 spin(720).
  const std::string line = state.range(0) == 0 ? "longcall.c:11" : "longcall.c:12";
  uint64_t requests = 0;
  uint64_t instructions = 0;
  for (auto _ : state) {
    state.PauseTiming();
    mcs51::Core core;
    testing::CoreTarget target(core);
    target.Load(program.code);
    debugger::Engine engine(target, &*load.info);
    std::string message;
    engine.Break(line, true, message);
    engine.Continue();
    target.ResetRequests();
    const uint64_t before = core.Instructions();
    state.ResumeTiming();
    benchmark::DoNotOptimize(engine.Next());
    requests = target.Requests();
    instructions = core.Instructions() - before;
  }
  state.counters["requests"] = static_cast<double>(requests);
  state.counters["instructions"] = static_cast<double>(instructions);
}
BENCHMARK(NextOverCall)->Arg(0)->Arg(1)->ArgName("long")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
