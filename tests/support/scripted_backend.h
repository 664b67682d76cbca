// A HID backend whose device is a script: tests queue the exact input reports the host will read and inspect
// every output report it wrote. Mismatches print both sides as hex dumps. A queued report may arrive late: a
// read whose time-out is shorter than the report's delay times out, and the report is gone (the purge before
// the host's next command would drop it).
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/frame.h"
#include "link/hid_backend.h"

namespace orven::testing {

using Bytes = std::vector<uint8_t>;

std::string HexDump(const Bytes& bytes);

// One report the device will send: its 64-byte payload and how long after the host starts waiting it arrives.
struct ScriptedInput {
  // Implicit, so that a bare payload queues a report that arrives at once.
  ScriptedInput(Bytes p, uint32_t delay = 0) : payload(std::move(p)), delayMs(delay) {}
  Bytes payload;
  uint32_t delayMs;
};

struct ScriptedDevice {
  uint16_t vendorId = 0x1A7C;
  uint16_t productId = 0x5120;
  std::deque<ScriptedInput> input;  // reports the host will read, in order
  std::vector<Bytes> output;        // 64-byte payloads the host wrote
  // Observers of the conversation: every payload written, and the time-out of every read.
  std::function<void(const Bytes& payload)> onWrite;
  std::function<void(uint32_t timeoutMs)> onRead;
  int reads = 0;
  int purges = 0;
  bool gone = false;
  int handlesOpened = 0;
  int handlesOpen = 0;
};

class ScriptedBackend final : public link::HidBackend {
 public:
  std::vector<std::shared_ptr<ScriptedDevice>> devices;
  // Runs at the start of every enumeration (each attempt to open a device); may change `devices`.
  std::function<void()> onEnumerate;

  std::shared_ptr<ScriptedDevice> Add(uint16_t vendorId, uint16_t productId);
  std::vector<link::HidDeviceInfo> Enumerate() override;
  std::unique_ptr<link::HidHandle> Open(const std::string& path) override;
};

// Report builders for scripts.
Bytes Response(uint8_t code, uint8_t status, uint32_t length, uint32_t result = 0);
Bytes DataReport(uint8_t sequence, const uint8_t* data, uint32_t n);
// The data reports of a whole block, in order.
std::vector<Bytes> DataReports(const Bytes& block);

}  // namespace orven::testing
