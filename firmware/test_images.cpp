// Test images, built when no real firmware directory is given: the real version headers in front of a
// recognisable filler that no programmer could run.
#include <array>

#include "firmware/carried_firmware.h"

namespace orven::firmware {
namespace {

constexpr char kMarker[] = "ORVEN TEST FIRMWARE IMAGE - NOT FOR PHYSICAL DEVICES";

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
  for (uint32_t i = 0; i + 1 < sizeof kMarker; ++i) d[kHeaderSize + i] = static_cast<uint8_t>(kMarker[i]);
  return d;
}

constexpr uint8_t kQx410Date[4] = {0x24, 0x12, 0x12, 0x20};   // 2012-12-24
constexpr uint8_t kOrvenfDate[4] = {0x20, 0x11, 0x12, 0x20};  // 2012-11-20
constexpr auto kQx410 = MakeTestDescriptor(2, 0x07, kQx410Date, 571, 0x5295);
constexpr auto kOrvenf = MakeTestDescriptor(1, 0x06, kOrvenfDate, 656, 0x520D);

}  // namespace

const FirmwareDescriptor& Qx410Firmware() {
  static const FirmwareDescriptor d{kQx410.data(), true};
  return d;
}

const FirmwareDescriptor& OrvenfFirmware() {
  static const FirmwareDescriptor d{kOrvenf.data(), true};
  return d;
}

}  // namespace orven::firmware
