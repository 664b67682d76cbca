#include "sim/pod.h"

#include <algorithm>

#include "sim/mcs51/sfr.h"

namespace orven::sim {

Pod::Pod(Clock& clock, uint32_t crystalHz) : clock_(clock) {
  core_.SetCrystal(crystalHz);
  Start();
}

void Pod::Start() {
  core_.Reset();
  Halt();
}

void Pod::Halt() {
  running_ = false;
  stuck_ = false;
}

void Pod::Resync() {
  originMs_ = clock_.NowMs();
  originCycles_ = core_.Cycles();
  lastInstructions_ = core_.Instructions();
  lastProgressCycles_ = core_.Cycles();
}

void Pod::SetCrystal(uint32_t hz) {
  core_.SetCrystal(hz == 0 ? kDefaultCrystalHz : hz);
  Resync();
}

void Pod::Go(uint16_t stopAddress, bool resetFirst, bool stopFeature) {
  if (resetFirst) core_.Reset();
  stopAddress_ = stopAddress == kNoStopAddress ? -1 : stopAddress;
  stopFeature_ = stopFeature;
  running_ = true;
  stuck_ = false;
  leaving_ = true;
  Resync();
}

bool Pod::RequestStop() {
  if (!running_ || !stopFeature_) return false;
  uint8_t ie = 0;
  core_.ReadMemory(mcs51::Space::kSfr, mcs51::kIe, &ie, 1);
  if (!(ie & mcs51::kIeEa) || core_.PoweredDown()) return false;
  // The stop interrupt ends idle mode, as any interrupt does.
  if (core_.Idle()) {
    uint8_t pcon = 0;
    core_.ReadMemory(mcs51::Space::kSfr, mcs51::kPcon, &pcon, 1);
    pcon = static_cast<uint8_t>(pcon & ~mcs51::kPconIdl);
    core_.WriteMemory(mcs51::Space::kSfr, mcs51::kPcon, &pcon, 1);
  }
  Halt();
  return true;
}

void Pod::ForceStop() { Start(); }

uint16_t Pod::Step() {
  if (!running_) core_.Step();
  return core_.Pc();
}

void Pod::CatchUp() {
  if (!running_ || stuck_) return;
  const uint64_t now = clock_.NowMs();
  const uint64_t target = originCycles_ + core_.CyclesForMs(now > originMs_ ? now - originMs_ : 0);
  if (target <= core_.Cycles()) return;
  uint64_t budget = std::min(target - core_.Cycles(), kMaxCyclesPerCatchUp);
  while (budget > 0) {
    const uint64_t before = core_.Cycles();
    if (!RunSlice(std::min(budget, kSliceCycles))) return;
    const uint64_t ran = core_.Cycles() - before;
    budget = ran >= budget ? 0 : budget - ran;
  }
}

bool Pod::RunSlice(uint64_t cycles) {
  // The core checks the stop address and breakpoints before every instruction but the first of a run; once
  // the pod's run has left its start address, that first one is checked here.
  if (!leaving_) {
    const uint16_t pc = core_.Pc();
    if (static_cast<int32_t>(pc) == stopAddress_ || core_.HasBreakpoint(pc)) {
      Halt();
      return false;
    }
  }
  mcs51::RunLimits limits;
  limits.maxCycles = cycles;
  limits.stopAddress = stopAddress_;
  const mcs51::RunResult result = core_.Run(limits);
  if (result.instructions > 0) leaving_ = false;
  switch (result.reason) {
    case mcs51::StopReason::kStopAddress:
    case mcs51::StopReason::kBreakpoint:
      Halt();
      return false;
    case mcs51::StopReason::kPowerDown:
    case mcs51::StopReason::kIdleStuck:
      stuck_ = true;
      return false;
    default:
      break;
  }
  // The core counts idle time only within one run; across slices the pod watches for a core that retires no
  // instruction for as long as any wake-up source would take.
  if (core_.Instructions() != lastInstructions_) {
    lastInstructions_ = core_.Instructions();
    lastProgressCycles_ = core_.Cycles();
  }
  if (AsleepForGood() ||
      (core_.Idle() && core_.Cycles() - lastProgressCycles_ >= mcs51::kIdleStuckCycles)) {
    stuck_ = true;
    return false;
  }
  return true;
}

bool Pod::AsleepForGood() const {
  if (!core_.Idle()) return false;
  // The pod's port pins never change on their own, so the external interrupts cannot end idle either.
  constexpr uint8_t kInternalSources = mcs51::kIeEt0 | mcs51::kIeEt1 | mcs51::kIeEs | mcs51::kIeEt2;
  const uint8_t ie = core_.SfrValue(mcs51::kIe);
  return !(ie & mcs51::kIeEa) || !(ie & kInternalSources);
}

Pod::BreakpointResult Pod::SetBreakpoint(uint16_t address, bool on) {
  if (!on) {
    breakpoints_.erase(address);
    core_.SetBreakpoint(address, false);
    return BreakpointResult::kDone;
  }
  if (breakpoints_.count(address) != 0) return BreakpointResult::kConflict;
  if (breakpoints_.size() >= breakpointLimit_) return BreakpointResult::kTooMany;
  breakpoints_.insert(address);
  core_.SetBreakpoint(address, true);
  return BreakpointResult::kDone;
}

}  // namespace orven::sim
