// Serial-number stamps: a number written into each chip's image at a fixed address before it is programmed,
// one number per chip, counted up by a step from chip to chip.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orven::app {

enum class StampFormat {
  kLe,     // binary, least significant byte first
  kBe,     // binary, most significant byte first
  kBcd,    // packed BCD, two digits a byte, most significant digits first
  kAscii,  // decimal digits, zero-padded, most significant first
};

struct StampSpec {
  uint32_t address = 0;  // chip address of the first byte
  uint32_t bytes = 0;    // how many bytes the number takes
  uint64_t start = 1;    // the first number given out
  uint64_t step = 1;     // added from chip to chip (at least 1)
  StampFormat format = StampFormat::kLe;
};

// Parses "ADDR:BYTES[:START[:STEP]][:le|be|bcd|ascii]" as typed on the command line. ADDR and the numbers are
// decimal, or hexadecimal with 0x. BYTES is 1..8 for le and be, 1..10 for bcd, 1..20 for ascii; START must fit
// in BYTES. The text is at most kMaxStampSpec characters. On false, *error says why in one line.
inline constexpr size_t kMaxStampSpec = 96;
bool ParseStampSpec(std::string_view text, StampSpec* spec, std::string* error);

// The largest number the stamp's bytes hold in its format.
uint64_t StampMax(const StampSpec& spec);

// Writes number into dest (spec.bytes bytes) in the stamp's format. False, with dest untouched, when the
// number does not fit.
bool EncodeStamp(const StampSpec& spec, uint64_t number, uint8_t* dest);

}  // namespace orven::app
