// A core loaded with a tiny program of opcode bytes, from the all-zero power-on state.
#pragma once

#include <initializer_list>
#include <memory>

#include "sim/mcs51/core.h"

namespace orven::mcs51test {

inline std::unique_ptr<mcs51::Core> CoreWith(std::initializer_list<uint8_t> code, uint16_t at = 0) {
  auto core = std::make_unique<mcs51::Core>();
  core->ClearMemory();
  core->Reset();
  const std::vector<uint8_t> bytes(code);
  core->LoadCode(at, bytes.data(), bytes.size());
  return core;
}

inline void Steps(mcs51::Core& core, int n) {
  for (int i = 0; i < n; ++i) core.Step();
}

}  // namespace orven::mcs51test
