#include "driver/driver_state.h"

namespace orven::driver {

DriverState& State() {
  static DriverState state;
  return state;
}

}  // namespace orven::driver
