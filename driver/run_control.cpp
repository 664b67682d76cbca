#include "driver/run_control.h"

#include "driver/texts.h"

namespace orven::driver {
namespace {

void CountConditional(DriverState& state) {
  uint32_t kind1 = 0;
  uint32_t kind2 = 0;
  ForEachBreakpoint(state, [&](OrvendBreakpoint* bp) {
    if (BreakpointEnabled(*bp)) {
      if (BreakpointKind(*bp) == 1) ++kind1;
      if (BreakpointKind(*bp) == 2) ++kind2;
    }
    return true;
  });
  state.kind1Count = kind1;
  state.kind2Count = kind2;
}

bool Conditional(const DriverState& state) { return state.kind1Count != 0 || state.kind2Count != 0; }

bool AtTargetOrBreakpoint(const DriverState& state, uint32_t pc, uint32_t runTarget) {
  return AddressBreakpointAt(state, pc) || pc == runTarget;
}

void PublishPc(DriverState& state) {
  std::lock_guard lock(state.registerMutex);
  uint32_t pc = state.currentPc.load();
  state.registers.pc = pc;
  if (state.host.currentPc != nullptr) *state.host.currentPc = pc;
}

// Go-until targets are code addresses; the pod has one bank.
uint32_t NormaliseTarget(uint32_t address) {
  return address == kNoRunTarget ? kNoRunTarget : (kTagCode | (address & 0xFFFF));
}

// Every way out of a go request leaves the emulator's breakpoints unarmed. With the link gone nothing more is
// sent; the flag alone is dropped so that the next run arms again.
void DisarmOnExit(DriverState& state, Target& target, HostLink& link, uint32_t runTarget) {
  if (state.fatal.load()) {
    state.armed.store(false);
    return;
  }
  ArmBreakpoints(state, target, link, false, runTarget);
}

// The go or step request in progress ends by itself once the target halts (or, not yet started, never starts)
// and clears `running` then: until it has, memory and register requests are still refused.
uint32_t StopRequest(DriverState& state, Target& target) {
  state.stopRequested.store(true);
  if (state.running.load()) {
    if (!target.Stop()) return 0;
  }
  InvalidateVolatile(state);
  return 1;
}

}  // namespace

bool AddressBreakpointAt(const DriverState& state, uint32_t address) {
  bool found = false;
  ForEachBreakpoint(state, [&](OrvendBreakpoint* bp) {
    found = BreakpointKind(*bp) == 0 && BreakpointEnabled(*bp) && bp->address == address;
    return !found;
  });
  return found;
}

void InvalidateVolatile(DriverState& state) {
  state.registersWritten.store(false);
  state.memory.InvalidateVolatile();
}

bool StepOnce(DriverState& state, Target& target) {
  uint32_t pc = 0;
  if (!target.Step(&pc)) {
    state.fatal.store(true);
    return false;
  }
  state.currentPc.store((pc & 0xFFFF) | kTagCode);
  return true;
}

int BreakpointHit(DriverState& state, HostLink& link, uint32_t pc) {
  OrvendBreakpoint* hit = nullptr;
  ForEachBreakpoint(state, [&](OrvendBreakpoint* bp) {
    if (BreakpointKind(*bp) == 0 && BreakpointEnabled(*bp) && bp->address == pc) hit = bp;
    return hit == nullptr;
  });
  if (hit == nullptr) return kHitNone;
  if (hit->remaining_count <= 1) {
    if (hit->command != nullptr) {
      link.Callback(ORVEND_CALLBACK_COMMAND, hit->command);
      return kHitContinue;
    }
    return kHitStop;
  }
  --hit->remaining_count;
  return kHitContinue;
}

bool ArmBreakpoints(DriverState& state, Target& target, HostLink& link, bool arm, uint32_t runTarget) {
  CountConditional(state);
  if (arm == state.armed.load()) return true;
  if (!arm) {
    // Clear what the arming set, whatever happens next.
    state.armed.store(false);
    return target.ClearArmedBreakpoints() != emulator::kBreakpointLinkFailed;
  }
  if (Conditional(state)) {
    state.armed.store(true);  // run in step mode; the emulator keeps no breakpoint
    return true;
  }
  bool linkFailed = false;
  ForEachBreakpoint(state, [&](OrvendBreakpoint* bp) {
    if (BreakpointKind(*bp) != 0 || !BreakpointEnabled(*bp)) return true;
    uint32_t address = bp->address;
    if (address == runTarget || address == runTarget + 1 || address == runTarget - 1) return true;
    int result = target.SetBreakpoint(emulator::kBreakpointSet, address & 0xFFFF);
    if (result == emulator::kBreakpointLinkFailed) {
      linkFailed = true;
      return false;
    }
    if (result == emulator::kBreakpointTooMany || result == emulator::kBreakpointConflict) {
      link.PrintLine(result == emulator::kBreakpointTooMany ? texts::kBreakpointLimit : texts::kBreakpointConflict,
                     address & 0xFFFF);
      int32_t word = state.memory.ReadAttribute(address);
      if (word >= 0 && (word & kAttrBpEnabled) != 0) state.memory.UpdateAttribute(address, kAttrBpEnabled, kAttrBpDisabled);
      bp->flags &= ~ORVEND_BP_ENABLED;
    }
    return true;
  });
  if (linkFailed) {
    target.ClearArmedBreakpoints();  // the ones set before the failure must not outlive this attempt
    return false;
  }
  state.armed.store(true);
  return true;
}

void RunUntil(DriverState& state, Target& target, HostLink& link, uint32_t runTarget) {
  if (state.stopRequested.load()) {
    state.stopRequested.store(false);
    return;
  }
  if (Conditional(state)) {
    link.PrintLine(texts::kNotRealTime);
  } else {
    // Leave the current address first, so the run does not stop where it starts.
    uint32_t pc = state.currentPc.load();
    if (AtTargetOrBreakpoint(state, pc, runTarget)) {
      if (!StepOnce(state, target)) return;
      if (AtTargetOrBreakpoint(state, state.currentPc.load(), runTarget)) return;
    }
    pc = state.currentPc.load();
    if (AtTargetOrBreakpoint(state, pc - 1, runTarget)) {
      if (!StepOnce(state, target)) return;
      if (AddressBreakpointAt(state, state.currentPc.load())) return;
    }
    if (!ArmBreakpoints(state, target, link, true, runTarget)) {
      // The user's breakpoints are not where the emulator would stop: the target must not start.
      state.fatal.store(true);
      return;
    }
  }

  while (!state.stopRequested.load()) {
    if (AddressBreakpointAt(state, runTarget) || Conditional(state)) {
      if (!StepOnce(state, target)) {
        DisarmOnExit(state, target, link, runTarget);
        return;
      }
      InvalidateVolatile(state);
      uint32_t pc = state.currentPc.load();
      if (BreakpointHit(state, link, pc) == kHitStop) break;
      if (pc == runTarget) break;  // stepping reached the go-until address
      if (AddressBreakpointAt(state, pc) || Conditional(state)) continue;
    }
    bool started = false;
    const bool halted = target.Go(runTarget & 0xFFFF, state.stopRequested, &started);
    if (!halted) state.fatal.store(true);
    if (state.fatal.load()) {
      DisarmOnExit(state, target, link, runTarget);
      return;
    }
    if (!started) break;  // a stop came first: the target stays where it is
    uint16_t pc16 = 0;
    if (!target.ReadPc(&pc16)) {
      // Where the target halted is unknown; an old PC would be reported as the place it stopped.
      state.fatal.store(true);
      DisarmOnExit(state, target, link, runTarget);
      return;
    }
    state.currentPc.store(pc16 | kTagCode);
    if (BreakpointHit(state, link, state.currentPc.load()) != kHitContinue) break;
  }
  ArmBreakpoints(state, target, link, false, runTarget);
  link.Callback(ORVEND_CALLBACK_REFRESH, nullptr);
}

uint32_t GoStep(DriverState& state, Target& target, HostLink& link, uint16_t code, uint32_t count,
                const OrvendAddress* address) {
  if (state.fatal.load()) return 0;
  uint32_t result = 0;
  switch (code) {
    case ORVEND_GO_STOP:
      result = StopRequest(state, target);
      break;
    case ORVEND_GO_STEP:
      state.running.store(true);
      for (uint32_t n = 0; n < count && !state.stopRequested.load(); ++n) {
        if (!StepOnce(state, target)) break;
      }
      break;
    case ORVEND_GO_UNTIL:
    case ORVEND_GO: {
      uint32_t runTarget = kNoRunTarget;
      if (code == ORVEND_GO_UNTIL && address != nullptr) runTarget = NormaliseTarget(address->address.tagged);
      state.running.store(true);
      RunUntil(state, target, link, runTarget);
      break;
    }
    default:
      PublishPc(state);
      return 0;
  }
  if (code != ORVEND_GO_STOP) {
    state.stopRequested.store(false);
    InvalidateVolatile(state);
    state.running.store(false);
  }
  if (state.fatal.load()) {
    if (code != ORVEND_GO_STOP) state.armed.store(false);  // the go thread's flag, never the stop thread's
    target.PostFatalNotice();
  } else {
    PublishPc(state);
  }
  return result;
}

uint32_t BpInfo(DriverState& state, Target* target, uint16_t code, void* argument) {
  if (state.fatal.load()) return 0;
  auto fatalCheck = [&] {
    if (target != nullptr) target->FatalCheck();
  };
  HostMemory& memory = state.memory;
  if (code == 5 || code == 6) {
    uint32_t count = 0;
    ForEachBreakpoint(state, [&](OrvendBreakpoint* bp) {
      if (BreakpointKind(*bp) != 0) return true;
      if (code == 5) {
        if (!BreakpointEnabled(*bp)) return true;
        int32_t word = memory.ReadAttribute(bp->address);
        if (word >= 0 && (word & kAttrBpEnabled) != 0) memory.UpdateAttribute(bp->address, kAttrBpEnabled, kAttrBpDisabled);
      } else {
        memory.UpdateAttribute(bp->address, kAttrBpEnabled | kAttrBpDisabled, 0);
      }
      ++count;
      return true;
    });
    fatalCheck();
    return count;
  }
  if (argument == nullptr) return 0x80000000u;
  uint32_t address = *static_cast<const uint32_t*>(argument);
  int32_t word = memory.ReadAttribute(address);
  if (word < 0) return 0x80000000u;
  switch (code) {
    case 1:
    case 7:
      return static_cast<uint32_t>(word) & kAttrBpQuery;
    case 8:
      if ((word & kAttrBpDisabled) == 0) return 0;
      memory.UpdateAttribute(address, kAttrBpDisabled, kAttrBpEnabled);
      break;
    case 9:
      if ((word & kAttrBpEnabled) == 0) return 0;
      memory.UpdateAttribute(address, kAttrBpEnabled, kAttrBpDisabled);
      break;
    case 10:
      memory.UpdateAttribute(address, kAttrBpEnabled | kAttrBpDisabled, 0);
      break;
    case 11:
      memory.UpdateAttribute(address, kAttrBpDisabled, kAttrBpEnabled);
      break;
    default:
      return 0;
  }
  fatalCheck();
  return 0;
}

OrvendBreakpoint* BreakFunc(DriverState& state, Target* target, uint16_t code, const OrvendAddress* address,
                            OrvendBreakpoint* record) {
  if (state.fatal.load()) return nullptr;
  if (code == 5) return (record == nullptr || BreakpointKind(*record) == 2) ? nullptr : record;
  if (address == nullptr) return nullptr;
  uint32_t tagged = address->address.tagged;
  if (state.memory.ReadAttribute(tagged) < 0) return nullptr;
  switch (code) {
    case 1:
    case 4:
      if (record == nullptr) return nullptr;
      if (BreakpointEnabled(*record)) {
        state.memory.UpdateAttribute(tagged, kAttrBpDisabled, kAttrBpEnabled);
      } else {
        state.memory.UpdateAttribute(tagged, kAttrBpEnabled, kAttrBpDisabled);
      }
      break;
    case 2:
      state.memory.UpdateAttribute(tagged, kAttrBpEnabled | kAttrBpDisabled, 0);
      break;
    default:
      return record;
  }
  if (target != nullptr) target->FatalCheck();
  return record;
}

}  // namespace orven::driver
