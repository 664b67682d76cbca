#include "driver/host_memory.h"

#include <algorithm>
#include <cstring>

namespace orven::driver {
namespace {

constexpr uint32_t kSlotXdata = ORVEND_SLOT_XDATA_FIRST;
constexpr uint32_t kSlotSfr = ORVEND_SLOT_SFR;
constexpr uint32_t kSlotIram = ORVEND_SLOT_IRAM;
constexpr uint32_t kBankSize = 0x10000;

}  // namespace

Space SpaceOf(uint32_t tagged) {
  switch (tagged >> 24) {
    case 0x01: return Space::kXdata;
    case 0xFE: return Space::kPdata;
    case 0xF0: return Space::kData;
    case 0xF3: return Space::kIdata;
    case 0xFF: return Space::kCode;
    default: return Space::kNone;
  }
}

uint32_t SpaceMask(uint32_t tagged) {
  switch (SpaceOf(tagged)) {
    case Space::kPdata:
    case Space::kData:
    case Space::kIdata: return 0xFF;
    default: return 0xFFFF;
  }
}

Location LocationOf(uint32_t tagged) {
  uint32_t bank = (tagged >> 16) & 0xFF;
  switch (SpaceOf(tagged)) {
    case Space::kXdata: return {kSlotXdata + bank, tagged & 0xFFFF};
    case Space::kPdata: return {kSlotXdata + bank, tagged & 0xFF};
    case Space::kData: return {(tagged & 0xFF) >= 0x80 ? kSlotSfr : kSlotIram, tagged & 0xFF};
    case Space::kIdata: return {kSlotIram, tagged & 0xFF};
    default: return {bank, tagged & 0xFFFF};
  }
}

bool StepWithinSpace(uint32_t tagged, uint32_t index, uint32_t* out) {
  uint32_t mask = SpaceMask(tagged);
  uint64_t low = uint64_t{tagged & mask} + index;
  if (low > mask) return false;
  *out = (tagged & ~mask) | static_cast<uint32_t>(low);
  return true;
}

OrvendMemorySlot* HostMemory::Table() {
  std::lock_guard lock(mutex_);
  MarkAllVolatileLocked();
  return table_;
}

void HostMemory::Forget() {
  std::lock_guard lock(mutex_);
  std::memset(table_, 0, sizeof table_);
  MarkAllVolatileLocked();
}

void HostMemory::MarkAllVolatileLocked() {
  for (MarkedRange& r : marked_) r = {0, kBankSize};
}

// Volatile slots are the xdata segments (256..511), then 512 and 513; the code banks are not volatile.
void HostMemory::NoteValidLocked(uint32_t slot, uint32_t offset) {
  if (slot < kSlotXdata || slot >= kSlotXdata + kVolatileSlots) return;
  MarkedRange& r = marked_[slot - kSlotXdata];
  if (r.low >= r.high) {
    r = {offset, offset + 1};
  } else {
    if (offset < r.low) r.low = offset;
    if (offset >= r.high) r.high = offset + 1;
  }
}

uint16_t* HostMemory::AttributeWordLocked(uint32_t tagged) {
  Location at = LocationOf(tagged);
  uint16_t* words = table_[at.slot].attributes;
  return words == nullptr ? nullptr : words + at.offset;
}

uint16_t* HostMemory::AttributeWord(uint32_t tagged) {
  std::lock_guard lock(mutex_);
  return AttributeWordLocked(tagged);
}

bool HostMemory::CacheRead(uint8_t* b, uint32_t a, uint32_t n) {
  Space space = SpaceOf(a);
  if (space == Space::kXdata || space == Space::kPdata || space == Space::kData || space == Space::kIdata) {
    return false;
  }
  std::lock_guard lock(mutex_);
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t at = 0;
    if (!StepWithinSpace(a, i, &at)) return false;
    Location loc = LocationOf(at);
    const OrvendMemorySlot& slot = table_[loc.slot];
    if (slot.image == nullptr || slot.attributes == nullptr || (slot.attributes[loc.offset] & kAttrValid) == 0) {
      return false;
    }
    b[i] = slot.image[loc.offset];
  }
  return true;
}

void HostMemory::CacheStore(const uint8_t* b, uint32_t a, uint32_t n) {
  if (SpaceOf(a) == Space::kNone) return;
  std::lock_guard lock(mutex_);
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t at = 0;
    if (!StepWithinSpace(a, i, &at)) return;
    Location loc = LocationOf(at);
    const OrvendMemorySlot& slot = table_[loc.slot];
    if (slot.image == nullptr || slot.attributes == nullptr) continue;
    slot.image[loc.offset] = b[i];
    slot.attributes[loc.offset] |= kAttrValid;
    NoteValidLocked(loc.slot, loc.offset);
  }
}

void HostMemory::CacheInvalidate(uint32_t a, uint32_t n) {
  if (SpaceOf(a) == Space::kNone) return;
  std::lock_guard lock(mutex_);
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t at = 0;
    if (!StepWithinSpace(a, i, &at)) return;
    if (uint16_t* word = AttributeWordLocked(at)) *word &= static_cast<uint16_t>(~kAttrValid);
  }
}

void HostMemory::InvalidateVolatile() {
  std::lock_guard lock(mutex_);
  static_assert(kSlotSfr == kSlotXdata + 256 && kSlotIram == kSlotSfr + 1);
  for (uint32_t v = 0; v < kVolatileSlots; ++v) {
    MarkedRange& r = marked_[v];
    const OrvendMemorySlot& slot = table_[kSlotXdata + v];
    // Special function registers are 0x80..0xFF of their slot; internal RAM and xdata use all of theirs.
    const uint32_t from = std::max(r.low, kSlotXdata + v == kSlotSfr ? 0x80u : 0u);
    const uint32_t to = std::min(r.high, kSlotXdata + v >= kSlotSfr ? 0x100u : kBankSize);
    if (slot.image != nullptr && slot.attributes != nullptr) {
      for (uint32_t i = from; i < to; ++i) slot.attributes[i] &= static_cast<uint16_t>(~kAttrValid);
    }
    r = {};
  }
}

void HostMemory::FillCodeBank0(uint8_t value) {
  std::lock_guard lock(mutex_);
  if (table_[0].image != nullptr) std::memset(table_[0].image, value, kBankSize);
}

void HostMemory::MarkCodeBank0Valid() {
  std::lock_guard lock(mutex_);
  if (uint16_t* words = table_[0].attributes) {
    for (uint32_t i = 0; i < kBankSize; ++i) words[i] |= kAttrValid;
  }
}

int32_t HostMemory::UpdateAttribute(uint32_t tagged, uint16_t clear, uint16_t set) {
  std::lock_guard lock(mutex_);
  uint16_t* word = AttributeWordLocked(tagged);
  if (word == nullptr) return -1;
  uint16_t before = *word;
  *word = static_cast<uint16_t>((before & ~clear) | set);
  if (set & kAttrValid) {
    Location at = LocationOf(tagged);
    NoteValidLocked(at.slot, at.offset);
  }
  return before;
}

int32_t HostMemory::ReadAttribute(uint32_t tagged) {
  std::lock_guard lock(mutex_);
  uint16_t* word = AttributeWordLocked(tagged);
  return word == nullptr ? -1 : *word;
}

}  // namespace orven::driver
