// Feeds arbitrary device reports to ReceiveResponse in both flavours: it must never read or write out of
// bounds, whatever the sequence numbers and lengths say. The input is cut into 64-byte reports; the first byte
// picks the destination size and flavour.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

#include "link/frame.h"

namespace {

using namespace orven::link;

class FuzzHandle final : public HidHandle {
 public:
  explicit FuzzHandle(std::deque<std::vector<uint8_t>>* reports) : reports_(reports) {}
  TransferResult Write(const uint8_t*, size_t, uint32_t) override { return TransferResult::kOk; }
  TransferResult Read(uint8_t* report, size_t length, uint32_t, size_t* got) override {
    if (reports_->empty()) return TransferResult::kTimeout;
    const std::vector<uint8_t>& r = reports_->front();
    std::memset(report, 0, length);
    std::memcpy(report + 1, r.data(), std::min(r.size(), length - 1));
    *got = length;
    reports_->pop_front();
    return TransferResult::kOk;
  }
  bool Purge() override { return true; }

 private:
  std::deque<std::vector<uint8_t>>* reports_;
};

class FuzzBackend final : public HidBackend {
 public:
  std::deque<std::vector<uint8_t>> reports;
  std::vector<HidDeviceInfo> Enumerate() override { return {{kVendorId, kProductQx410, "fuzz"}}; }
  std::unique_ptr<HidHandle> Open(const std::string&) override { return std::make_unique<FuzzHandle>(&reports); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t control = data[0];
  FuzzBackend backend;
  for (size_t off = 1; off < size; off += 64) {
    backend.reports.emplace_back(data + off, data + std::min(size, off + 64));
  }
  CHid hid(backend);
  hid.OpenDevice(0);
  CommandFrame frame(hid, (control & 0x80) ? FrameFlavour::kEmulator : FrameFlavour::kProgrammer);
  frame.SetCommErrorHandler([](const char*) {});
  // Destination exactly as large as the caller says, on the heap so ASan sees every stray byte.
  const uint32_t capacity = (control & 0x7F) * 8u;
  std::vector<uint8_t> dest(capacity);
  FrameReport response;
  frame.ReceiveResponse(response, capacity ? dest.data() : nullptr, capacity, 36, 500);
  return 0;
}
