// The host's memory image as the driver sees it: 514 slots of image bytes and attribute words that the host
// fills during initialisation, the tagged addresses that index them, and the cache rules over them.
//
// Tagged address: top byte 0x01 xdata (low 16 bits, bits 16-23 the segment), 0xFE pdata (low 8 bits, in
// xdata segment bits 16-23), 0xF0 direct data (0x00-0x7F internal RAM, 0x80-0xFF special function registers),
// 0xF3 idata (low 8 bits), 0xFF code (low 16 bits, bits 16-23 the bank). Other top bytes name no memory.
#pragma once

#include <cstdint>
#include <mutex>

#include "orvend/orvend.h"

namespace orven::driver {

enum class Space { kXdata, kPdata, kData, kIdata, kCode, kNone };

inline constexpr uint32_t kTagXdata = 0x01000000;
inline constexpr uint32_t kTagPdata = 0xFE000000;
inline constexpr uint32_t kTagData = 0xF0000000;
inline constexpr uint32_t kTagIdata = 0xF3000000;
inline constexpr uint32_t kTagCode = 0xFF000000;

Space SpaceOf(uint32_t tagged);
// Bits of the address within its space: 16 for code and xdata, 8 for pdata, data and idata, 16 otherwise.
uint32_t SpaceMask(uint32_t tagged);

struct Location {
  uint32_t slot;    // 0..513
  uint32_t offset;  // into the slot's arrays
};
// Slot 256 + segment for xdata and pdata, 512 for special function registers, 513 for internal RAM (direct
// below 0x80 and idata share it), bits 16-23 for code and everything else.
Location LocationOf(uint32_t tagged);

// Tagged address of the byte `index` places after `tagged`, staying inside the space: false when that byte
// lies beyond the space's end (an address never carries into the bank or the tag).
bool StepWithinSpace(uint32_t tagged, uint32_t index, uint32_t* out);

inline constexpr uint16_t kAttrValid = 0x8000;
inline constexpr uint16_t kAttrBpEnabled = 0x0008;
inline constexpr uint16_t kAttrBpDisabled = 0x0040;
inline constexpr uint16_t kAttrBpQuery = 0x0058;

class HostMemory {
 public:
  HostMemory() { MarkAllVolatileLocked(); }

  // The 514 slots the host fills on callback code 12. Owned here; the arrays they point to are the host's.
  // The next InvalidateVolatile then clears every volatile word of the new arrays once.
  OrvendMemorySlot* Table();
  // Drops every slot, so nothing is written through arrays the host may have freed after a shutdown.
  void Forget();

  // Attribute word of a tagged address, or null when its slot has no attribute array.
  uint16_t* AttributeWord(uint32_t tagged);

  // Code only: copies n valid image bytes into b; false at the first byte not valid (the copied ones stay).
  // False for the data spaces, which are always read from the target.
  bool CacheRead(uint8_t* b, uint32_t a, uint32_t n);
  // Stores n bytes at a into the image and marks them valid (only within a's space; no-space tags: nothing).
  void CacheStore(const uint8_t* b, uint32_t a, uint32_t n);
  // Clears the valid mark of n bytes at a (within a's space).
  void CacheInvalidate(uint32_t a, uint32_t n);
  // After every step and run: xdata, special function registers and internal RAM are no longer known.
  void InvalidateVolatile();
  // Code bank 0 image := value (marks untouched): initialisation and the start of a program load.
  void FillCodeBank0(uint8_t value);
  // The end of a program load: all of code bank 0 is valid.
  void MarkCodeBank0Valid();
  // Changes the attribute word of a tagged address under the cache lock: word := (word & ~clear) | set.
  // Returns the word before the change, or -1 when the address has no attribute word.
  int32_t UpdateAttribute(uint32_t tagged, uint16_t clear, uint16_t set);
  // The word, or -1 when the address has none.
  int32_t ReadAttribute(uint32_t tagged);

 private:
  // Words of a volatile slot (xdata segments, special function registers, internal RAM) that may carry a valid
  // mark: [low, high). Only they are cleared after a step, so a step costs what the host looked at since the
  // last one, not the 64K words of every xdata segment the host has bound.
  struct MarkedRange {
    uint32_t low = 0;
    uint32_t high = 0;
  };
  static constexpr uint32_t kVolatileSlots = 258;  // 256 xdata segments, then the SFR and internal RAM slots

  uint16_t* AttributeWordLocked(uint32_t tagged);
  void NoteValidLocked(uint32_t slot, uint32_t offset);
  void MarkAllVolatileLocked();

  std::mutex mutex_;  // the go thread and the stop thread both clear valid marks
  OrvendMemorySlot table_[ORVEND_MEMORY_SLOTS] = {};
  MarkedRange marked_[kVolatileSlots];
};

}  // namespace orven::driver
