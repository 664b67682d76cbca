// The real firmware images, linked in from the directory given to the build (see embed.S).
#include "firmware/carried_firmware.h"

extern "C" const uint8_t orven_firmware_qx410[];
extern "C" const uint8_t orven_firmware_orvenf[];

namespace orven::firmware {

const FirmwareDescriptor& Qx410Firmware() {
  static const FirmwareDescriptor d{orven_firmware_qx410, false};
  return d;
}

const FirmwareDescriptor& OrvenfFirmware() {
  static const FirmwareDescriptor d{orven_firmware_orvenf, false};
  return d;
}

}  // namespace orven::firmware
