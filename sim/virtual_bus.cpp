#include "sim/virtual_bus.h"

#include <cstring>

namespace orven::sim {
namespace {

class SimHandle final : public link::HidHandle {
 public:
  SimHandle(std::shared_ptr<SimDevice> device, uint32_t generation)
      : device_(std::move(device)), generation_(generation) {}

  link::TransferResult Write(const uint8_t* report, size_t length, uint32_t /*timeoutMs*/) override {
    return device_->Receive(report, length, generation_) ? link::TransferResult::kOk : link::TransferResult::kError;
  }

  link::TransferResult Read(uint8_t* report, size_t length, uint32_t timeoutMs, size_t* got) override {
    *got = 0;
    Clock& clock = device_->GetClock();
    const uint64_t deadline = clock.NowMs() + timeoutMs;
    uint8_t buffer[65];
    uint64_t readyAt = 0;
    switch (device_->TakeOutput(generation_, deadline, buffer, &readyAt)) {
      case SimDevice::Output::kGone:
        return link::TransferResult::kError;
      case SimDevice::Output::kNone:
        clock.SleepMs(timeoutMs);
        return link::TransferResult::kTimeout;
      case SimDevice::Output::kReport:
        break;
    }
    const uint64_t now = clock.NowMs();
    if (readyAt > now) clock.SleepMs(static_cast<uint32_t>(readyAt - now));
    const size_t n = length < sizeof buffer ? length : sizeof buffer;
    std::memcpy(report, buffer, n);
    *got = n;
    return link::TransferResult::kOk;
  }

  bool Purge() override { return device_->PurgeOutput(generation_); }

 private:
  std::shared_ptr<SimDevice> device_;
  uint32_t generation_;
};

}  // namespace

std::string VirtualBus::Attach(std::shared_ptr<SimDevice> device) {
  std::lock_guard lock(mutex_);
  std::string path = "sim:" + std::to_string(next_++);
  devices_.emplace_back(path, std::move(device));
  return path;
}

void VirtualBus::DetachAll() {
  std::lock_guard lock(mutex_);
  devices_.clear();
}

std::vector<std::pair<std::string, std::shared_ptr<SimDevice>>> VirtualBus::Devices() const {
  std::lock_guard lock(mutex_);
  return devices_;
}

std::shared_ptr<SimDevice> VirtualBus::Find(const std::string& path) const {
  std::lock_guard lock(mutex_);
  for (const auto& [p, d] : devices_) {
    if (p == path) return d;
  }
  return nullptr;
}

std::vector<link::HidDeviceInfo> SimBackend::Enumerate() {
  std::vector<link::HidDeviceInfo> out;
  for (const auto& [path, device] : bus_.Devices()) {
    if (device->Present()) out.push_back({device->VendorId(), device->ProductId(), path});
  }
  return out;
}

std::unique_ptr<link::HidHandle> SimBackend::Open(const std::string& path) {
  std::shared_ptr<SimDevice> device = bus_.Find(path);
  if (!device || !device->Present()) return nullptr;
  return std::make_unique<SimHandle>(device, device->Generation());
}

}  // namespace orven::sim
