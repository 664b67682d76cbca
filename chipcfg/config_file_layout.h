// Byte layout of a chip configuration file. All integers little-endian except the check value.
//
//   @0     header (1,577 bytes, below)
//   @1577  item records, header item count of them, back to back
//   @end-2 u16 check value, high byte first (CRC-16/XMODEM of every byte before it)
#pragma once

#include <cstddef>
#include <cstdint>

namespace orven::chipcfg::layout {

// Header.
inline constexpr size_t kMagic = 0;                // @0    u8[4]   "CFG\0"
inline constexpr size_t kVersion = 4;              // @4    u16     format version, 4
inline constexpr size_t kReserved6 = 6;            // @6    u8[2]   not interpreted
inline constexpr size_t kListWidth = 8;            // @8    u16     property list width, pixels
inline constexpr size_t kListHeight = 10;          // @10   u16     property list height, pixels
inline constexpr size_t kNamePercent = 12;         // @12   u16     name column share, percent (15..85 taken)
inline constexpr size_t kReserved14 = 14;          // @14   u8[2]   not interpreted
inline constexpr size_t kChipName = 16;            // @16   u8[145] chip name, zero-terminated, code page text
inline constexpr size_t kItemCount = 161;          // @161  u8      item count N
inline constexpr size_t kReserved162 = 162;        // @162  u8[7]   not interpreted
inline constexpr size_t kCategoryNames = 169;      // @169  u8[5][128] category names, zero-padded
inline constexpr size_t kDefaults = 809;           // @809  u8[32]  default configuration bytes
inline constexpr size_t kReserved841 = 841;        // @841  u8[736] not interpreted
inline constexpr size_t kHeaderSize = 1577;

inline constexpr size_t kChipNameField = 145;
inline constexpr size_t kCategoryCount = 5;
inline constexpr size_t kCategoryField = 128;
inline constexpr size_t kDefaultsSize = 32;
inline constexpr uint16_t kFormatVersion = 4;
inline constexpr size_t kCheckValueSize = 2;
inline constexpr size_t kMinFileSize = kHeaderSize + kCheckValueSize;

static_assert(kChipName + kChipNameField == kItemCount);
static_assert(kReserved162 + 7 == kCategoryNames);
static_assert(kCategoryNames + kCategoryCount * kCategoryField == kDefaults);
static_assert(kDefaults + kDefaultsSize == kReserved841);
static_assert(kReserved841 + 736 == kHeaderSize);
static_assert(kMinFileSize == 1579);

// Item record head; the texts and the value list follow it in this order: name, description, values,
// option text.
inline constexpr size_t kRecReserved = 0;      // @0   u8[4]  not interpreted
inline constexpr size_t kRecKind = 4;          // @4   u8     0 drop-down, 1 check box, 2 number, other plain
inline constexpr size_t kRecCategory = 5;      // @5   u8     category index 0..4
inline constexpr size_t kRecNameLength = 6;    // @6   u16    name length, terminator included (0 = absent)
inline constexpr size_t kRecDescLength = 8;    // @8   u16    description length, terminator included
inline constexpr size_t kRecBitPosition = 10;  // @10  u16    field bit position
inline constexpr size_t kRecBitWidth = 12;     // @12  u8     field width in bits
inline constexpr size_t kRecValueCount = 13;   // @13  u8     value count V
inline constexpr size_t kRecOptionLength = 14; // @14  u16    option text length, terminator included
inline constexpr size_t kRecHeadSize = 16;
static_assert(kRecOptionLength + 2 == kRecHeadSize);

// Limits the editor's text buffers set, in UTF-16 code units after decoding (terminator excluded), and the
// largest stored text.
inline constexpr size_t kMaxNameUnits = 255;
inline constexpr size_t kMaxDescriptionUnits = 255;
inline constexpr size_t kMaxOptionUnits = 5999;
inline constexpr size_t kMaxStoredText = 6004;
inline constexpr size_t kMaxCategoryBytes = kCategoryField - 1;

// The file name part compared with the chip name must fit this many code page bytes.
inline constexpr size_t kMaxFileNameBytes = 31;

}  // namespace orven::chipcfg::layout
