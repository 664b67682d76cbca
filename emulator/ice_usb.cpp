#include "emulator/ice_usb.h"

namespace orven::emulator {

CIceUsb::CIceUsb(link::HidBackend& backend, Clock& clock, HostChannel& host, Prompter& prompter,
                 DriverFlags& flags)
    : backend_(backend),
      clock_(clock),
      host_(host),
      prompter_(prompter),
      flags_(flags),
      hid_(backend),
      frame_(hid_, link::FrameFlavour::kEmulator) {}

CIceUsb::~CIceUsb() = default;

}  // namespace orven::emulator
