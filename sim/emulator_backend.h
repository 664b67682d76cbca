// The simulated QX410 emulator ready to use: the device with its factory settings, and an HID backend that
// owns a virtual bus with that device attached (what a program uses for ORVEN_DEVICE=sim).
#pragma once

#include <memory>

#include "link/clock.h"
#include "link/hid_backend.h"
#include "sim/emulator_device.h"
#include "sim/virtual_bus.h"

namespace orven::sim {

struct EmulatorOptions {
  uint32_t crystalHz = Pod::kDefaultCrystalHz;
  // 563: the build of the firmware the debugger driver carries, reported as version 2.06.
  uint32_t firmwareBuild = 563;
  bool podPresent = true;
  unsigned breakpointLimit = Pod::kDefaultBreakpointLimit;
  bool startInLoader = false;
  // Time from each command to its reply, in the clock's time (about 2 ms over USB).
  uint32_t latencyMs = 0;
  bool pcReadData = false;  // the PC read adds two data bytes to the reply value
};

// A QX410 (model word 0x5295, product 0x5120, serial 01 AB 00 7F) with the options applied. It knows the
// emulator firmware the driver carries: after that image is written it reports version 2.06, build 563.
std::shared_ptr<EmulatorDevice> MakeEmulator(Clock& clock, const EmulatorOptions& options = {});

// An HID backend over its own virtual bus with one simulated emulator attached. The clock is borrowed and
// must outlive the backend.
class SimulatedEmulatorBackend final : public link::HidBackend {
 public:
  SimulatedEmulatorBackend(Clock& clock, const EmulatorOptions& options);
  std::vector<link::HidDeviceInfo> Enumerate() override { return backend_.Enumerate(); }
  std::unique_ptr<link::HidHandle> Open(const std::string& path) override { return backend_.Open(path); }

  // The device behind the backend (for tests and tools that inspect or configure it).
  const std::shared_ptr<EmulatorDevice>& Device() const { return device_; }

 private:
  VirtualBus bus_;
  std::shared_ptr<EmulatorDevice> device_;
  SimBackend backend_{bus_};
};

// The backend for a debugger run against the simulated emulator: its pod runs with the given crystal, in the
// clock's time (a VirtualClock in tests, SteadyClock::Instance() for the real crystal speed), and each exchange
// takes latencyMs of that time.
std::unique_ptr<SimulatedEmulatorBackend> MakeSimulatedEmulatorBackend(
    Clock& clock, uint32_t crystalHz = Pod::kDefaultCrystalHz, uint32_t latencyMs = 0);
std::unique_ptr<SimulatedEmulatorBackend> MakeSimulatedEmulatorBackend(Clock& clock, const EmulatorOptions& options);

}  // namespace orven::sim
