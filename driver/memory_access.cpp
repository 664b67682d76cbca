#include "driver/memory_access.h"

#include <algorithm>
#include <cstring>

namespace orven::driver {
namespace {

// Bytes from the address to the end of its space (D:, I:, pdata end at 0xFF; code and xdata at 0xFFFF).
uint32_t ToSpaceEnd(uint32_t address) {
  uint32_t mask = SpaceMask(address);
  return mask + 1 - (address & mask);
}

// Bytes of a chunk that lie inside the space.
uint32_t InsideSpace(uint32_t address, uint32_t chunk) { return std::min(chunk, ToSpaceEnd(address)); }

// The registers the driver copies, at their special-function-register addresses: writing any of them (or a
// register bank) makes the copy stale.
constexpr uint8_t kCopiedSfrs[] = {0x81 /* SP */, 0x82 /* DPL */, 0x83 /* DPH */,
                                   0xD0 /* PSW */, 0xE0 /* ACC */, 0xF0 /* B */};

bool TouchesRegisterCopy(uint32_t address, uint32_t count) {
  Space space = SpaceOf(address);
  if (space != Space::kData && space != Space::kIdata) return false;
  uint32_t low = address & 0xFF;
  if (low < 0x20) return true;  // R0-R7 of some bank
  if (space != Space::kData) return false;  // indirect 0x80-0xFF is RAM, not the registers
  uint32_t end = low + std::min(count, ToSpaceEnd(address));
  for (uint8_t sfr : kCopiedSfrs) {
    if (sfr >= low && sfr < end) return true;
  }
  return false;
}

// One chunk of direct data: internal RAM below 0x80 through the idata commands, the rest through the
// special-function-register commands. `transfer(isSfr, bufferOffset, address, count)` does one part.
template <typename Transfer>
bool DirectChunk(uint32_t address, uint32_t n, uint32_t* failedAddress, Transfer transfer) {
  uint32_t offset = address & 0xFF;
  uint32_t base = address & 0xFF0000FFu;
  if (offset >= 0x80) {
    if (!transfer(true, 0, base, n)) {
      *failedAddress = address | kTagData;
      return false;
    }
    return true;
  }
  uint32_t low = std::min<uint32_t>(n, 0x80 - offset);
  if (!transfer(false, 0, base, low)) {
    *failedAddress = address | kTagData;
    return false;
  }
  if (n > low && !transfer(true, low, kTagData | 0x80, n - low)) {
    *failedAddress = kTagData | 0x80;
    return false;
  }
  return true;
}

}  // namespace

bool ReadMemory(DriverState& state, Target& target, uint8_t* buffer, uint32_t address, uint32_t count,
                uint32_t* failedAddress) {
  HostMemory& memory = state.memory;
  uint32_t a = address;
  uint8_t* b = buffer;
  for (uint32_t remaining = count; remaining > 0;) {
    uint32_t chunk = std::min(remaining, kChunk);
    bool ok = true;
    uint32_t failed = 0;
    uint32_t transferred = 0;  // bytes of the chunk that now hold the target's value
    switch (SpaceOf(a)) {
      case Space::kXdata:
      case Space::kPdata:
        transferred = InsideSpace(a, chunk);
        ok = target.ReadXdataMemory(b, a, transferred);
        failed = SpaceOf(a) == Space::kPdata ? a : (a | kTagXdata);
        break;
      case Space::kData:
        transferred = InsideSpace(a, chunk);
        ok = DirectChunk(a, transferred, &failed, [&](bool sfr, uint32_t at, uint32_t addr, uint32_t n) {
          return sfr ? target.ReadDataMemory(b + at, addr, n) : target.ReadIdataMemory(b + at, addr, n);
        });
        break;
      case Space::kIdata:
        transferred = InsideSpace(a, chunk);
        ok = target.ReadIdataMemory(b, a & 0xFF0000FFu, transferred);
        failed = a | kTagIdata;
        break;
      case Space::kCode:
        if (memory.CacheRead(b, a, chunk)) break;
        std::memset(b, kUnreadCode, std::min(chunk, kUnreadCodeBytes));
        if ((a & 0x00FFFFFF) > 0xFFFF) break;  // a bank the pod does not have: 0x99, never marked valid
        transferred = InsideSpace(a, chunk);
        ok = target.ReadCodeMemory(b, a & 0xFFFF, transferred);
        failed = a | kTagCode;
        break;
      case Space::kNone:
        break;
    }
    if (!ok) {
      *failedAddress = failed;
      state.fatal.store(true);
      memory.CacheInvalidate(address, count);
      return false;
    }
    memory.CacheStore(b, a, transferred);
    a += chunk;
    b += chunk;
    remaining -= chunk;
  }
  return true;
}

bool WriteMemory(DriverState& state, Target& target, const uint8_t* buffer, uint32_t address, uint32_t count,
                 uint32_t* failedAddress) {
  HostMemory& memory = state.memory;
  if (TouchesRegisterCopy(address, count)) state.registersWritten.store(false);
  // Bytes past the end of the space have nowhere to go: the ones before it are written, the request fails at
  // the first byte left out.
  uint32_t inside = InsideSpace(address, count);
  uint32_t a = address;
  const uint8_t* b = buffer;
  for (uint32_t remaining = inside; remaining > 0;) {
    uint32_t chunk = std::min(remaining, kChunk);
    bool ok = true;
    bool refused = false;  // turned away before any transfer: the link is fine
    uint32_t failed = 0;
    uint32_t transferred = 0;
    switch (SpaceOf(a)) {
      case Space::kXdata:
      case Space::kPdata:
        transferred = InsideSpace(a, chunk);
        ok = target.WriteXdataMemory(b, a, transferred);
        failed = SpaceOf(a) == Space::kPdata ? a : (a | kTagXdata);
        break;
      case Space::kData:
        transferred = InsideSpace(a, chunk);
        ok = DirectChunk(a, transferred, &failed, [&](bool sfr, uint32_t at, uint32_t addr, uint32_t n) {
          return sfr ? target.WriteDataMemory(b + at, addr, n) : target.WriteIdataMemory(b + at, addr, n);
        });
        break;
      case Space::kIdata:
        transferred = InsideSpace(a, chunk);
        ok = target.WriteIdataMemory(b, a & 0xFF0000FFu, transferred);
        failed = a | kTagIdata;
        break;
      case Space::kCode:
      case Space::kNone: {
        // The pod has one 64 KiB bank: a write to any other would land in bank 0.
        if ((a & 0x00FF0000) != 0) {
          ok = false;
          refused = true;
          failed = a | kTagCode;
          break;
        }
        transferred = InsideSpace(a, chunk);
        uint32_t codeAddress = a;
        ok = target.WriteCodeMemory(b, codeAddress, transferred);
        failed = codeAddress | kTagCode;
        if (SpaceOf(a) == Space::kNone) {
          // Written to code, but the tag names no image slot: the code image at that address is stale now.
          memory.CacheInvalidate(kTagCode | (a & 0xFFFF), transferred);
          transferred = 0;
        }
        break;
      }
    }
    if (!ok) {
      *failedAddress = failed;
      if (!refused) state.fatal.store(true);
      memory.CacheInvalidate(address, count);
      return false;
    }
    memory.CacheStore(b, a, transferred);
    a += chunk;
    b += chunk;
    remaining -= chunk;
  }
  if (inside < count) {
    // Tags that name no space wrote code, and fail as code does.
    *failedAddress = SpaceOf(address) == Space::kNone ? (kTagCode | ((address & 0xFFFF) + inside)) : a;
    memory.CacheInvalidate(address, count);
    return false;
  }
  return true;
}

}  // namespace orven::driver
