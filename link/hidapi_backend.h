// HID access on Linux: hidapi (hidraw) finds the programmers; each opened device is its hidraw node, read and
// written through a non-blocking file descriptor so that every transfer keeps its own time-out.
#pragma once

#include <string>

#include "link/hid_backend.h"

namespace orven::link {

// One opened hidraw node (or anything that moves one report per read and write, such as a SOCK_SEQPACKET
// socket in the tests). Reports travel without the report id when it is 0, as hidraw moves them: byte 0 of the
// caller's report is dropped on the way out and set to 0 on the way in.
class HidrawHandle final : public HidHandle {
 public:
  // Takes ownership of fd and makes it non-blocking.
  explicit HidrawHandle(int fd);
  ~HidrawHandle() override;
  HidrawHandle(const HidrawHandle&) = delete;
  HidrawHandle& operator=(const HidrawHandle&) = delete;

  // Waits at most timeoutMs for the device to take the report. A device that stops taking reports (its
  // endpoint stalled, the queue full) gives kTimeout after timeoutMs, not after the USB stack's own limit.
  TransferResult Write(const uint8_t* report, size_t length, uint32_t timeoutMs) override;
  TransferResult Read(uint8_t* report, size_t length, uint32_t timeoutMs, size_t* got) override;
  bool Purge() override;

 private:
  int fd_;
};

class HidapiBackend final : public HidBackend {
 public:
  HidapiBackend();
  ~HidapiBackend() override;
  std::vector<HidDeviceInfo> Enumerate() override;
  // Opens the hidraw node at path. Null when it cannot be opened; DeniedPath() then tells whether the reason
  // was missing access rights.
  std::unique_ptr<HidHandle> Open(const std::string& path) override;
  bool ReachesPhysicalDevices() const override { return true; }

  // The path of the last Open that failed for lack of permission (the udev rule is not installed or not
  // loaded); empty when the last Open succeeded or failed for another reason.
  const std::string& DeniedPath() const { return deniedPath_; }

 private:
  std::string deniedPath_;
};

}  // namespace orven::link
