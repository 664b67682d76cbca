// Host time per request through the driver's entry points against the zero-latency simulated emulator: one
// single step (AG_GoStep 2: one EC_STEP exchange), one 256-byte read of xdata (AG_MemAcc 1: two 128-byte
// EC_READ_XDATA exchanges), and a register read (AG_RegAcc 1 after a step: one EC_READ_REGS exchange).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "driver/device.h"
#include "link/clock.h"
#include "orvend/orvend.h"
#include "sim/emulator_backend.h"

namespace {

intptr_t Send(void*, uint32_t, uintptr_t, intptr_t) { return 0; }
void Post(void*, uint32_t, uintptr_t, intptr_t) {}
int Box(void*, int, const char*, const char*) { return 1; }

std::vector<uint8_t> xdata(0x10000);
std::vector<uint16_t> xdataAttributes(0x10000);

void* Callback(uint32_t code, void* argument) {
  if (code == ORVEND_CALLBACK_MEMORY_TABLE) {
    auto* table = static_cast<OrvendMemorySlot*>(argument);
    table[ORVEND_SLOT_XDATA_FIRST] = {xdata.data(), xdataAttributes.data()};
  }
  return nullptr;
}

struct Session {
  orven::VirtualClock clock;
  std::unique_ptr<orven::sim::SimulatedEmulatorBackend> backend = orven::sim::MakeSimulatedEmulatorBackend(clock);
  OrvendHostWindow window{nullptr, Send, Post};
  OrvendUi ui{nullptr, Box, nullptr};
  OrvendBreakpoint* breakpoints = nullptr;
  uint32_t pc = 0;
  bool connected = false;

  Session() {
    orven::driver::UseDeviceForTesting(*backend, clock);
    OrvendSetUi(&ui);
    AG_Init(ORVEND_INIT_MAIN_WINDOW, &window);
    void* callback = nullptr;
    OrvendHostCallback function = Callback;
    std::memcpy(&callback, &function, sizeof callback);
    AG_Init(ORVEND_INIT_CALLBACK, callback);
    AG_Init(ORVEND_INIT_BREAKPOINT_LIST, &breakpoints);
    AG_Init(ORVEND_INIT_CURRENT_PC, &pc);
    connected = AG_Init(ORVEND_INIT_CONNECT, nullptr) == 0;
    // A program of NOPs that jumps back to 0, so steps never leave it.
    std::vector<uint8_t> code(0x100, 0x00);
    code[0xFD] = 0x02;  // LJMP 0x0000
    OrvendAddress address{};
    AG_MemAcc(ORVEND_MEM_WRITE_CODE, code.data(), &address, static_cast<uint32_t>(code.size()));
  }
};

Session& TheSession() {
  static Session session;
  return session;
}

void BM_SingleStep(benchmark::State& state) {
  Session& s = TheSession();
  if (!s.connected) state.SkipWithError("no emulator");
  OrvendAddress none{};
  for (auto _ : state) benchmark::DoNotOptimize(AG_GoStep(ORVEND_GO_STEP, 1, &none));
}
BENCHMARK(BM_SingleStep);

void BM_Read256Xdata(benchmark::State& state) {
  Session& s = TheSession();
  if (!s.connected) state.SkipWithError("no emulator");
  uint8_t buffer[256];
  OrvendAddress address{};
  for (auto _ : state) {
    address.address.tagged = ORVEND_TAG(ORVEND_SPACE_XDATA, 0x0100);
    benchmark::DoNotOptimize(AG_MemAcc(ORVEND_MEM_READ, buffer, &address, sizeof buffer));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 256);
}
BENCHMARK(BM_Read256Xdata);

void BM_RegisterRead(benchmark::State& state) {
  Session& s = TheSession();
  if (!s.connected) state.SkipWithError("no emulator");
  OrvendAddress none{};
  uint8_t acc = 0;
  for (auto _ : state) {
    state.PauseTiming();
    AG_GoStep(ORVEND_GO_STEP, 1, &none);  // a step makes the next register read ask the emulator
    state.ResumeTiming();
    benchmark::DoNotOptimize(AG_RegAcc(1, ORVEND_REG_ACC, &acc));
  }
}
BENCHMARK(BM_RegisterRead);

}  // namespace

BENCHMARK_MAIN();
