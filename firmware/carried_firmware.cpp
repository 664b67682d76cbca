#include "firmware/carried_firmware.h"

#include "link/identification_block.h"

namespace orven::firmware {

const FirmwareDescriptor& CarriedFirmware(uint16_t modelWord) {
  return modelWord == kModelOrvenf ? OrvenfFirmware() : Qx410Firmware();
}

}  // namespace orven::firmware
