// The code breakpoints armed in the emulator, kept in step with what the engine wants for the next run. The
// emulator has a handful of hardware comparators; changing them costs a request each, so only the difference
// is sent, and only when a run is about to start.
#pragma once

#include <cstdint>
#include <set>

#include "debugger/target_port.h"

namespace orven::debugger {

class ArmedBreakpoints {
 public:
  explicit ArmedBreakpoints(TargetPort& port) : port_(port) {}

  // Arms exactly `wanted`: clears the others first so that the limit is never passed on the way. Fails without
  // a request when `wanted` exceeds the emulator's limit.
  PortResult Sync(const std::set<uint16_t>& wanted);
  // Removes one address (a temporary one after its run); nothing when it is not armed.
  PortResult Remove(uint16_t address);

  const std::set<uint16_t>& Armed() const { return armed_; }
  uint32_t Limit() const { return port_.HardwareBreakpointLimit(); }

 private:
  TargetPort& port_;
  std::set<uint16_t> armed_;
};

}  // namespace orven::debugger
