// Host time per device exchange: automatic download and verify of a 64 KiB chip against the zero-latency
// simulator in virtual time. Everything measured is host work (frame encoding, the link, the simulator's own
// bookkeeping counts against us too), so the figure is an upper bound of what the host adds to each USB round
// trip.
#include <benchmark/benchmark.h>

#include "programmer/ice_api.h"
#include "sim/devices.h"
#include "sim/virtual_bus.h"

namespace {

using namespace orven;

class NullSink final : public programmer::NotificationSink {
 public:
  void Notify(const programmer::Notification&) override {}
};

ChipEntry Chip64K() {
  ChipEntry chip{};
  chip.vendor = 1;
  chip.parameters.bytes[2] = 0x1E;
  PutU32Le(chip.parameters.bytes + 6, 0x10000);
  return chip;
}

void BM_AutoThenVerify64K(benchmark::State& state) {
  VirtualClock clock;
  sim::VirtualBus bus;
  auto device = sim::MakeProgrammer(clock, sim::DeviceModel::kQx410);
  bus.Attach(device);
  sim::SimBackend backend(bus);
  NullSink sink;
  std::vector<uint8_t> buffer(0x40000 + 32, 0xFF);
  for (size_t i = 0; i < 0x10000; ++i) buffer[i] = static_cast<uint8_t>(i * 7);
  programmer::CIceAPI api(backend, clock);
  api.SetWindow(&sink);
  api.SetBuffers(buffer.data(), buffer.data() + 0x40000);
  if (api.Connect(kModelQx410) == 0) {
    state.SkipWithError("no simulated device");
    return;
  }
  const ChipEntry chip = Chip64K();
  size_t exchanges = 0;
  for (auto _ : state) {
    device->ClearCommandLog();
    api.StartOperation(programmer::kOpErase | programmer::kOpProgram, &chip);
    api.WaitIdle();
    api.StartOperation(programmer::kOpVerify, &chip);
    api.WaitIdle();
    if (!api.LastRunSucceeded()) state.SkipWithError("verify failed");
    exchanges += device->CommandLog().size();
  }
  state.counters["exchanges"] = benchmark::Counter(static_cast<double>(exchanges), benchmark::Counter::kAvgIterations);
  // Seconds per million exchanges = microseconds per exchange.
  state.counters["us_per_exchange"] = benchmark::Counter(static_cast<double>(exchanges) / 1e6,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
// Real time: the exchanges run on the operation's worker thread, not the benchmark thread.
BENCHMARK(BM_AutoThenVerify64K)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
