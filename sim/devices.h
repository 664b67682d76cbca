// Ready-made simulated devices.
#pragma once

#include <memory>
#include <string>

#include "sim/programmer_device.h"

namespace orven::sim {

enum class DeviceModel { kQx410, kOrvenf };

// Parses "qx410" / "orvenf" (any letter case).
bool ParseDeviceModel(const std::string& text, DeviceModel* model);

// A programmer of the model with the factory identity; it knows the carried firmware images, so after an
// update it reports the version of the image written.
std::shared_ptr<ProgrammerDevice> MakeProgrammer(Clock& clock, DeviceModel model);

// ORVEN_SIM_LATENCY_MS: the time each exchange with an in-process simulated device takes, in milliseconds
// (0 when unset; text that is not a number up to 60000 counts as unset).
uint32_t LatencyFromEnvironment();

}  // namespace orven::sim
