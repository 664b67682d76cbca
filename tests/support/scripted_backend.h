// A HID backend whose device is a script: tests queue the exact input reports the host will read and inspect
// every output report it wrote. Mismatches print both sides as hex dumps.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "link/frame.h"
#include "link/hid_backend.h"

namespace orven::testing {

using Bytes = std::vector<uint8_t>;

std::string HexDump(const Bytes& bytes);

struct ScriptedDevice {
  uint16_t vendorId = 0x1A7C;
  uint16_t productId = 0x5120;
  std::deque<Bytes> input;    // 64-byte payloads the host will read, in order
  std::vector<Bytes> output;  // 64-byte payloads the host wrote
  int reads = 0;
  int purges = 0;
  bool gone = false;
  int handlesOpened = 0;
  int handlesOpen = 0;
};

class ScriptedBackend final : public link::HidBackend {
 public:
  std::vector<std::shared_ptr<ScriptedDevice>> devices;

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
