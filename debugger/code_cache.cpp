#include "debugger/code_cache.h"

namespace orven::debugger {

PortResult CodeCache::Byte(uint16_t address, uint8_t& out) {
  const auto page = static_cast<uint16_t>(address / kPage);
  auto it = pages_.find(page);
  if (it == pages_.end()) {
    std::array<uint8_t, kPage> bytes{};
    PortResult r = port_.Read(Space::kCode, uint32_t{page} * kPage, bytes);
    if (!r.ok) return r;
    it = pages_.emplace(page, bytes).first;
  }
  out = it->second[address % kPage];
  return PortResult::Ok();
}

PortResult CodeCache::Decode(uint16_t pc, Instruction& out) {
  uint8_t bytes[3] = {};
  PortResult r = Byte(pc, bytes[0]);
  if (!r.ok) return r;
  const uint8_t length = Disassembler::Length(bytes[0]);
  for (uint8_t i = 1; i < length; ++i) {
    r = Byte(static_cast<uint16_t>(pc + i), bytes[i]);
    if (!r.ok) return r;
  }
  out = disassembler_.Decode(pc, std::span<const uint8_t>(bytes, length));
  return PortResult::Ok();
}

}  // namespace orven::debugger
