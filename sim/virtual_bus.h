// The in-process USB bus: simulated devices attach to it and the SimBackend enumerates and opens them like
// hidapi would. Devices keep their ids when they leave the bus and come back.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/hid_backend.h"
#include "sim/sim_device.h"

namespace orven::sim {

class VirtualBus {
 public:
  // Attaches a device; it is enumerated after those attached before it. Returns its path ("sim:N").
  std::string Attach(std::shared_ptr<SimDevice> device);
  void DetachAll();
  // Attached devices in attach order, present or not, with their paths.
  std::vector<std::pair<std::string, std::shared_ptr<SimDevice>>> Devices() const;
  std::shared_ptr<SimDevice> Find(const std::string& path) const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<std::string, std::shared_ptr<SimDevice>>> devices_;
  unsigned next_ = 0;
};

// HID backend over a VirtualBus. Waits go through the devices' Clock: with a VirtualClock a time-out costs no
// real time.
class SimBackend final : public link::HidBackend {
 public:
  explicit SimBackend(VirtualBus& bus) : bus_(bus) {}
  std::vector<link::HidDeviceInfo> Enumerate() override;
  std::unique_ptr<link::HidHandle> Open(const std::string& path) override;

 private:
  VirtualBus& bus_;
};

}  // namespace orven::sim
