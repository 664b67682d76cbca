// Test images, built when no real firmware directory is given: the real version headers in front of a
// recognisable filler that no programmer could run.
#include <array>

#include "firmware/carried_firmware.h"
#include "firmware/test_image.h"

namespace orven::firmware {
namespace {

constexpr uint8_t kQx410Date[4] = {0x24, 0x12, 0x12, 0x20};   // 2012-12-24
constexpr uint8_t kOrvenfDate[4] = {0x20, 0x11, 0x12, 0x20};  // 2012-11-20
constexpr auto kQx410 = MakeTestDescriptor(2, 0x07, kQx410Date, 571, 0x5295);
constexpr auto kOrvenf = MakeTestDescriptor(1, 0x06, kOrvenfDate, 656, 0x520D);

}  // namespace

const FirmwareDescriptor& Qx410Firmware() {
  static const FirmwareDescriptor d{kQx410.data(), true};
  return d;
}

const FirmwareDescriptor& OrvenfFirmware() {
  static const FirmwareDescriptor d{kOrvenf.data(), true};
  return d;
}

}  // namespace orven::firmware
