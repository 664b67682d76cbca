// Emulator exchanges for `info locals` of 20 locals in D: and for one `next` over a line that calls a function, through the stack orvhost uses: the
// engine over the host target port, the driver's entry points in process and the simulated QX410 in virtual
// time. The callee runs a few instructions or about 10,000; the exchanges must not grow with it.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "debugger/engine.h"
#include "debugger/host_target.h"
#include "debuginfo/cdb_file.h"
#include "debuginfo/cdb_parser.h"
#include "debugger/evaluator.h"
#include "debugger/frame_variables.h"
#include "debugger/memory_reader.h"
#include "driver/device.h"
#include "host/debug_host.h"
#include "host/target.h"
#include "link/clock.h"
#include "sim/emulator_backend.h"
#include "tests/support/in_process_driver.h"
#include "tests/support/recording_events.h"

namespace {

using namespace orven;

// The stack orvhost runs on: the debug host over the driver in process and the simulated emulator.
struct SimulatedStack {
  SimulatedStack() {
    driver::ResetStateForTesting();
    driver::UseDeviceForTesting(*backend, clock);
    debugHost.Bind();
    ok = target.SetOptions("-E0 -F15 -V0 -C0").ok && target.Connect().ok;
  }
  ~SimulatedStack() {
    target.Close();
    driver::ReleaseDeviceForTesting();
    driver::ResetStateForTesting();
  }
  size_t Exchanges() const { return backend->Device()->CommandLog().size(); }

  VirtualClock clock;
  std::unique_ptr<sim::SimulatedEmulatorBackend> backend = sim::MakeSimulatedEmulatorBackend(clock);
  testing::RecordingEvents events;
  host::DebugHost debugHost{testing::InProcessDriver(), events};
  host::Target target{debugHost};
  bool ok = false;
};

// g() with 20 locals of mixed sizes one after another in D:, as the compiler's overlay lays them out.
debuginfo::DebugInfo TwentyLocals() {
  std::string records = "M:g\nF:G$g$0_0$0({2}DF,SV:S),C,0,0,0,0,0\n";
  uint32_t at = 0x30;
  for (int i = 0; i < 20; ++i) {
    const char* type = i % 3 == 0 ? "{1}SC:U" : i % 3 == 1 ? "{2}SI:S" : "{4}SL:S";
    const std::string key = "Lg.g$v" + std::to_string(i) + "$1_0$1";
    records += "S:" + key + "(" + type + "),E,0,0\nL:" + key + ":" + std::to_string(at) + "\n";
    at += i % 3 == 0 ? 1 : i % 3 == 1 ? 2 : 4;
  }
  return debuginfo::CdbParser("g.cdb").Parse(records + "L:G$g$0$0:100\nL:C$g.c$3$1_0$1:100\nL:XG$g$0$0:120\n");
}

void InfoLocalsThroughTheHost(benchmark::State& state) {
  SimulatedStack stack;
  if (!stack.ok) {
    state.SkipWithError("the simulated emulator did not connect");
    return;
  }
  const debuginfo::DebugInfo info = TwentyLocals();
  debugger::HostTarget port(stack.target);
  debugger::FrameContext frame;
  frame.pc = 0x100;
  size_t exchanges = 0, lines = 0;
  for (auto _ : state) {
    const size_t before = stack.Exchanges();
    debugger::MemoryReader memory(port);
    debugger::Evaluator evaluator(info, memory, frame);
    lines += debugger::FrameVariables(evaluator).Locals().size();
    exchanges = stack.Exchanges() - before;
  }
  benchmark::DoNotOptimize(lines);
  state.counters["exchanges"] = static_cast<double>(exchanges);
}
BENCHMARK(InfoLocalsThroughTheHost)->Unit(benchmark::kMicrosecond);

void NextOverCallThroughTheHost(benchmark::State& state) {
  const std::string base = ORVEN_LONGCALL;
  debuginfo::CdbLoad load = debuginfo::LoadCdbFile(base + ".cdb");
  host::HexImage image;
  std::string error;
  if (base.empty() || !load.info || !image.LoadFile(base + ".ihx", error)) {
    state.SkipWithError("the SDCC program is not built");
    return;
  }
  // Line 11 calls spin(1), line 12 spin(720).
  const std::string line = state.range(0) == 0 ? "longcall.c:11" : "longcall.c:12";
  size_t exchanges = 0;
  for (auto _ : state) {
    state.PauseTiming();
    {
      SimulatedStack stack;
      if (!stack.ok || !stack.target.LoadProgram(image).ok || !stack.target.Reset().ok) {
        state.SkipWithError("the simulated emulator did not connect");
        break;
      }
      debugger::HostTarget port(stack.target);
      debugger::Engine engine(port, &*load.info);
      std::string message;
      engine.Break(line, true, message);
      engine.Continue();
      const size_t before = stack.Exchanges();
      state.ResumeTiming();
      benchmark::DoNotOptimize(engine.Next());
      state.PauseTiming();
      exchanges = stack.Exchanges() - before;
    }
    state.ResumeTiming();
  }
  state.counters["exchanges"] = static_cast<double>(exchanges);
}
BENCHMARK(NextOverCallThroughTheHost)->Arg(0)->Arg(1)->ArgName("long")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
