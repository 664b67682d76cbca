#include "sim/devices.h"

#include <strings.h>

#include <cstdlib>

#include "firmware/carried_firmware.h"

namespace orven::sim {

bool ParseDeviceModel(const std::string& text, DeviceModel* model) {
  if (strcasecmp(text.c_str(), "qx410") == 0) {
    *model = DeviceModel::kQx410;
    return true;
  }
  if (strcasecmp(text.c_str(), "orvenf") == 0) {
    *model = DeviceModel::kOrvenf;
    return true;
  }
  return false;
}

std::shared_ptr<ProgrammerDevice> MakeProgrammer(Clock& clock, DeviceModel model) {
  auto device = std::make_shared<ProgrammerDevice>(clock, model == DeviceModel::kQx410 ? Qx410Model() : OrvenfModel());
  for (const firmware::FirmwareDescriptor* d : {&firmware::Qx410Firmware(), &firmware::OrvenfFirmware()}) {
    device->AddKnownFirmware(std::vector<uint8_t>(d->Image(), d->Image() + firmware::kImageSize), d->Major(),
                             d->Minor(), d->Build());
  }
  return device;
}

uint32_t LatencyFromEnvironment() {
  const char* text = std::getenv("ORVEN_SIM_LATENCY_MS");
  if (text == nullptr || *text < '0' || *text > '9') return 0;
  char* end = nullptr;
  const unsigned long ms = std::strtoul(text, &end, 10);
  if (*end != '\0' || ms > 60000) return 0;
  return static_cast<uint32_t>(ms);
}

}  // namespace orven::sim
