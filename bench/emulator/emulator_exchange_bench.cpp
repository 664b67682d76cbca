// Host time per emulator exchange against the zero-latency simulated emulator in virtual time: a single step
// and a 128-byte code read, each one command and one reply. The simulator's own work counts against us too,
// so the figure is an upper bound of what the host adds to each USB round trip.
#include <benchmark/benchmark.h>

#include "emulator/ice_usb.h"
#include "sim/emulator_backend.h"

namespace {

using namespace orven;

class NullHost final : public emulator::HostChannel {
 public:
  void SendText(uint32_t, const char*) override {}
  void Post(uint32_t) override {}
  void ShowProgress(const emulator::ProgressBar&) override {}
  bool NextFlashSegment(bool, emulator::FlashSegment*) override { return false; }
};

class NullPrompter final : public emulator::Prompter {
 public:
  void ErrorBox(const char*, const char*) override {}
  void WarningBox(const char*, const char*) override {}
  bool Question(const char*, const char*) override { return false; }
};

class Flags final : public emulator::DriverFlags {
 public:
  int32_t OptionE() const override { return 0; }
  void SetOptionE(int32_t) override {}
  int32_t OptionF() const override { return 0x10; }
  int32_t OptionV() const override { return 0; }
  int32_t OptionC() const override { return 0; }
  bool Fatal() const override { return false; }
  void SetFatal() override {}
};

struct Bench {
  VirtualClock clock;
  sim::SimulatedEmulatorBackend backend{clock, {}};
  NullHost host;
  NullPrompter prompter;
  Flags flags;
  emulator::CIceUsb emu{backend, clock, host, prompter, flags};
};

void Report(benchmark::State& state) {
  // Seconds per million exchanges = microseconds per exchange.
  state.counters["us_per_exchange"] = benchmark::Counter(static_cast<double>(state.iterations()) / 1e6,
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Step(benchmark::State& state) {
  Bench b;
  if (!b.emu.Connect()) {
    state.SkipWithError("no simulated emulator");
    return;
  }
  uint32_t pc = 0;
  for (auto _ : state) {
    if (!b.emu.Step(&pc)) state.SkipWithError("step failed");
    benchmark::DoNotOptimize(pc);
  }
  Report(state);
}
BENCHMARK(BM_Step);

void BM_Read128(benchmark::State& state) {
  Bench b;
  if (!b.emu.Connect()) {
    state.SkipWithError("no simulated emulator");
    return;
  }
  uint8_t buffer[128];
  for (auto _ : state) {
    if (!b.emu.ReadCodeMemory(buffer, 0x1000, sizeof buffer)) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(buffer);
  }
  Report(state);
}
BENCHMARK(BM_Read128);

}  // namespace

BENCHMARK_MAIN();
