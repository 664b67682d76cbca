// The 40-byte identity a programmer or emulator returns for Identify (command 0).
#pragma once

#include <cstdint>
#include <string>

#include "link/bytes.h"

namespace orven {

inline constexpr uint16_t kModelQx410 = 0x5295;
inline constexpr uint16_t kModelOrvenf = 0x520D;

struct IdentificationBlock {
  // @0  u16   model word: 0x5295 (QX410) or 0x520D (ORVENF)
  // @2  u8[14] not interpreted
  // @16 u8    firmware major version
  // @17 u8    firmware minor version (shown as two hex digits)
  // @18 u8[6] not interpreted
  // @24 u32   firmware build number; 0 = the firmware must be updated
  // @28 u8[4] not interpreted
  // @32 u8[4] serial (product) number, shown byte by byte in stored order
  // @36 u8[4] not interpreted
  uint8_t bytes[40] = {};

  uint16_t ModelWord() const { return GetU16Le(bytes); }
  uint8_t Major() const { return bytes[16]; }
  uint8_t Minor() const { return bytes[17]; }
  uint32_t Build() const { return GetU32Le(bytes + 24); }
  const uint8_t* Serial() const { return bytes + 32; }

  void SetModelWord(uint16_t v) { PutU16Le(bytes, v); }
  void SetVersion(uint8_t major, uint8_t minor, uint32_t build) {
    bytes[16] = major;
    bytes[17] = minor;
    PutU32Le(bytes + 24, build);
  }
  void SetSerial(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    bytes[32] = a;
    bytes[33] = b;
    bytes[34] = c;
    bytes[35] = d;
  }

  // " V2.07(B571)": major, the minor as two hex digits, the build.
  std::string VersionText() const;
  // " 01AB007F": the serial bytes in stored order.
  std::string SerialText() const;
};
static_assert(sizeof(IdentificationBlock) == 40);

}  // namespace orven
