// CHid: the report link to the programmer/emulator. Every transfer in either direction is one 65-byte report:
// byte 0 the report id (0), bytes 1..64 the payload.
#pragma once

#include <cstdint>
#include <memory>

#include "link/hid_backend.h"

namespace orven::link {

inline constexpr uint16_t kVendorId = 0x1A7C;
inline constexpr uint16_t kProductQx410 = 0x5120;
inline constexpr uint16_t kProductOrvenf = 0x5121;
inline constexpr uint32_t kReportLength = 65;
inline constexpr uint32_t kPayloadLength = 64;
inline constexpr uint32_t kWriteTimeoutMs = 500;

class CHid {
 public:
  // The backend is borrowed and must outlive the link. The link starts closed.
  explicit CHid(HidBackend& backend);
  ~CHid();
  CHid(const CHid&) = delete;
  CHid& operator=(const CHid&) = delete;

  // Opens the first present device of vendor 0x1A7C whose product id is productId, or any product of the vendor
  // when productId is 0. True exactly when a device matched. A handle still open is closed first.
  bool OpenDevice(uint16_t productId);
  // Opens the first present device whose ids are both exactly the given ones.
  bool OpenDevice(uint16_t vendorId, uint16_t productId);
  // Cancels pending transfers and closes the device if open; always clears the connected flag.
  void CloseDevice();

  // Reads one input report (report id in byte 0); *count receives the byte count (0 on failure).
  bool ReadReport(uint8_t* buffer, uint32_t* count, uint32_t timeoutMs, uint32_t length = kReportLength);
  // Writes one output report; byte 0 must be 0.
  bool WriteReport(const uint8_t* buffer, uint32_t* count, uint32_t timeoutMs = kWriteTimeoutMs,
                   uint32_t length = kReportLength);
  // Sends data as successive reports of 64 payload bytes (at least one). The last report always carries 64 bytes
  // taken from data, so data must hold a multiple of 64 bytes covering count.
  bool WriteData(const uint8_t* data, uint32_t count, uint32_t timeoutMs);
  // Receives successive reports and stores their payloads until count bytes are in dest.
  bool ReadData(uint8_t* dest, uint32_t count, uint32_t timeoutMs);
  // Aborts and discards everything pending; false when that fails or no device is open.
  bool PurgeInput();

  bool IsConnected() const { return connected_; }
  bool HasHandle() const { return handle_ != nullptr; }

 private:
  bool Open(uint16_t vendorId, uint16_t productId, bool anyProduct);

  HidBackend& backend_;
  std::unique_ptr<HidHandle> handle_;
  bool connected_ = false;
};

}  // namespace orven::link
