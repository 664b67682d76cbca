// Target memory as the evaluator reads it: through the port with as few requests as possible. Ranges asked
// for ahead are merged (neighbours and small gaps in one space become one request) and bytes already read are
// served again without a request, until a write or Forget().
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "debugger/target_port.h"

namespace orven::debugger {

// Two ranges of one space this close are read as one: a few spare bytes cost less than another exchange.
inline constexpr uint32_t kMergeGap = 32;
// The largest single request; a longer range is read in pieces of this size.
inline constexpr uint32_t kMaxReadLength = 4096;

struct MemoryRange {
  Space space = Space::kData;
  uint32_t address = 0;
  uint32_t length = 0;
};

class MemoryReader {
 public:
  explicit MemoryReader(TargetPort& port) : port_(port) {}

  // Reads the ranges ahead, merged. A merged read the target refuses is dropped: the later Read of each piece
  // asks again and names its own address.
  void Prefetch(std::vector<MemoryRange> ranges);
  // The bytes at [address, address + out.size()), from what was read before or with new requests.
  PortResult Read(Space space, uint32_t address, std::span<uint8_t> out);
  // Writes through to the target; what was read before is read again afterwards.
  PortResult Write(Space space, uint32_t address, std::span<const uint8_t> bytes);

  // The register set, read once.
  PortResult Registers(RegisterSet& out);
  // Writes a register; the register set and the banks' memory are read again afterwards.
  PortResult WriteRegister(RegisterId reg, uint32_t value);

  // Drops everything read (the target ran).
  void Forget();
  // Requests sent to the target so far (reads, writes and register exchanges).
  size_t Requests() const { return requests_; }
  TargetPort& Port() { return port_; }

 private:
  struct Chunk {
    Space space;
    uint32_t address;
    std::vector<uint8_t> bytes;
  };
  const Chunk* Find(Space space, uint32_t address, size_t length) const;
  PortResult Fetch(Space space, uint32_t address, uint32_t length);

  TargetPort& port_;
  std::vector<Chunk> chunks_;
  std::optional<RegisterSet> registers_;
  size_t requests_ = 0;
};

}  // namespace orven::debugger
