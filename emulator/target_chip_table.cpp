#include "emulator/target_chip_table.h"

#include <cstring>

namespace orven::emulator {

namespace {

struct Signature {
  uint8_t b[4];
};

// Lays out one 58-byte entry. The parameter-block bytes not set here (1, 10-14, 17-23) are 0 for every chip
// the emulator knows; the firmware interprets the block, the host only reads the algorithm and the capacity.
constexpr TargetChipEntry Entry(std::string_view name, uint16_t vendor, uint8_t algorithm, Signature signature,
                                uint32_t capacity, uint8_t byte15, uint8_t byte16) {
  TargetChipEntry e{};
  // @0 char[32] name, NUL-padded
  for (size_t i = 0; i < name.size() && i < 32; ++i) e.bytes[i] = static_cast<uint8_t>(name[i]);
  // @32 u16le vendor index
  e.bytes[32] = static_cast<uint8_t>(vendor);
  e.bytes[33] = static_cast<uint8_t>(vendor >> 8);
  uint8_t* block = e.bytes + 34;
  // @34+0 u8 programming algorithm code
  block[0] = algorithm;
  // @34+2 u8[4] signature
  for (size_t i = 0; i < 4; ++i) block[2 + i] = signature.b[i];
  // @34+6 u32le flash capacity in bytes
  for (size_t i = 0; i < 4; ++i) block[6 + i] = static_cast<uint8_t>(capacity >> (8 * i));
  // @34+15, @34+16 u8 chip flags carried to the firmware
  block[15] = byte15;
  block[16] = byte16;
  return e;
}

constexpr uint16_t kAtmel = 0;
constexpr uint16_t kNxp = 1;
constexpr uint16_t kStc = 2;
constexpr uint16_t kNuvoton = 3;
constexpr Signature kNoSignature{{0, 0, 0, 0}};

constexpr std::array<TargetChipEntry, kTargetChipCount> kTable{{
    Entry("AT89S51 [ZIF]", kAtmel, 0, {{0x1E, 0x51, 0x06, 0x00}}, 0x1000, 1, 0),
    Entry("AT89S52 [ZIF]", kAtmel, 0, {{0x1E, 0x52, 0x06, 0x00}}, 0x2000, 1, 0),
    Entry("AT89S53 [ZIF]", kAtmel, 8, kNoSignature, 0x3000, 0, 0),
    Entry("AT89S8252 [ZIF]", kAtmel, 8, kNoSignature, 0x2000, 0, 0),
    Entry("AT89C51ED2 [ZIF]", kAtmel, 7, {{0x58, 0xD7, 0xEC, 0xEF}}, 0x10000, 0, 0),
    Entry("AT89C51RD2 [ZIF]", kAtmel, 7, {{0x58, 0xD7, 0xEC, 0xFF}}, 0x10000, 0, 0),
    Entry("AT89S51 [ISP]", kAtmel, 0, {{0x1E, 0x51, 0x06, 0x00}}, 0x1000, 0, 0),
    Entry("AT89S52 [ISP]", kAtmel, 0, {{0x1E, 0x52, 0x06, 0x00}}, 0x2000, 0, 0),
    Entry("AT89S53 [ISP]", kAtmel, 8, kNoSignature, 0x3000, 0, 0),
    Entry("AT89S8252 [ISP]", kAtmel, 8, kNoSignature, 0x2000, 0, 0),
    Entry("P89V51RB2  [ZIF]", kNxp, 5, kNoSignature, 0x4000, 0, 0),  // two spaces, as the chip list has it
    Entry("P89V51RC2 [ZIF]", kNxp, 5, kNoSignature, 0x8000, 0, 0),
    Entry("P89V51RD2 [ZIF]", kNxp, 5, kNoSignature, 0x10000, 0, 0),
    Entry("STC12C5A8S2 [ZIF]", kStc, 4, {{0xD1, 0x64, 0x00, 0x00}}, 0x2000, 0, 0),
    Entry("STC12C5A16S2 [ZIF]", kStc, 4, {{0xD1, 0x68, 0x00, 0x00}}, 0x4000, 0, 0),
    Entry("STC12C5A32S2 [ZIF]", kStc, 4, {{0xD1, 0x70, 0x00, 0x00}}, 0x8000, 0, 0),
    Entry("STC12C5A40S2 [ZIF]", kStc, 4, {{0xD1, 0x74, 0x00, 0x00}}, 0xA000, 0, 0),
    Entry("STC12C5A48S2 [ZIF]", kStc, 4, {{0xD1, 0x78, 0x00, 0x00}}, 0xC000, 0, 0),
    Entry("STC12C5A52S2 [ZIF]", kStc, 4, {{0xD1, 0x7A, 0x00, 0x00}}, 0xD000, 0, 0),
    Entry("STC12C5A56S2 [ZIF]", kStc, 4, {{0xD1, 0x7C, 0x00, 0x00}}, 0xE000, 0, 0),
    Entry("STC12C5A60S2 [ZIF]", kStc, 4, {{0xD1, 0x7E, 0x00, 0x00}}, 0xF000, 0, 0),
    Entry("W78E052D [ZIF]", kNuvoton, 2, kNoSignature, 0x2000, 0, 0),
    Entry("W78E054D [ZIF]", kNuvoton, 2, kNoSignature, 0x3800, 0, 0),
    Entry("W78E058D [ZIF]", kNuvoton, 2, kNoSignature, 0x8000, 0, 1),
    Entry("W78E516D [ZIF]", kNuvoton, 2, kNoSignature, 0x10000, 0, 1),
}};

// Every vendor index names a vendor, and a vendor's chips stand together (the V/C options count positions
// from the vendor's first entry).
constexpr bool VendorsGrouped() {
  for (size_t i = 0; i < kTable.size(); ++i) {
    const uint16_t v = static_cast<uint16_t>(kTable[i].bytes[32] | (kTable[i].bytes[33] << 8));
    if (v >= kChipVendorCount) return false;
    if (i > 0) {
      const uint16_t prev = static_cast<uint16_t>(kTable[i - 1].bytes[32] | (kTable[i - 1].bytes[33] << 8));
      if (v < prev) return false;
    }
  }
  return true;
}
static_assert(VendorsGrouped());

}  // namespace

const std::array<const char*, kChipVendorCount + 1> ChipVendorNames{"ATMEL", "NXP", "STC", "NUVOTON(WINBOND)",
                                                                    nullptr};

const std::array<TargetChipEntry, kTargetChipCount> TargetChipTable = kTable;

std::string_view TargetChipEntry::Name() const {
  const char* text = reinterpret_cast<const char*>(bytes);
  const void* nul = std::memchr(text, 0, 32);
  return {text, nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : size_t{32}};
}

ChipParameterBlock TargetChipEntry::ParameterBlock() const {
  ChipParameterBlock block{};
  std::memcpy(block.bytes, bytes + 34, sizeof block.bytes);
  return block;
}

std::string_view ChipVendorName(int32_t vendor) {
  if (vendor < 0 || vendor >= static_cast<int32_t>(kChipVendorCount)) return {};
  return ChipVendorNames[static_cast<size_t>(vendor)];
}

int32_t FirstChipOfVendor(int32_t vendor) {
  for (size_t i = 0; i < TargetChipTable.size(); ++i) {
    if (TargetChipTable[i].VendorIndex() == vendor) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t VendorChipCount(int32_t vendor) {
  int32_t count = 0;
  for (const TargetChipEntry& e : TargetChipTable) {
    if (e.VendorIndex() == vendor) ++count;
  }
  return count;
}

int32_t ChipIndexOf(int32_t vendor, int32_t position) {
  const int32_t first = FirstChipOfVendor(vendor);
  if (first < 0 || position < 0 || position >= VendorChipCount(vendor)) return -1;
  return first + position;
}

std::vector<int32_t> VendorChips(int32_t vendor) {
  std::vector<int32_t> chips;
  for (size_t i = 0; i < TargetChipTable.size(); ++i) {
    if (TargetChipTable[i].VendorIndex() == vendor) chips.push_back(static_cast<int32_t>(i));
  }
  return chips;
}

}  // namespace orven::emulator
