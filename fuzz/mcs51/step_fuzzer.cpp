// Arbitrary bytes as code and as the start of xdata: stepping them must never crash or read past memory.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "sim/mcs51/core.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto core = std::make_unique<orven::mcs51::Core>();
  core->ClearMemory();
  core->Reset();
  core->LoadCode(0, data, size);
  // The same bytes at the top of code memory exercise PC wrap-around.
  core->LoadCode(0x10000 - (size < 64 ? size : 64), data, size < 64 ? size : 64);
  core->WriteMemory(orven::mcs51::Space::kXdata, 0, data, size < 256 ? size : 256);
  orven::mcs51::RunLimits limits;
  limits.maxInstructions = 20000;
  limits.maxCycles = 200000;  // an idle core runs cycles without instructions
  core->Run(limits);
  return 0;
}
