#include "emulator/target_chip_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/driver_ui/expected_chips.h"

namespace orven::emulator {
namespace {

std::vector<uint8_t> EntryBytes(size_t index) {
  const uint8_t* p = TargetChipTable[index].bytes;
  return {p, p + 58};
}

std::vector<uint8_t> Expected(const char* name, std::initializer_list<uint8_t> tail) {
  std::vector<uint8_t> bytes(58, 0);
  std::memcpy(bytes.data(), name, std::strlen(name));
  size_t at = 32;
  for (uint8_t b : tail) bytes.at(at++) = b;
  return bytes;
}

// Entries as the emulator receives them: name, vendor word, then the 24-byte parameter block.
TEST(TargetChipTable, EntriesByteForByte) {
  EXPECT_EQ(EntryBytes(0), Expected("AT89S51 [ZIF]", {0x00, 0x00,                                   // vendor
                                                      0x00, 0x00, 0x1E, 0x51, 0x06, 0x00,            // algo, sig
                                                      0x00, 0x10, 0x00, 0x00,                        // capacity
                                                      0, 0, 0, 0, 0, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EntryBytes(10), Expected("P89V51RB2  [ZIF]", {0x01, 0x00,
                                                         0x05, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                         0x00, 0x40, 0x00, 0x00,
                                                         0, 0, 0, 0, 0, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EntryBytes(5), Expected("AT89C51RD2 [ZIF]", {0x00, 0x00,
                                                        0x07, 0x00, 0x58, 0xD7, 0xEC, 0xFF,
                                                        0x00, 0x00, 0x01, 0x00,
                                                        0, 0, 0, 0, 0, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EntryBytes(20), Expected("STC12C5A60S2 [ZIF]", {0x02, 0x00,
                                                           0x04, 0x00, 0xD1, 0x7E, 0x00, 0x00,
                                                           0x00, 0xF0, 0x00, 0x00,
                                                           0, 0, 0, 0, 0, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EntryBytes(24), Expected("W78E516D [ZIF]", {0x03, 0x00,
                                                       0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                       0x00, 0x00, 0x01, 0x00,
                                                       0, 0, 0, 0, 0, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0}));
}

// Every entry, built byte by byte from the independently typed list: name padded with NULs to 32 bytes, the
// vendor word, then the parameter block (algorithm, 0, signature, capacity, zeros, bytes 15 and 16, zeros).
TEST(TargetChipTable, AllEntriesByteForByte) {
  for (size_t i = 0; i < testing::kExpectedChips.size(); ++i) {
    const testing::ExpectedChip& chip = testing::kExpectedChips[i];
    SCOPED_TRACE(std::to_string(i) + " " + chip.name);
    std::vector<uint8_t> bytes(58, 0);
    std::memcpy(bytes.data(), chip.name, std::strlen(chip.name));
    bytes[32] = static_cast<uint8_t>(chip.vendor);
    bytes[33] = static_cast<uint8_t>(chip.vendor >> 8);
    uint8_t* block = bytes.data() + 34;
    block[0] = chip.algorithm;
    std::memcpy(block + 2, chip.signature.data(), 4);
    for (int b = 0; b < 4; ++b) block[6 + b] = static_cast<uint8_t>(chip.capacity >> (8 * b));
    block[15] = chip.byte15;
    block[16] = chip.byte16;
    EXPECT_EQ(EntryBytes(i), bytes);
  }
  EXPECT_EQ(TargetChipTable.size(), testing::kExpectedChips.size());
  for (size_t v = 0; v < testing::kExpectedVendors.size(); ++v) {
    EXPECT_EQ(ChipVendorNames[v], std::string(testing::kExpectedVendors[v]));
  }
}

TEST(TargetChipTable, AccessorsReadTheLayout) {
  const TargetChipEntry& zif = TargetChipTable[0];
  EXPECT_EQ(zif.Name(), "AT89S51 [ZIF]");
  EXPECT_EQ(zif.Capacity(), 0x1000u);
  EXPECT_EQ(zif.ParameterBlock().FlashSize(), 0x1000u);
  EXPECT_EQ(zif.ParameterBlock().bytes[15], 1);
  EXPECT_EQ(TargetChipTable[22].Capacity(), 0x3800u);
  EXPECT_EQ(TargetChipTable[13].AlgorithmCode(), 4);
  EXPECT_EQ(TargetChipTable[10].Name(), "P89V51RB2  [ZIF]");
}

TEST(TargetChipTable, VendorsAndTheirChips) {
  struct Case {
    int32_t vendor;
    const char* name;
    int32_t first;
    int32_t count;
  };
  for (const Case& c : {Case{0, "ATMEL", 0, 10}, Case{1, "NXP", 10, 3}, Case{2, "STC", 13, 8},
                        Case{3, "NUVOTON(WINBOND)", 21, 4}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ChipVendorName(c.vendor), c.name);
    EXPECT_EQ(FirstChipOfVendor(c.vendor), c.first);
    EXPECT_EQ(VendorChipCount(c.vendor), c.count);
    const std::vector<int32_t> chips = VendorChips(c.vendor);
    ASSERT_EQ(static_cast<int32_t>(chips.size()), c.count);
    for (int32_t i = 0; i < c.count; ++i) {
      EXPECT_EQ(chips[static_cast<size_t>(i)], c.first + i);
      EXPECT_EQ(TargetChipTable[static_cast<size_t>(chips[static_cast<size_t>(i)])].VendorIndex(), c.vendor);
    }
  }
  EXPECT_EQ(ChipVendorNames[4], nullptr);
}

// A position past the vendor's last chip never slides into the next vendor's chips.
TEST(TargetChipTable, ChipIndexStaysWithinTheVendor) {
  EXPECT_EQ(ChipIndexOf(2, 0), 13);
  EXPECT_EQ(ChipIndexOf(2, 7), 20);
  EXPECT_EQ(ChipIndexOf(2, 8), -1);
  EXPECT_EQ(ChipIndexOf(1, 3), -1);
  EXPECT_EQ(ChipIndexOf(3, 3), 24);
  EXPECT_EQ(ChipIndexOf(3, 4), -1);
  EXPECT_EQ(ChipIndexOf(0, -1), -1);
  EXPECT_EQ(ChipIndexOf(4, 0), -1);
  EXPECT_EQ(ChipIndexOf(-1, 0), -1);
  EXPECT_TRUE(ChipVendorName(4).empty());
  EXPECT_TRUE(ChipVendorName(-1).empty());
  EXPECT_TRUE(VendorChips(7).empty());
}

}  // namespace
}  // namespace orven::emulator
