// The HID seam: how the report link reaches a device. Real programs use hidapi; tests and the demo use the
// in-process simulator or a device process behind a Unix socket.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orven::link {

// Outcome of one report transfer. A time-out is not a disconnect: the device may still answer later.
enum class TransferResult { kOk, kTimeout, kError };

struct HidDeviceInfo {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  std::string path;  // what HidBackend::Open takes
};

// One opened device. Used by one thread at a time (the owner of the link).
class HidHandle {
 public:
  virtual ~HidHandle() = default;
  // Writes one output report of `length` bytes (byte 0 is the report id). kOk when the device took it; kTimeout
  // when it did not within timeoutMs (the transfer is cancelled); kError when the device is gone. Blocks at most
  // timeoutMs.
  virtual TransferResult Write(const uint8_t* report, size_t length, uint32_t timeoutMs) = 0;
  // Reads one input report of at most `length` bytes into report (byte 0 is the report id) and stores the
  // number of bytes in *got. kTimeout when none arrived within timeoutMs; nothing stays pending then, so a late
  // report never lands in this buffer. kError when the device is gone. Blocks at most timeoutMs.
  virtual TransferResult Read(uint8_t* report, size_t length, uint32_t timeoutMs, size_t* got) = 0;
  // Aborts pending transfers and discards buffered input. False when the handle is unusable.
  virtual bool Purge() = 0;
};

class HidBackend {
 public:
  virtual ~HidBackend() = default;
  // The present HID devices, in the system's enumeration order. Does not block for long.
  virtual std::vector<HidDeviceInfo> Enumerate() = 0;
  // Opens the device at path for reading and writing reports; null when it cannot be opened.
  virtual std::unique_ptr<HidHandle> Open(const std::string& path) = 0;
  // True when the devices behind this backend are physical hardware (not the simulator or a device process):
  // test firmware images are never written to those.
  virtual bool ReachesPhysicalDevices() const { return false; }
};

}  // namespace orven::link
