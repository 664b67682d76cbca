// Emulator exchanges for one `next` over a line that calls a function, through the stack orvhost uses: the
// engine over the host target port, the driver's entry points in process and the simulated QX410 in virtual
// time. The callee runs a few instructions or about 10,000; the exchanges must not grow with it.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "debugger/engine.h"
#include "debugger/host_target.h"
#include "debuginfo/cdb_file.h"
#include "driver/device.h"
#include "host/debug_host.h"
#include "host/target.h"
#include "link/clock.h"
#include "sim/emulator_backend.h"
#include "tests/support/in_process_driver.h"

namespace {

using namespace orven;

class QuietEvents final : public host::HostEvents {
 public:
  void OutputText(const std::string&) override {}
  void SerialOutput(uint32_t, const std::string&) override {}
  void BreakpointCommand(const std::string&) override {}
  void ProgressShown(const std::string&, int32_t) override {}
  void ProgressRemoved(int32_t, int32_t) override {}
  void LinkClosed() override {}
  void Notice(bool, const std::string&, const std::string&) override {}
  bool Ask(const std::string&, const std::string&) override { return false; }
  bool ConfirmSetup(const OrvendSetupDialog&) override { return false; }
};

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
    VirtualClock clock;
    std::unique_ptr<sim::SimulatedEmulatorBackend> backend = sim::MakeSimulatedEmulatorBackend(clock);
    driver::ResetStateForTesting();
    driver::UseDeviceForTesting(*backend, clock);
    QuietEvents events;
    host::DebugHost debugHost(testing::InProcessDriver(), events);
    host::Target target(debugHost);
    debugHost.Bind();
    if (!target.SetOptions("-E0 -F15 -V0 -C0").ok || !target.Connect().ok || !target.LoadProgram(image).ok ||
        !target.Reset().ok) {
      state.SkipWithError("the simulated emulator did not connect");
      break;
    }
    size_t before = 0;
    {
      debugger::HostTarget port(target);
      debugger::Engine engine(port, &*load.info);
      std::string message;
      engine.Break(line, true, message);
      engine.Continue();
      before = backend->Device()->CommandLog().size();
      state.ResumeTiming();
      benchmark::DoNotOptimize(engine.Next());
      state.PauseTiming();
      exchanges = backend->Device()->CommandLog().size() - before;
    }
    target.Close();
    driver::ReleaseDeviceForTesting();
    driver::ResetStateForTesting();
    state.ResumeTiming();
  }
  state.counters["exchanges"] = static_cast<double>(exchanges);
}
BENCHMARK(NextOverCallThroughTheHost)->Arg(0)->Arg(1)->ArgName("long")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
