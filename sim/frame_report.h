// The reports the device exchanges with the host, seen from the device: the host's command report (optionally
// followed by data reports) and the device's response report (optionally followed by data reports). Offsets are
// into the 64-byte payload that follows the report-id byte of each 65-byte HID report.
#pragma once

#include <cstdint>

#include "link/bytes.h"

namespace orven::sim {

namespace wire {
inline constexpr uint32_t kReportBytes = 65;   // report id 0, then the payload
inline constexpr uint32_t kPayloadBytes = 64;
inline constexpr uint8_t kCommandMarker = 0x58;   // 'X'
inline constexpr uint8_t kResponseMarker = 0x5A;  // 'Z'
inline constexpr uint8_t kDataMarker = 0xA5;
inline constexpr uint8_t kNoDataFollows = 0x80;   // command byte 3: no data reports after this one
inline constexpr uint32_t kBytesPerDataReport = 62;
inline constexpr uint32_t kExtraOffset = 12;
inline constexpr uint32_t kExtraBytes = 52;
}  // namespace wire

// One command or response report payload.
//   command:   @0 u8 0x58  @1 u8 0 (reserved)  @2 u8 code  @3 u8 data flag (0x80 = none follow, 0 = they follow)
//              @4 u32 address field  @8 u32 length field  @12 u8[52] extra bytes, 0 where the command names none
//   response:  @0 u8 0x5A  @1 u8 (not examined)  @2 u8 code answered  @3 u8 status (0 = success)
//              @4 u32 reply value  @8 u32 data bytes that follow (0 = none)  @12 u8[52] result bytes
//   data:      @0 u8 0xA5  @1 u8 sequence number from 0  @2 u8[62] bytes 62*seq .. 62*seq+61 of the block
struct FrameReport {
  uint8_t bytes[wire::kPayloadBytes] = {};

  uint8_t Marker() const { return bytes[0]; }
  uint8_t Reserved() const { return bytes[1]; }
  uint8_t Code() const { return bytes[2]; }
  uint8_t Flag() const { return bytes[3]; }    // command: data flag
  uint8_t Status() const { return bytes[3]; }  // response: status
  uint32_t Argument() const { return GetU32Le(bytes + 4); }  // command: address field
  uint32_t Result() const { return GetU32Le(bytes + 4); }    // response: reply value
  uint32_t Length() const { return GetU32Le(bytes + 8); }
  const uint8_t* Params() const { return bytes + wire::kExtraOffset; }
  uint8_t* Params() { return bytes + wire::kExtraOffset; }

  void SetStatus(uint8_t status) { bytes[3] = status; }
  void SetArgument(uint32_t v) { PutU32Le(bytes + 4, v); }
  void SetLength(uint32_t v) { PutU32Le(bytes + 8, v); }
};
static_assert(sizeof(FrameReport) == wire::kPayloadBytes);

}  // namespace orven::sim
