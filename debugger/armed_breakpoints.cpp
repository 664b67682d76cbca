#include "debugger/armed_breakpoints.h"

#include "debugger/texts.h"

namespace orven::debugger {

PortResult ArmedBreakpoints::Sync(const std::set<uint16_t>& wanted) {
  if (wanted.size() > Limit()) return PortResult::Failed(texts::kTooManyHardwareBreakpoints);
  for (auto it = armed_.begin(); it != armed_.end();) {
    if (wanted.count(*it)) {
      ++it;
      continue;
    }
    PortResult r = port_.ClearBreakpoint(*it);
    if (!r.ok) return r;
    it = armed_.erase(it);
  }
  for (uint16_t address : wanted) {
    if (armed_.count(address)) continue;
    PortResult r = port_.SetBreakpoint(address);
    if (!r.ok) return r;
    armed_.insert(address);
  }
  return PortResult::Ok();
}

PortResult ArmedBreakpoints::Remove(uint16_t address) {
  if (!armed_.count(address)) return PortResult::Ok();
  PortResult r = port_.ClearBreakpoint(address);
  if (r.ok) armed_.erase(address);
  return r;
}

}  // namespace orven::debugger
