#include "tormik/firmware_check.h"

#include <cstdio>

#include "tormik/texts.h"

namespace orven::app {

FirmwarePrompt DecideFirmwarePrompt(uint32_t deviceBuild, uint32_t carriedBuild) {
  if (deviceBuild == carriedBuild) return FirmwarePrompt::kNone;
  if (deviceBuild == 0) return FirmwarePrompt::kDemand;
  return deviceBuild < carriedBuild ? FirmwarePrompt::kOffer : FirmwarePrompt::kAsk;
}

std::string FirmwareVersionsText(const firmware::FirmwareDescriptor& carried, const IdentificationBlock& device) {
  char text[512];
  std::snprintf(text, sizeof text, texts::kFirmwareVersionsFmt, carried.Major(), carried.Minor(),
                static_cast<int>(carried.Build()), device.Major(), device.Minor(), static_cast<int>(device.Build()));
  return text;
}

}  // namespace orven::app
