// HID access through the Windows HID class driver: SetupDi enumeration of the HID interface class, the device
// opened as a file for overlapped reads and writes of whole reports. The backend for real emulators on Windows.
#pragma once

#include "link/hid_backend.h"

namespace orven::link {

class Win32HidBackend final : public HidBackend {
 public:
  // Present HID interfaces in SetupDi order. An interface whose attributes cannot be read (a keyboard or mouse
  // the system holds exclusively still answers a query-only open; a device that vanished does not) is left out.
  std::vector<HidDeviceInfo> Enumerate() override;
  // Opens the interface path (UTF-8) for overlapped reading and writing, sharing read and write.
  std::unique_ptr<HidHandle> Open(const std::string& path) override;
  bool ReachesPhysicalDevices() const override { return true; }
};

// Wraps an already opened overlapped file handle (a HANDLE) as a report handle that owns and closes it. Any
// overlapped handle serves, which is how the transfer rules are exercised without a device (over a pipe).
std::unique_ptr<HidHandle> AdoptWin32HidHandle(void* handle);

}  // namespace orven::link
