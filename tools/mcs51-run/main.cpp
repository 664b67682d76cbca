// mcs51-run: runs an Intel HEX program in the pod's core and prints the final state in a form that can be
// compared line by line with another simulator's run.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "tormik/hex_file.h"
#include "sim/mcs51/core.h"
#include "sim/mcs51/state_dump.h"
#include "tools/mcs51-run/texts.h"

namespace {

constexpr uint64_t kDefaultMaxInstructions = 1'000'000;

bool ParseNumber(const char* text, int base, uint64_t max, uint64_t& out) {
  if (text == nullptr || *text == '\0' || *text == '-') return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text, &end, base);
  if (errno != 0 || *end != '\0' || v > max) return false;
  out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace orven;
  const char* file = nullptr;
  mcs51::RunLimits limits;
  bool haveLimit = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool isMax = arg == "--max-instructions";
    const bool isBreak = arg == "--break";
    if (isMax || isBreak) {
      const char* value = i + 1 < argc ? argv[++i] : nullptr;
      uint64_t v = 0;
      // Addresses are hex, with or without 0x; counts are decimal.
      if (!ParseNumber(value, isBreak ? 16 : 10, isBreak ? 0xFFFF : UINT64_MAX, v)) {
        std::fprintf(stderr, mcs51run::kBadNumber, arg.c_str(), value ? value : "");
        return 2;
      }
      if (isBreak) {
        limits.stopAddress = static_cast<int32_t>(v);
      } else {
        limits.maxInstructions = v;
      }
      haveLimit = true;
    } else if (file == nullptr && !arg.empty() && arg[0] != '-') {
      file = argv[i];
    } else {
      std::fputs(mcs51run::kUsage, stderr);
      return 2;
    }
  }
  if (file == nullptr) {
    std::fputs(mcs51run::kUsage, stderr);
    return 2;
  }
  if (!haveLimit) limits.maxInstructions = kDefaultMaxInstructions;

  // Code the file leaves out reads as erased flash.
  auto image = std::make_unique<uint8_t[]>(mcs51::Core::kMemSize);
  std::memset(image.get(), 0xFF, mcs51::Core::kMemSize);
  const bool loaded = app::LoadHexFile(file, image.get(), mcs51::Core::kMemSize,
                                       [](const std::string& line) { std::fputs(line.c_str(), stderr); });
  if (!loaded) {
    std::fprintf(stderr, mcs51run::kLoadFailed, file);
    return 1;
  }
  auto core = std::make_unique<mcs51::Core>();
  core->LoadCode(0, image.get(), mcs51::Core::kMemSize);
  core->ClearMemory();
  core->Reset();
  core->Run(limits);
  std::fputs(mcs51::FormatState(*core).c_str(), stdout);
  return 0;
}
