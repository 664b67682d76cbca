#include "debugger/memory_reader.h"

#include <algorithm>
#include <cstring>

namespace orven::debugger {

void MemoryReader::Prefetch(std::vector<MemoryRange> ranges) {
  std::erase_if(ranges, [this](const MemoryRange& r) { return r.length == 0 || Find(r.space, r.address, r.length); });
  std::sort(ranges.begin(), ranges.end(), [](const MemoryRange& a, const MemoryRange& b) {
    return std::pair(a.space, a.address) < std::pair(b.space, b.address);
  });
  std::vector<MemoryRange> merged;
  for (const MemoryRange& r : ranges) {
    if (!merged.empty()) {
      MemoryRange& last = merged.back();
      uint64_t lastEnd = uint64_t{last.address} + last.length;
      uint64_t end = uint64_t{r.address} + r.length;
      // D: below 0x80 is RAM and above it the SFRs: a request never spans both.
      bool crossesSfrs = r.space == Space::kData && (last.address < 0x80) != (r.address < 0x80);
      if (last.space == r.space && !crossesSfrs && r.address <= lastEnd + kMergeGap &&
          end - last.address <= kMaxReadLength) {
        last.length = static_cast<uint32_t>(std::max(lastEnd, end) - last.address);
        continue;
      }
    }
    merged.push_back(r);
  }
  for (const MemoryRange& r : merged) {
    if (r.length <= kMaxReadLength) (void)Fetch(r.space, r.address, r.length);
  }
}

const MemoryReader::Chunk* MemoryReader::Find(Space space, uint32_t address, size_t length) const {
  for (const Chunk& c : chunks_) {
    if (c.space == space && address >= c.address &&
        uint64_t{address} + length <= uint64_t{c.address} + c.bytes.size()) {
      return &c;
    }
  }
  return nullptr;
}

PortResult MemoryReader::Fetch(Space space, uint32_t address, uint32_t length) {
  Chunk chunk{space, address, std::vector<uint8_t>(length)};
  ++requests_;
  PortResult r = port_.Read(space, address, chunk.bytes);
  if (r.ok) chunks_.push_back(std::move(chunk));
  return r;
}

PortResult MemoryReader::Read(Space space, uint32_t address, std::span<uint8_t> out) {
  if (out.empty()) return PortResult::Ok();
  if (const Chunk* c = Find(space, address, out.size())) {
    std::memcpy(out.data(), c->bytes.data() + (address - c->address), out.size());
    return PortResult::Ok();
  }
  for (size_t done = 0; done < out.size();) {
    uint32_t piece = static_cast<uint32_t>(std::min<size_t>(out.size() - done, kMaxReadLength));
    uint32_t at = address + static_cast<uint32_t>(done);
    PortResult r = Fetch(space, at, piece);
    if (!r.ok) return r;
    std::memcpy(out.data() + done, chunks_.back().bytes.data(), piece);
    done += piece;
  }
  return PortResult::Ok();
}

PortResult MemoryReader::Write(Space space, uint32_t address, std::span<const uint8_t> bytes) {
  ++requests_;
  PortResult r = port_.Write(space, address, bytes);
  // Spaces overlap (D: and I: are one RAM, P: is a page of X:, an SFR write can change others), so whatever
  // was read is read again.
  Forget();
  return r;
}

PortResult MemoryReader::Registers(RegisterSet& out) {
  if (!registers_) {
    RegisterSet set;
    ++requests_;
    PortResult r = port_.ReadRegisters(set);
    if (!r.ok) return r;
    registers_ = set;
  }
  out = *registers_;
  return PortResult::Ok();
}

PortResult MemoryReader::WriteRegister(RegisterId reg, uint32_t value) {
  ++requests_;
  PortResult r = port_.WriteRegister(reg, value);
  Forget();
  return r;
}

void MemoryReader::Forget() {
  chunks_.clear();
  registers_.reset();
}

}  // namespace orven::debugger
