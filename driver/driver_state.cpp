#include "driver/driver_state.h"

namespace orven::driver {

// Never destroyed: the emulator object, torn down at unload, may still report through the state and the host link.
DriverState& State() {
  static DriverState* state = new DriverState;
  return *state;
}

}  // namespace orven::driver
