#include "tormik/device_environment.h"

#include <cstdlib>
#include <algorithm>
#include <array>
#include <cstring>

#include "tormik/chip_catalogue.h"
#include "chipcfg/chip_config_defaults.h"
#include "link/hidapi_backend.h"
#include "link/socket_backend.h"
#include "sim/devices.h"
#include "sim/virtual_bus.h"

namespace orven::app {

struct SimulatorParts {
  sim::VirtualBus bus;
};

void InstallFactoryConfigs(sim::ProgrammerDevice& device) {
  for (const ModelCatalogue* catalogue : {&Qx410Catalogue(), &OrvenfCatalogue()}) {
    for (size_t i = 0; i < catalogue->Size(); ++i) {
      const ChipEntry& chip = catalogue->entries[i];
      std::array<uint8_t, 32> config{};
      if (!chipcfg::LoadChipConfigDefaults(ConfigFileName(chip), config.data())) continue;
      std::array<uint8_t, 24> parameters;
      std::copy(std::begin(chip.parameters.bytes), std::end(chip.parameters.bytes), parameters.begin());
      device.SetFactoryConfig(parameters, config);
    }
  }
}

DeviceEnvironment::~DeviceEnvironment() {
  backend_.reset();
  sim_.reset();
}

std::unique_ptr<DeviceEnvironment> DeviceEnvironment::Create(bool simulate) {
  std::unique_ptr<DeviceEnvironment> env(new DeviceEnvironment());
  const char* device = std::getenv("ORVEN_DEVICE");
  const char* sockets = std::getenv("ORVEN_HID_SOCKET");
  if (simulate || (device != nullptr && std::strcmp(device, "sim") == 0)) {
    env->kind_ = Kind::kSimulator;
    auto clock = std::make_unique<VirtualClock>();
    env->clock_ = clock.get();
    env->ownedClock_ = std::move(clock);
    env->sim_ = std::make_unique<SimulatorParts>();
    env->qx410_ = sim::MakeProgrammer(*env->clock_, sim::DeviceModel::kQx410);
    env->orvenf_ = sim::MakeProgrammer(*env->clock_, sim::DeviceModel::kOrvenf);
    InstallFactoryConfigs(*env->qx410_);
    InstallFactoryConfigs(*env->orvenf_);
    env->sim_->bus.Attach(env->qx410_);
    env->sim_->bus.Attach(env->orvenf_);
    env->backend_ = std::make_unique<sim::SimBackend>(env->sim_->bus);
  } else if (sockets != nullptr && *sockets != '\0') {
    env->kind_ = Kind::kSocket;
    env->clock_ = &SteadyClock::Instance();
    env->backend_ = std::make_unique<link::SocketBackend>(link::SocketBackend::SplitPathList(sockets));
  } else {
    env->kind_ = Kind::kHidapi;
    env->clock_ = &SteadyClock::Instance();
    env->backend_ = std::make_unique<link::HidapiBackend>();
  }
  return env;
}

}  // namespace orven::app
