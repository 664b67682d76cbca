// Connection rules the window and the command line share.
#pragma once

#include <cstdint>
#include <string>

#include "tormik/chip_catalogue.h"
#include "tormik/ini.h"
#include "firmware/carried_firmware.h"
#include "link/hid_backend.h"

namespace orven::app {

// "QX410", "ORVENF", or "UNKOWN MODEL" for any other model word.
const char* ModelName(uint16_t modelWord);
bool IsKnownModel(uint16_t modelWord);

// The log line a connect attempt leaves, by the model word Connect returned: "未检测到设备, 联机失败\n" for 0,
// "设备连接成功, 型号: …\n" for the two models, and empty for an unknown model (the window shows "UNKOWN MODEL"
// in its model label instead).
std::string ConnectLogLine(uint16_t reportedModel);

// A connect may report the other model than the one chosen, so the catalogue changes under the chip index.
// Returns index when it names a chip of catalogue, else that model's ChipNO from the settings, else 0.
int ChipIndexInCatalogue(const ModelCatalogue& catalogue, int index, const CIni& ini);

// The device path that a failed connect could not open for lack of permission, or empty: only the hidapi
// backend on a machine without the udev rule gives one.
std::string AccessDeniedPath(const link::HidBackend& backend);

// True when the carried firmware must not be written: the build carries only a test image and the backend
// reaches physical programmers. The caller then logs programmer::texts::kTestImageRefused instead of updating.
bool RefusesFirmwareWrite(const firmware::FirmwareDescriptor& carried, const link::HidBackend& backend);

}  // namespace orven::app
