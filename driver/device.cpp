#include "driver/device.h"

#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "driver/driver_state.h"
#include "driver/host_link.h"
#include "sim/devices.h"
#include "sim/emulator_backend.h"
#ifdef _WIN32
#include "link/win32_hid_backend.h"
#else
#include "link/hidapi_backend.h"
#include "link/socket_backend.h"
#endif

namespace orven::driver {
namespace {

// Lives as long as the library. Its members are destroyed in reverse order at unload, so the clocks the
// simulated emulator waits on must be built before it: the virtual clock is the first member, and the steady
// clock's instance is made in the constructor so that it is destroyed after this object.
struct Device {
  Device() { SteadyClock::Instance(); }
  VirtualClock virtualClock;
  std::unique_ptr<link::HidBackend> ownedBackend;
  link::HidBackend* backend = nullptr;
  Clock* clock = nullptr;
  std::unique_ptr<emulator::CIceUsb> ice;
  std::unique_ptr<IceTarget> target;
};

std::mutex deviceMutex;
Device device;

uint32_t CrystalFromEnvironment() {
  const char* text = std::getenv("ORVEN_SIM_CRYSTAL");
  if (text == nullptr || *text == '\0') return sim::Pod::kDefaultCrystalHz;
  char* end = nullptr;
  unsigned long hz = std::strtoul(text, &end, 10);
  if (*end != '\0' || hz < 1000 || hz > 100000000) return sim::Pod::kDefaultCrystalHz;
  return static_cast<uint32_t>(hz);
}

void Attach(link::HidBackend& backend, Clock& clock) {
  HostLink& host = Link();
  device.target.reset();
  device.ice = std::make_unique<emulator::CIceUsb>(backend, clock, host, host, host);
  device.target = std::make_unique<IceTarget>(*device.ice);
  device.backend = &backend;
  device.clock = &clock;
  State().target = device.target.get();
}

// A switch of the simulated emulator set to 1. ORVEN_SIM_VIRTUAL=1 runs it and the driver's waits in virtual
// time: a scripted session (the Windows test host under Wine) then takes no wall-clock time for the pod's run
// or the status polling. ORVEN_SIM_PC_READ_DATA=1 has its PC read carry two data bytes as well.
bool EnvironmentFlag(const char* name) {
  const char* text = std::getenv(name);
  return text != nullptr && std::string(text) == "1";
}

void ChooseFromEnvironment() {
  Clock* clock = &SteadyClock::Instance();
  const char* kind = std::getenv("ORVEN_DEVICE");
  if (kind != nullptr && std::string(kind) == "sim") {
    if (EnvironmentFlag("ORVEN_SIM_VIRTUAL")) clock = &device.virtualClock;
    sim::EmulatorOptions options;
    options.crystalHz = CrystalFromEnvironment();
    options.latencyMs = sim::LatencyFromEnvironment();
    options.pcReadData = EnvironmentFlag("ORVEN_SIM_PC_READ_DATA");
    device.ownedBackend = sim::MakeSimulatedEmulatorBackend(*clock, options);
  } else {
#ifdef _WIN32
    // Windows has no device sockets: real emulators come through the HID class driver.
    device.ownedBackend = std::make_unique<link::Win32HidBackend>();
#else
    const char* sockets = std::getenv("ORVEN_HID_SOCKET");
    if (sockets != nullptr && *sockets != '\0') {
      device.ownedBackend = std::make_unique<link::SocketBackend>(link::SocketBackend::SplitPathList(sockets));
    } else {
      device.ownedBackend = std::make_unique<link::HidapiBackend>();
    }
#endif
  }
  Attach(*device.ownedBackend, *clock);
}

Target* testTarget = nullptr;

}  // namespace

Target& DeviceTarget() {
  std::lock_guard lock(deviceMutex);
  if (testTarget != nullptr) return *testTarget;
  if (!device.ice) ChooseFromEnvironment();
  return *device.target;
}

emulator::CIceUsb& DeviceIce() {
  std::lock_guard lock(deviceMutex);
  if (!device.ice) ChooseFromEnvironment();
  return *device.ice;
}

bool IdentifyDevice(IdentificationBlock* out) {
  if (testTarget != nullptr) return false;
  return DeviceIce().GetIdentification(out);
}

void UseDeviceForTesting(link::HidBackend& backend, Clock& clock) {
  std::lock_guard lock(deviceMutex);
  device.ice.reset();
  device.target.reset();
  device.ownedBackend.reset();
  Attach(backend, clock);
}

void ReleaseDeviceForTesting() {
  std::lock_guard lock(deviceMutex);
  if (device.ownedBackend) return;  // chosen from the environment: lives as long as the library
  device.target.reset();
  device.ice.reset();
  device.backend = nullptr;
  device.clock = nullptr;
  State().target = testTarget;
}

void UseTargetForTesting(Target* target) {
  std::lock_guard lock(deviceMutex);
  testTarget = target;
  State().target = target != nullptr ? target : device.target.get();
}

void ResetStateForTesting() {
  DriverState& s = State();
  s.host = HostBinding{};
  s.featureWord = 0;
  s.fatal = false;
  s.running = false;
  s.stopRequested = false;
  s.registersWritten = false;
  s.registers = {};
  s.windowCopy = {};
  s.currentPc = 0;
  s.memory.Forget();
  s.options.e = 0;
  s.options.f = 0;
  s.options.v = 0;
  s.options.c = 0;
  s.enumRecord = nullptr;
  s.kind1Count = 0;
  s.kind2Count = 0;
  s.armed = false;
  s.downloadPrepared = false;
}

}  // namespace orven::driver
