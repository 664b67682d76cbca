#include "tormik/session.h"

#include "tormik/texts.h"
#include "link/hidapi_backend.h"
#include "programmer/texts.h"

namespace orven::app {

const char* ModelName(uint16_t modelWord) {
  switch (modelWord) {
    case kQx410ModelWord: return "QX410";
    case kOrvenfModelWord: return "ORVENF";
    default: return texts::kUnknownModel;
  }
}

bool IsKnownModel(uint16_t modelWord) { return modelWord == kQx410ModelWord || modelWord == kOrvenfModelWord; }

std::string ConnectLogLine(uint16_t reportedModel) {
  if (reportedModel == 0) return programmer::texts::kNoDevice;
  if (!IsKnownModel(reportedModel)) return {};
  return std::string(texts::kConnectedPrefix) + ModelName(reportedModel) + "\n";
}

int ChipIndexInCatalogue(const ModelCatalogue& catalogue, int index, const CIni& ini) {
  if (index >= 0 && static_cast<size_t>(index) < catalogue.Size()) return index;
  return catalogue.ClampChipNo(ini.GetInt(catalogue.settingsSection, kKeyChipNo));
}

std::string AccessDeniedPath(const link::HidBackend& backend) {
  const auto* hidapi = dynamic_cast<const link::HidapiBackend*>(&backend);
  return hidapi != nullptr ? hidapi->DeniedPath() : std::string();
}

bool RefusesFirmwareWrite(const firmware::FirmwareDescriptor& carried, const link::HidBackend& backend) {
  return carried.isTestImage && backend.ReachesPhysicalDevices();
}

}  // namespace orven::app
