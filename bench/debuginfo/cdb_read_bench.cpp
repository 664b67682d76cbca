// Reading the debug information of a large program: a generated .cdb of 100,000 records in the proportions
// SDCC writes them (assembler lines most, then symbols, C lines, linker addresses, functions and structs),
// parsed from memory and loaded from a file; then the look-ups a debugger makes at every stop.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "debuginfo/cdb_file.h"
#include "debuginfo/cdb_parser.h"

namespace {

using namespace orven::debuginfo;

constexpr size_t kRecords = 100'000;

struct GeneratedCdb {
  std::string text;
  size_t records = 0;
  std::string links;
  std::string path;
  uint32_t lastPc = 0;

  GeneratedCdb() {
    uint32_t pc = 0x100;
    for (int module = 0; records < kRecords; ++module) {
      std::string m = "mod" + std::to_string(module);
      Add("M:" + m);
      for (int s = 0; s < 4; ++s) {
        Add("T:F" + m + "$s" + std::to_string(s) + "[({0}S:S$len$0_0$0({1}SC:U),Z,0,0)({1}S:S$kind$0_0$0({2}SI:S),Z,0,0)"
            "({3}S:S$next$0_0$0({3}DG,STs" + std::to_string(s) + ":S),Z,0,0)]");
      }
      for (int g = 0; g < 40; ++g) {
        std::string key = "G$" + m + "_g" + std::to_string(g) + "$0_0$0";
        Add("S:" + key + "({16}DA16d,SC:U),F,0,0");
        Link("L:" + key + ":" + Hex(static_cast<uint32_t>(module * 40 + g) * 16));
      }
      for (int f = 0; f < 20 && records < kRecords; ++f) {
        std::string name = m + "_f" + std::to_string(f);
        std::string key = "G$" + name + "$0_0$0";
        int block = f * 3 + 1;
        Add("F:" + key + "({2}DF,SI:S),C,0,0,0,0,0");
        Add("S:L" + m + "." + name + "$x$1_0$" + std::to_string(block) + "({2}SI:S),R,0,0,[r6,r7]");
        Add("S:L" + m + "." + name + "$t$1_0$" + std::to_string(block) + "({4}SL:S),E,0,0");
        Add("S:L" + m + "." + name + "$i$2_0$" + std::to_string(block + 1) + "({1}SC:U),R,0,0,[r5]");
        Link("L:L" + m + "." + name + "$t$1_0$" + std::to_string(block) + ":30");
        Link("L:G$" + name + "$0$0:" + Hex(pc));
        for (int line = 0; line < 12; ++line) {
          Link("L:C$" + m + ".c$" + std::to_string(f * 14 + line + 1) + "$1_0$" + std::to_string(block) +
               ":" + Hex(pc));
          for (int a = 0; a < 3; ++a) {
            Link("L:A$" + m + "$" + std::to_string(pc) + ":" + Hex(pc));
            pc += 2;
          }
        }
        lastPc = pc;
        Link("L:XG$" + name + "$0$0:" + Hex(pc - 1));
      }
    }
    text += links;
    const char* tmp = std::getenv("TMPDIR");
    path = ((tmp && *tmp) ? std::string(tmp) + "/" : std::string("/tmp/")) + "debuginfo_bench_" +
           std::to_string(::getpid()) + ".cdb";
    std::ofstream(path, std::ios::binary) << text;
  }
  ~GeneratedCdb() { std::remove(path.c_str()); }

  void Add(const std::string& record) {
    text += record;
    text += '\n';
    ++records;
  }
  // Linker records go after every module's compiler records, as the linker appends them.
  void Link(const std::string& record) {
    links += record;
    links += '\n';
    ++records;
  }
  static std::string Hex(uint32_t value) {
    char out[12];
    std::snprintf(out, sizeof out, "%X", value);
    return out;
  }
};

const GeneratedCdb& Fixture() {
  static const GeneratedCdb cdb;
  return cdb;
}

void BM_ParseCdb(benchmark::State& state) {
  const GeneratedCdb& cdb = Fixture();
  for (auto _ : state) {
    CdbParser parser("bench.cdb");
    DebugInfo info = parser.Parse(cdb.text);
    if (parser.MalformedRecords() != 0) state.SkipWithError("generated records did not parse");
    benchmark::DoNotOptimize(info.Functions().data());
  }
  state.counters["records"] = static_cast<double>(cdb.records);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * cdb.text.size()));
}
BENCHMARK(BM_ParseCdb)->Unit(benchmark::kMillisecond);

void BM_LoadCdbFile(benchmark::State& state) {
  const GeneratedCdb& cdb = Fixture();
  for (auto _ : state) {
    CdbLoad load = LoadCdbFile(cdb.path);
    if (!load.info) state.SkipWithError("generated file did not load");
    benchmark::DoNotOptimize(load.info);
  }
}
BENCHMARK(BM_LoadCdbFile)->Unit(benchmark::kMillisecond);

// What a stop costs: the function, the line and the scopes at the PC, and one name resolved there.
void BM_LookupsAtAStop(benchmark::State& state) {
  const GeneratedCdb& cdb = Fixture();
  CdbParser parser("bench.cdb");
  DebugInfo info = parser.Parse(cdb.text);
  uint32_t pc = 0x100;
  for (auto _ : state) {
    pc = pc + 0x1F3 < cdb.lastPc ? pc + 0x1F3 : 0x100;
    benchmark::DoNotOptimize(info.FunctionAt(pc));
    benchmark::DoNotOptimize(info.LineAt(pc));
    benchmark::DoNotOptimize(info.FindSymbol("i", pc));
  }
}
BENCHMARK(BM_LookupsAtAStop);

}  // namespace

BENCHMARK_MAIN();
