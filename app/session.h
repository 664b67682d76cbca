// Connection rules the window and the command line share.
#pragma once

#include <cstdint>
#include <string>

#include "app/chip_catalogue.h"
#include "app/ini.h"

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

}  // namespace orven::app
