// Gang programming: host CPU time per programmer for a 64 KiB automatic download and verify when N
// programmers run at once, against one alone. Each simulated programmer keeps its own virtual clock (they are
// separate machines), so the slowest one's virtual time is the wall time a bench of N would take; it must
// equal one programmer's. The CPU time counted is the whole process's: the host and the in-process simulated
// devices together, so the per-programmer figure is an upper bound of what the host spends.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "link/command_codes.h"
#include "programmer/ice_api.h"
#include "sim/devices.h"
#include "sim/virtual_bus.h"
#include "tormik/chip_catalogue.h"
#include "tormik/gang_runner.h"
#include "tormik/image_buffer.h"

namespace {

using namespace orven;

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void BM_GangAutoVerify64K(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  sim::VirtualBus bus;
  sim::SimBackend backend(bus);
  std::vector<std::unique_ptr<VirtualClock>> clocks;
  std::vector<app::GangTarget> targets;
  for (size_t i = 0; i < n; ++i) {
    clocks.push_back(std::make_unique<VirtualClock>());
    auto device = sim::MakeProgrammer(*clocks.back(), sim::DeviceModel::kQx410);
    // A USB-like millisecond for every block, so virtual time measures the bench's wall time.
    device->SetCommandDelay(cmd::kProgramBlock, 1);
    device->SetCommandDelay(cmd::kReadBlock, 1);
    targets.push_back(app::GangTarget{bus.Attach(device), std::to_string(i), clocks.back().get()});
  }
  ChipEntry chip{};
  chip.vendor = 1;
  chip.parameters.bytes[2] = 0x1E;
  PutU32Le(chip.parameters.bytes + 6, 0x10000);
  app::ImageBuffer file;
  for (uint32_t a = 0; a < 0x10000; ++a) file.Image()[a] = static_cast<uint8_t>(a * 7);
  const app::GangJob job{app::kQx410ModelWord, &chip, nullptr,
                         {{programmer::kOpErase | programmer::kOpProgram, file.Image()},
                          {programmer::kOpVerify, file.Image()}}};
  app::GangRunner runner(backend);
  double cpu = 0;
  double virtualMs = 0;
  for (auto _ : state) {
    const double before = ProcessCpuSeconds();
    const std::vector<app::GangResult> results = runner.Run(job, targets, nullptr);
    cpu += ProcessCpuSeconds() - before;
    uint64_t slowest = 0;
    for (const app::GangResult& r : results) {
      if (!r.ok) state.SkipWithError("a programmer failed");
      slowest = std::max(slowest, r.milliseconds);
    }
    virtualMs += static_cast<double>(slowest);
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["cpu_ms_per_programmer"] = cpu * 1000.0 / iterations / static_cast<double>(n);
  state.counters["virtual_wall_ms"] = virtualMs / iterations;
}
// Real time: the work runs on the gang's workers, not the benchmark thread.
BENCHMARK(BM_GangAutoVerify64K)->Arg(1)->Arg(2)->Arg(4)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
