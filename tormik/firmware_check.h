// The firmware check after a connect: the device's build against the build of the firmware the program
// carries for that model, and the text of the prompt.
#pragma once

#include <cstdint>
#include <string>

#include "firmware/carried_firmware.h"
#include "link/identification_block.h"

namespace orven::app {

enum class FirmwarePrompt {
  kNone,    // same build: nothing to do
  kDemand,  // build 0: "编程器需要升级固件", OK, then the update
  kOffer,   // older build: the versions text, OK, then the update
  kAsk,     // newer build: the versions text as Yes/No; No keeps the device's firmware
};

// Equal builds win over build 0, so a carried build 0 never asks a build-0 device.
FirmwarePrompt DecideFirmwarePrompt(uint32_t deviceBuild, uint32_t carriedBuild);

// The text of the older/newer prompt: carried major, minor, build, then the device's major, minor, build.
std::string FirmwareVersionsText(const firmware::FirmwareDescriptor& carried, const IdentificationBlock& device);

}  // namespace orven::app
