// The real emulator firmware, linked in from the directory given to the build (see embed_emulator.S).
#include "firmware/carried_firmware.h"

extern "C" const uint8_t orven_firmware_orvend[];

namespace orven::firmware {

const FirmwareDescriptor& EmulatorFirmware() {
  static const FirmwareDescriptor d{orven_firmware_orvend, false};
  return d;
}

}  // namespace orven::firmware
