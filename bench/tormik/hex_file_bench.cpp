// Intel HEX loading speed on the file of a 1 MiB image, next to objcopy converting the same file to binary.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tormik/hex_file.h"

namespace {

constexpr uint32_t kImageBytes = 1024 * 1024;

struct HexFixtureFile {
  std::string hexPath;
  std::string binPath;
  std::string text;
  size_t fileBytes = 0;

  HexFixtureFile() {
    std::vector<uint8_t> image(kImageBytes);
    std::mt19937 random(1);
    for (auto& b : image) b = static_cast<uint8_t>(random());
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = (tmp && *tmp) ? std::string(tmp) + "/" : std::string("/tmp/");
    hexPath = dir + "app_core_bench_" + std::to_string(::getpid()) + ".hex";
    binPath = dir + "app_core_bench_" + std::to_string(::getpid()) + ".bin";
    text = orven::app::FormatHexText(image.data(), kImageBytes);
    fileBytes = text.size();
    if (!orven::app::WriteHexFile(hexPath, image.data(), kImageBytes)) std::abort();
  }
  ~HexFixtureFile() {
    std::remove(hexPath.c_str());
    std::remove(binPath.c_str());
  }
};

HexFixtureFile& Fixture() {
  static HexFixtureFile fixture;
  return fixture;
}

void BM_LoadHexFile(benchmark::State& state) {
  HexFixtureFile& f = Fixture();
  std::vector<uint8_t> image(kImageBytes, 0xFF);
  for (auto _ : state) {
    bool ok = orven::app::LoadHexFile(f.hexPath, image.data(), kImageBytes, nullptr);
    if (!ok) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(image.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.fileBytes));
  state.counters["file_MB"] = static_cast<double>(f.fileBytes) / 1e6;
}
BENCHMARK(BM_LoadHexFile)->Unit(benchmark::kMillisecond);

void BM_LoadHexText(benchmark::State& state) {
  HexFixtureFile& f = Fixture();
  std::vector<uint8_t> image(kImageBytes, 0xFF);
  for (auto _ : state) {
    orven::app::LoadHexText(f.text, image.data(), kImageBytes, nullptr);
    benchmark::DoNotOptimize(image.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.fileBytes));
}
BENCHMARK(BM_LoadHexText)->Unit(benchmark::kMillisecond);

// Times `objcopy -I ihex -O binary` on hexPath around system(), process start included.
void TimeObjcopy(benchmark::State& state, const std::string& hexPath, const std::string& binPath) {
  const std::string command = "objcopy -I ihex -O binary '" + hexPath + "' '" + binPath + "'";
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    int rc = std::system(command.c_str());
    auto end = std::chrono::steady_clock::now();
    if (rc != 0) {
      state.SkipWithError("objcopy failed or is not installed");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
}

// The whole objcopy run on the same file as the loader.
void BM_ObjcopyIhexToBinary(benchmark::State& state) {
  HexFixtureFile& f = Fixture();
  TimeObjcopy(state, f.hexPath, f.binPath);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.fileBytes));
}
BENCHMARK(BM_ObjcopyIhexToBinary)->UseManualTime()->Unit(benchmark::kMillisecond);

// objcopy on a HEX file of one byte: the process start-up that the figure above includes.
void BM_ObjcopyStartupOnly(benchmark::State& state) {
  HexFixtureFile& f = Fixture();
  const std::string tinyPath = f.hexPath + ".tiny";
  const uint8_t oneByte = 0x5A;
  if (!orven::app::WriteHexFile(tinyPath, &oneByte, 1)) std::abort();
  TimeObjcopy(state, tinyPath, f.binPath);
  std::remove(tinyPath.c_str());
}
BENCHMARK(BM_ObjcopyStartupOnly)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FormatHexText(benchmark::State& state) {
  std::vector<uint8_t> image(kImageBytes, 0x5A);
  for (auto _ : state) benchmark::DoNotOptimize(orven::app::FormatHexText(image.data(), kImageBytes));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kImageBytes);
}
BENCHMARK(BM_FormatHexText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
