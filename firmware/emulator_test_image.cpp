// The emulator's test image, built when no real emulator firmware is given: the real version header in front
// of a recognisable filler that no emulator could run.
#include <array>

#include "firmware/carried_firmware.h"
#include "firmware/test_image.h"

namespace orven::firmware {
namespace {

constexpr uint8_t kEmulatorDate[4] = {0x24, 0x12, 0x12, 0x20};  // 2012-12-24
constexpr auto kEmulator = MakeTestDescriptor(2, 0x06, kEmulatorDate, 563, 0x4F56);

}  // namespace

const FirmwareDescriptor& EmulatorFirmware() {
  static const FirmwareDescriptor d{kEmulator.data(), true};
  return d;
}

}  // namespace orven::firmware
