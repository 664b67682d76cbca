// Which emulator the driver talks to. Chosen once, at the first request that needs it:
//   ORVEN_DEVICE=sim      the in-process simulated emulator, its pod at the crystal's real speed
//                         (ORVEN_SIM_CRYSTAL in Hz, 11.0592 MHz by default); with ORVEN_SIM_VIRTUAL=1 the pod
//                         and the driver's waits run in virtual time instead (scripted sessions);
//                         ORVEN_SIM_LATENCY_MS=N makes each exchange take N ms of that time (default 0); with
//                         ORVEN_SIM_PC_READ_DATA=1 its PC read carries two data bytes besides the reply value
//   ORVEN_HID_SOCKET=P    device processes behind Unix sockets (orven-sim), paths separated by ':' (not on
//                         Windows)
//   otherwise             USB through hidapi (Windows: the HID class driver)
#pragma once

#include "driver/target.h"
#include "link/clock.h"
#include "link/hid_backend.h"
#include "link/identification_block.h"

namespace orven::driver {

// The emulator of this library, created on first use; never null afterwards.
Target& DeviceTarget();
// The emulator connection object behind DeviceTarget() (the setup dialog reads its identification).
emulator::CIceUsb& DeviceIce();

// The emulator's identification for the setup dialog (read once connected, else freshly); false when no emulator
// answers or a test target stands in for it.
bool IdentifyDevice(IdentificationBlock* out);

// Test programs only (not exported from the library): from now on the driver talks to this backend in this
// clock's time; both are borrowed and must outlive the driver's use of them. Replaces any earlier device.
void UseDeviceForTesting(link::HidBackend& backend, Clock& clock);
// Test programs only: drops the emulator object of UseDeviceForTesting while its backend still exists.
void ReleaseDeviceForTesting();
// Test programs only: the driver uses this target (borrowed) instead of an emulator; null restores the device.
void UseTargetForTesting(Target* target);
// Test programs only: the driver's state back to how the library was loaded (device, bindings, UI kept).
void ResetStateForTesting();

}  // namespace orven::driver
