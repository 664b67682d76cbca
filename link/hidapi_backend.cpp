#include "link/hidapi_backend.h"

#include <hidapi/hidapi.h>

#include <chrono>

namespace orven::link {
namespace {

class HidapiHandle final : public HidHandle {
 public:
  explicit HidapiHandle(hid_device* dev) : dev_(dev) {}
  ~HidapiHandle() override { hid_close(dev_); }

  TransferResult Write(const uint8_t* report, size_t length, uint32_t /*timeoutMs*/) override {
    // hidapi has no write time-out: the hidraw driver bounds the transfer with its own USB time-out, so a stalled
    // device fails the write after that time rather than after ours.
    int n = hid_write(dev_, report, length);
    return n == static_cast<int>(length) ? TransferResult::kOk : TransferResult::kError;
  }

  TransferResult Read(uint8_t* report, size_t length, uint32_t timeoutMs, size_t* got) override {
    *got = 0;
    if (length < 2) return TransferResult::kError;
    // hidapi returns the payload without the report id; put it behind byte 0 as a 65-byte report.
    int n = hid_read_timeout(dev_, report + 1, length - 1, static_cast<int>(timeoutMs));
    if (n < 0) return TransferResult::kError;
    if (n == 0) return TransferResult::kTimeout;
    report[0] = 0;
    *got = static_cast<size_t>(n) + 1;
    return TransferResult::kOk;
  }

  bool Purge() override {
    uint8_t scratch[65];
    for (int i = 0; i < 1024; ++i) {  // bounded: a device streaming reports cannot hold us here
      int n = hid_read_timeout(dev_, scratch, sizeof scratch, 0);
      if (n < 0) return false;
      if (n == 0) return true;
    }
    return true;
  }

 private:
  hid_device* dev_;
};

}  // namespace

HidapiBackend::HidapiBackend() { hid_init(); }

HidapiBackend::~HidapiBackend() { hid_exit(); }

std::vector<HidDeviceInfo> HidapiBackend::Enumerate() {
  std::vector<HidDeviceInfo> out;
  hid_device_info* list = hid_enumerate(0, 0);
  for (hid_device_info* d = list; d != nullptr; d = d->next) {
    out.push_back({d->vendor_id, d->product_id, d->path ? d->path : ""});
  }
  hid_free_enumeration(list);
  return out;
}

std::unique_ptr<HidHandle> HidapiBackend::Open(const std::string& path) {
  hid_device* dev = hid_open_path(path.c_str());
  if (dev == nullptr) return nullptr;
  return std::make_unique<HidapiHandle>(dev);
}

}  // namespace orven::link
