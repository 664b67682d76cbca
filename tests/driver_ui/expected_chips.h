// The 25 target chips as the emulator/programmer knows them, typed here independently of the driver's table:
// name, vendor, programming algorithm, signature, flash capacity and the two flag bytes of the parameter block.
#pragma once

#include <array>
#include <cstdint>

namespace orven::testing {

struct ExpectedChip {
  const char* name;
  uint16_t vendor;
  uint8_t algorithm;                 // parameter block byte 0
  std::array<uint8_t, 4> signature;  // bytes 2 to 5
  uint32_t capacity;                 // bytes 6 to 9
  uint8_t byte15;
  uint8_t byte16;
};

inline constexpr std::array<const char*, 4> kExpectedVendors = {"ATMEL", "NXP", "STC", "NUVOTON(WINBOND)"};

inline constexpr std::array<ExpectedChip, 25> kExpectedChips = {{
    {"AT89S51 [ZIF]", 0, 0, {0x1E, 0x51, 0x06, 0x00}, 0x1000, 1, 0},
    {"AT89S52 [ZIF]", 0, 0, {0x1E, 0x52, 0x06, 0x00}, 0x2000, 1, 0},
    {"AT89S53 [ZIF]", 0, 8, {0, 0, 0, 0}, 0x3000, 0, 0},
    {"AT89S8252 [ZIF]", 0, 8, {0, 0, 0, 0}, 0x2000, 0, 0},
    {"AT89C51ED2 [ZIF]", 0, 7, {0x58, 0xD7, 0xEC, 0xEF}, 0x10000, 0, 0},
    {"AT89C51RD2 [ZIF]", 0, 7, {0x58, 0xD7, 0xEC, 0xFF}, 0x10000, 0, 0},
    {"AT89S51 [ISP]", 0, 0, {0x1E, 0x51, 0x06, 0x00}, 0x1000, 0, 0},
    {"AT89S52 [ISP]", 0, 0, {0x1E, 0x52, 0x06, 0x00}, 0x2000, 0, 0},
    {"AT89S53 [ISP]", 0, 8, {0, 0, 0, 0}, 0x3000, 0, 0},
    {"AT89S8252 [ISP]", 0, 8, {0, 0, 0, 0}, 0x2000, 0, 0},
    {"P89V51RB2  [ZIF]", 1, 5, {0, 0, 0, 0}, 0x4000, 0, 0},
    {"P89V51RC2 [ZIF]", 1, 5, {0, 0, 0, 0}, 0x8000, 0, 0},
    {"P89V51RD2 [ZIF]", 1, 5, {0, 0, 0, 0}, 0x10000, 0, 0},
    {"STC12C5A8S2 [ZIF]", 2, 4, {0xD1, 0x64, 0, 0}, 0x2000, 0, 0},
    {"STC12C5A16S2 [ZIF]", 2, 4, {0xD1, 0x68, 0, 0}, 0x4000, 0, 0},
    {"STC12C5A32S2 [ZIF]", 2, 4, {0xD1, 0x70, 0, 0}, 0x8000, 0, 0},
    {"STC12C5A40S2 [ZIF]", 2, 4, {0xD1, 0x74, 0, 0}, 0xA000, 0, 0},
    {"STC12C5A48S2 [ZIF]", 2, 4, {0xD1, 0x78, 0, 0}, 0xC000, 0, 0},
    {"STC12C5A52S2 [ZIF]", 2, 4, {0xD1, 0x7A, 0, 0}, 0xD000, 0, 0},
    {"STC12C5A56S2 [ZIF]", 2, 4, {0xD1, 0x7C, 0, 0}, 0xE000, 0, 0},
    {"STC12C5A60S2 [ZIF]", 2, 4, {0xD1, 0x7E, 0, 0}, 0xF000, 0, 0},
    {"W78E052D [ZIF]", 3, 2, {0, 0, 0, 0}, 0x2000, 0, 0},
    {"W78E054D [ZIF]", 3, 2, {0, 0, 0, 0}, 0x3800, 0, 0},
    {"W78E058D [ZIF]", 3, 2, {0, 0, 0, 0}, 0x8000, 0, 1},
    {"W78E516D [ZIF]", 3, 2, {0, 0, 0, 0}, 0x10000, 0, 1},
}};

}  // namespace orven::testing
