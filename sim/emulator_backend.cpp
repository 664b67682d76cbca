#include "sim/emulator_backend.h"

#include "firmware/carried_firmware.h"

namespace orven::sim {

std::shared_ptr<EmulatorDevice> MakeEmulator(Clock& clock, const EmulatorOptions& options) {
  auto device = std::make_shared<EmulatorDevice>(clock, Qx410Model(), options.crystalHz);
  const firmware::FirmwareDescriptor& carried = firmware::EmulatorFirmware();
  device->AddKnownFirmware(std::vector<uint8_t>(carried.Image(), carried.Image() + firmware::kImageSize),
                           carried.Major(), carried.Minor(), carried.Build());
  device->SetFirmwareBuild(options.firmwareBuild);
  device->SetPodPresent(options.podPresent);
  device->SetBreakpointLimit(options.breakpointLimit);
  device->SetInLoader(options.startInLoader);
  device->SetLatency(options.latencyMs);
  device->SetPcReadData(options.pcReadData);
  return device;
}

SimulatedEmulatorBackend::SimulatedEmulatorBackend(Clock& clock, const EmulatorOptions& options)
    : device_(MakeEmulator(clock, options)) {
  bus_.Attach(device_);
}

std::unique_ptr<SimulatedEmulatorBackend> MakeSimulatedEmulatorBackend(Clock& clock, uint32_t crystalHz,
                                                                       uint32_t latencyMs) {
  EmulatorOptions options;
  options.crystalHz = crystalHz;
  options.latencyMs = latencyMs;
  return MakeSimulatedEmulatorBackend(clock, options);
}

std::unique_ptr<SimulatedEmulatorBackend> MakeSimulatedEmulatorBackend(Clock& clock, const EmulatorOptions& options) {
  return std::make_unique<SimulatedEmulatorBackend>(clock, options);
}

}  // namespace orven::sim
