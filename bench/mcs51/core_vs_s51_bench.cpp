// Instructions per second of the pod's core against s51 on the same CPU-bound SDCC program (the differential
// suite's cpu_loop.c), run side by side. s51's own "state" report gives its instruction count and host time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <string>

#include "tormik/hex_file.h"
#include "sim/mcs51/core.h"
#include "tests/mcs51/ucsim_harness.h"

namespace {

using namespace orven;

struct Prepared {
  bool ok = false;
  std::string why;
  mcs51test::Tools tools;
  mcs51test::Program program;
  std::unique_ptr<uint8_t[]> image;
};

Prepared& Program() {
  static Prepared p = [] {
    Prepared r;
    r.tools = mcs51test::FindTools();
    if (!r.tools.Available()) {
      r.why = "sdcc or s51 not installed";
      return r;
    }
    for (auto& prog : mcs51test::ListPrograms(ORVEN_MCS51_PROGRAMS_DIR)) {
      if (prog.name == "cpu_loop") r.program = prog;
    }
    const std::string work = "/tmp/orven_mcs51_bench";
    if (r.program.name.empty() ||
        !mcs51test::Build(r.tools, work, ORVEN_MCS51_PROGRAMS_DIR, r.program, r.why)) {
      if (r.why.empty()) r.why = "cpu_loop.c not found";
      return r;
    }
    r.image = std::make_unique<uint8_t[]>(mcs51::Core::kMemSize);
    r.ok = app::LoadHexFile(r.program.hexPath, r.image.get(), mcs51::Core::kMemSize, [](const std::string&) {});
    return r;
  }();
  return p;
}

uint64_t RunCoreOnce(mcs51::Core& core, const Prepared& p) {
  core.LoadCode(0, p.image.get(), mcs51::Core::kMemSize);
  core.ClearMemory();
  core.Reset();
  mcs51::RunLimits limits;
  limits.stopAddress = p.program.doneAddress;
  limits.maxInstructions = p.program.maxInstructions;
  return core.Run(limits).instructions;
}

void BM_CoreCpuLoop(benchmark::State& state) {
  Prepared& p = Program();
  if (!p.ok) {
    state.SkipWithError(p.why.c_str());
    return;
  }
  auto core = std::make_unique<mcs51::Core>();
  uint64_t total = 0;
  for (auto _ : state) total += RunCoreOnce(*core, p);
  state.counters["instr/s"] = benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CoreCpuLoop)->Unit(benchmark::kMillisecond);

// s51: instructions and host seconds from its own report for a run to done().
bool MeasureS51(const Prepared& p, double& instructions, double& seconds) {
  const std::string script = "/tmp/orven_mcs51_bench/s51_bench.cmd";
  {
    std::ofstream cmd(script);
    char line[64];
    std::snprintf(line, sizeof line, "break 0x%x\n", p.program.doneAddress);
    cmd << line << "run\nstate\nquit\n";
  }
  std::string out;
  mcs51test::RunCommand("'" + p.tools.s51 + "' -t C52 '" + p.program.hexPath + "' < '" + script + "'", out);
  std::smatch m;
  if (!std::regex_search(out, m, std::regex(R"(Inst= (\d+))"))) return false;
  instructions = std::stod(m[1]);
  if (!std::regex_search(out, m, std::regex(R"(Host usage: ([0-9.eE+-]+) sec)"))) return false;
  seconds = std::stod(m[1]);
  return seconds > 0;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();

  Prepared& p = Program();
  if (!p.ok) {
    std::printf("core vs s51: skipped (%s)\n", p.why.c_str());
    return 0;
  }
  // Side by side: the best of three runs each.
  auto core = std::make_unique<mcs51::Core>();
  double coreRate = 0;
  double s51Rate = 0;
  for (int i = 0; i < 3; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    const uint64_t n = RunCoreOnce(*core, p);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    coreRate = std::max(coreRate, static_cast<double>(n) / s);
    double inst = 0;
    double secs = 0;
    if (MeasureS51(p, inst, secs)) s51Rate = std::max(s51Rate, inst / secs);
  }
  std::printf("cpu_loop to done(): core %.1f M instr/s, s51 %.1f M instr/s, ratio %.1fx\n", coreRate / 1e6,
              s51Rate / 1e6, s51Rate > 0 ? coreRate / s51Rate : 0.0);
  return 0;
}
