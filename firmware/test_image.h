// Builds a test firmware descriptor: a real version header in front of a recognisable filler that no device
// could run. Test images are only ever written to the simulator or a socket device.
#pragma once

#include <array>

#include "firmware/carried_firmware.h"

namespace orven::firmware {

inline constexpr char kTestImageMarker[] = "ORVEN TEST FIRMWARE IMAGE - NOT FOR PHYSICAL DEVICES";

constexpr std::array<uint8_t, kHeaderSize + kImageSize> MakeTestDescriptor(uint8_t major, uint8_t minor,
                                                                           const uint8_t (&date)[4],
                                                                           uint32_t build, uint32_t seed) {
  std::array<uint8_t, kHeaderSize + kImageSize> d{};
  d[0] = minor;
  d[1] = major;
  for (int i = 0; i < 4; ++i) d[4 + i] = date[i];
  for (int i = 0; i < 4; ++i) d[8 + i] = static_cast<uint8_t>(build >> (8 * i));
  uint32_t x = seed;
  for (uint32_t i = 0; i < kImageSize; ++i) {
    x = x * 1664525u + 1013904223u;
    d[kHeaderSize + i] = static_cast<uint8_t>(x >> 24);
  }
  for (uint32_t i = 0; i + 1 < sizeof kTestImageMarker; ++i) {
    d[kHeaderSize + i] = static_cast<uint8_t>(kTestImageMarker[i]);
  }
  return d;
}

}  // namespace orven::firmware
