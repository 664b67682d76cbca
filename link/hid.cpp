#include "link/hid.h"

#include <algorithm>
#include <cstring>

namespace orven::link {

CHid::CHid(HidBackend& backend) : backend_(backend) {}

CHid::~CHid() { CloseDevice(); }

bool CHid::OpenDevice(uint16_t productId) { return Open(kVendorId, productId, productId == 0); }

bool CHid::OpenDevice(uint16_t vendorId, uint16_t productId) { return Open(vendorId, productId, false); }

bool CHid::Open(uint16_t vendorId, uint16_t productId, bool anyProduct) {
  // A handle left open by an earlier connect (for example after a failed identify) is closed, not forgotten.
  handle_.reset();
  connected_ = false;
  for (const HidDeviceInfo& info : backend_.Enumerate()) {
    if (info.vendorId != vendorId) continue;
    if (!anyProduct && info.productId != productId) continue;
    // A failed open is noticed by the first transfer, as on the real system.
    handle_ = backend_.Open(info.path);
    connected_ = true;
    break;
  }
  return connected_;
}

void CHid::CloseDevice() {
  if (handle_) {
    handle_->Purge();
    handle_.reset();
  }
  connected_ = false;
}

bool CHid::ReadReport(uint8_t* buffer, uint32_t* count, uint32_t timeoutMs, uint32_t length) {
  *count = 0;
  if (!handle_) return false;
  size_t got = 0;
  if (handle_->Read(buffer, length, timeoutMs, &got) != TransferResult::kOk) return false;
  *count = static_cast<uint32_t>(got);
  return true;
}

bool CHid::WriteReport(const uint8_t* buffer, uint32_t* count, uint32_t timeoutMs, uint32_t length) {
  *count = 0;
  if (!handle_) return false;
  if (handle_->Write(buffer, length, timeoutMs) != TransferResult::kOk) return false;
  *count = length;
  return true;
}

bool CHid::WriteData(const uint8_t* data, uint32_t count, uint32_t timeoutMs) {
  uint8_t report[kReportLength];
  uint32_t offset = 0;
  do {
    report[0] = 0;
    std::memcpy(report + 1, data + offset, kPayloadLength);
    uint32_t written = 0;
    if (!WriteReport(report, &written, timeoutMs)) return false;
    offset += kPayloadLength;
  } while (offset < count);
  return true;
}

bool CHid::ReadData(uint8_t* dest, uint32_t count, uint32_t timeoutMs) {
  uint8_t report[kReportLength];
  uint32_t remaining = count;
  while (remaining > 0) {
    uint32_t got = 0;
    std::memset(report, 0, sizeof report);  // a short report leaves zeros, never stale bytes
    if (!ReadReport(report, &got, timeoutMs)) return false;
    uint32_t n = std::min(remaining, kPayloadLength);
    std::memcpy(dest + (count - remaining), report + 1, n);
    remaining -= n;
  }
  return true;
}

bool CHid::PurgeInput() { return handle_ && handle_->Purge(); }

}  // namespace orven::link
