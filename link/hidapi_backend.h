// HID access through hidapi (hidraw): the backend for real programmers.
#pragma once

#include "link/hid_backend.h"

namespace orven::link {

class HidapiBackend final : public HidBackend {
 public:
  HidapiBackend();
  ~HidapiBackend() override;
  std::vector<HidDeviceInfo> Enumerate() override;
  std::unique_ptr<HidHandle> Open(const std::string& path) override;
  bool ReachesPhysicalDevices() const override { return true; }
};

}  // namespace orven::link
