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

unsigned SimProgrammerCount(const char* text) {
  if (text == nullptr || *text == '\0' || std::strlen(text) > 2) return 1;
  unsigned n = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return 1;
    n = n * 10 + static_cast<unsigned>(*c - '0');
  }
  return n >= 1 && n <= kMaxSimProgrammers ? n : 1;
}

uint32_t SimProgrammerSerial(unsigned n) { return 0x01AB007Fu + n; }

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
    const unsigned count = SimProgrammerCount(std::getenv("ORVEN_SIM_PROGRAMMERS"));
    for (auto [model, list] : {std::pair{sim::DeviceModel::kQx410, &env->qx410_},
                               std::pair{sim::DeviceModel::kOrvenf, &env->orvenf_}}) {
      for (unsigned n = 0; n < count; ++n) {
        std::shared_ptr<sim::ProgrammerDevice> programmer = sim::MakeProgrammer(*env->clock_, model);
        InstallFactoryConfigs(*programmer);
        IdentificationBlock id = programmer->Identity();
        const uint32_t serial = SimProgrammerSerial(n);
        id.SetSerial(uint8_t(serial >> 24), uint8_t(serial >> 16), uint8_t(serial >> 8), uint8_t(serial));
        programmer->SetIdentity(id);
        programmer->SetLatency(sim::LatencyFromEnvironment());
        env->sim_->bus.Attach(programmer);
        list->push_back(std::move(programmer));
      }
    }
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
