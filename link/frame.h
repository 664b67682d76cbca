// The command frame: every exchange is one command (a command report, optionally followed by data reports) and
// at most one response (a response report, optionally followed by data reports). Offsets are into the 64-byte
// payload of a report.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>

#include "link/bytes.h"
#include "link/hid.h"

namespace orven::link {

inline constexpr uint8_t kCommandMarker = 0x58;   // 'X'
inline constexpr uint8_t kResponseMarker = 0x5A;  // 'Z'
inline constexpr uint8_t kDataMarker = 0xA5;
inline constexpr uint8_t kNoDataFlag = 0x80;
inline constexpr uint32_t kDataPerReport = 62;
inline constexpr uint32_t kDataReportTimeoutMs = 500;

// A command or response report payload.
//   command:  @0 u8 marker 0x58  @1 u8 0  @2 u8 code  @3 u8 data flag (0x80 = no data reports follow)
//             @4 u32 argument  @8 u32 length  @12 u8[52] parameters
//   response: @0 u8 marker 0x5A  @1 u8 -  @2 u8 code  @3 u8 status (0 = success)
//             @4 u32 result    @8 u32 length (data bytes that follow; 0 = none)  @12 u8[52] result parameters
//   data:     @0 u8 marker 0xA5  @1 u8 sequence number  @2 u8[62] bytes 62*seq .. 62*seq+61 of the block
struct FrameReport {
  uint8_t bytes[kPayloadLength] = {};

  static constexpr uint32_t kParamsOffset = 12;
  static constexpr uint32_t kParamsLength = 52;

  static FrameReport Command(uint8_t code, uint32_t argument = 0, uint32_t length = 0) {
    FrameReport r;
    r.bytes[2] = code;
    r.SetArgument(argument);
    r.SetLength(length);
    return r;
  }

  uint8_t Marker() const { return bytes[0]; }
  uint8_t Code() const { return bytes[2]; }
  uint8_t Flag() const { return bytes[3]; }    // command: data flag
  uint8_t Status() const { return bytes[3]; }  // response: status
  uint32_t Argument() const { return GetU32Le(bytes + 4); }  // command argument / response result
  uint32_t Result() const { return GetU32Le(bytes + 4); }
  uint32_t Length() const { return GetU32Le(bytes + 8); }
  const uint8_t* Params() const { return bytes + kParamsOffset; }
  uint8_t* Params() { return bytes + kParamsOffset; }

  void SetArgument(uint32_t v) { PutU32Le(bytes + 4, v); }
  void SetLength(uint32_t v) { PutU32Le(bytes + 8, v); }
  // Copies n bytes (clipped to the 52 parameter bytes) into the parameters at offset 12.
  void SetParams(const void* data, uint32_t n) {
    std::memcpy(bytes + kParamsOffset, data, n < kParamsLength ? n : kParamsLength);
  }
};
static_assert(sizeof(FrameReport) == kPayloadLength);

// Which side of the system uses the frame: the programmer (TORMIK) accepts a response without data only with
// status 0; the emulator side (ORVEND) accepts any status and reports malformed responses to the user.
enum class FrameFlavour { kProgrammer, kEmulator };

// Why the last exchange failed; for tests and diagnostics.
enum class FrameError {
  kNone,
  kWriteFailed,      // a command or data report could not be written
  kNoResponse,       // the response report did not arrive in time
  kBadMarker,        // response report without 0x5A
  kWrongCode,        // response to another command
  kRefused,          // programmer side: no data and a non-zero status
  kDataMissing,      // a data report did not arrive in time
  kDataBadMarker,    // a data report without 0xA5
  kDataOutOfRange,   // a sequence number at or past the announced length, or repeated
  kLengthTooLarge,   // announced length larger than the destination
};

class CommandFrame {
 public:
  // The link is borrowed and must outlive the frame.
  CommandFrame(CHid& hid, FrameFlavour flavour) : hid_(hid), flavour_(flavour) {}

  // Sends the command: purges the link, sets marker, data flag and (with data) the length field, writes the
  // command report and one data report per 62 bytes. False at the first failed write.
  bool SendCommand(FrameReport& command, const uint8_t* data, uint32_t length);

  // Receives the response to expectedCode into response and its data (if any) into dest, which holds
  // destCapacity bytes. Data reports are placed by sequence number. Nothing is ever written past the announced
  // length or past destCapacity. False when the response is rejected (see LastError).
  bool ReceiveResponse(FrameReport& response, uint8_t* dest, uint32_t destCapacity, uint8_t expectedCode,
                       uint32_t timeoutMs);

  FrameError LastError() const { return lastError_; }

  // Emulator side: called with the message to show when a response arrived malformed (not when none arrived).
  void SetCommErrorHandler(std::function<void(const char* message)> handler) { onCommError_ = std::move(handler); }

 private:
  bool Reject(FrameError error);

  CHid& hid_;
  FrameFlavour flavour_;
  FrameError lastError_ = FrameError::kNone;
  std::function<void(const char*)> onCommError_;
};

}  // namespace orven::link
