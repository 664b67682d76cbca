// The firmware the host carries: one descriptor per programmer model for TORMIK, and the emulator firmware the
// debugger driver carries. Each is
//   @0 u8 minor  @1 u8 major  @2 u16 0  @4 u8[4] release date, BCD, day month year-low year-high
//   @8 u32 build  @12 u8[65536] firmware image, sent to the programmer byte for byte
#pragma once

#include <cstdint>

#include "link/bytes.h"

namespace orven::firmware {

inline constexpr uint32_t kHeaderSize = 12;
inline constexpr uint32_t kImageSize = 65536;

struct FirmwareDescriptor {
  const uint8_t* bytes;  // kHeaderSize + kImageSize bytes
  // A build without the real images carries test images with the real headers. They must never reach a
  // physical programmer; the simulator takes them.
  bool isTestImage;

  uint8_t Minor() const { return bytes[0]; }
  uint8_t Major() const { return bytes[1]; }
  uint32_t Build() const { return GetU32Le(bytes + 8); }
  const uint8_t* Date() const { return bytes + 4; }
  const uint8_t* Image() const { return bytes + kHeaderSize; }
};

const FirmwareDescriptor& Qx410Firmware();
const FirmwareDescriptor& OrvenfFirmware();
// The descriptor for the model word the device reports: 0x520D → ORVENF, anything else → QX410.
const FirmwareDescriptor& CarriedFirmware(uint16_t modelWord);

// The emulator firmware the debugger driver carries (version 2.06, build 563). The driver sends its image
// unchanged and never reads the header; the header is there for the simulator and for people.
const FirmwareDescriptor& EmulatorFirmware();

}  // namespace orven::firmware
