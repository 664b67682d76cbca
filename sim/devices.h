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

}  // namespace orven::sim
