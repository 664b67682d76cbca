// Breakpoints and run control: the host keeps the breakpoints in its own list; the driver marks them in the
// host's attribute words, arms the emulator's hardware breakpoints around a run, runs in real time or
// instruction by instruction, counts passes, hands breakpoint commands to the host, and stops on request.
//
// Breakpoint record (the host's, x86_64): @0 next, @12 u32 flags (bits 0-3 kind: 0 address, 1 and 2
// conditional; bit 4 enabled), @16 u32 tagged address, @44 i32 remaining count, @56 command text or null. The
// driver writes only the remaining count and the enabled bit.
#pragma once

#include <cstdint>

#include "driver/driver_state.h"
#include "driver/host_link.h"
#include "driver/target.h"

namespace orven::driver {

inline constexpr uint32_t kNoRunTarget = 0xFFFFFFFF;
// A host list longer than this is taken to be broken (a cycle) and is walked no further.
inline constexpr uint32_t kMaxBreakpointRecords = 1u << 16;

enum BreakpointHitResult : int { kHitContinue = 0, kHitStop = 1, kHitNone = 2 };

// Calls visit(record) for each record of the host's list, in order, until it returns false.
template <typename Visit>
void ForEachBreakpoint(const DriverState& state, Visit visit) {
  if (state.host.breakpoints == nullptr) return;
  OrvendBreakpoint* record = *state.host.breakpoints;
  for (uint32_t n = 0; record != nullptr && n < kMaxBreakpointRecords; ++n, record = record->next) {
    if (!visit(record)) return;
  }
}

inline uint32_t BreakpointKind(const OrvendBreakpoint& bp) { return bp.flags & ORVEND_BP_KIND_MASK; }
inline bool BreakpointEnabled(const OrvendBreakpoint& bp) { return (bp.flags & ORVEND_BP_ENABLED) != 0; }

// True when an enabled address breakpoint (kind 0) lies at the tagged address.
bool AddressBreakpointAt(const DriverState& state, uint32_t address);

// registersWritten := false and the volatile spaces of the host image are no longer valid.
void InvalidateVolatile(DriverState& state);

// One instruction; currentPc follows. A failure sets fatal.
bool StepOnce(DriverState& state, Target& target);

// What a halt at pc means: the first enabled address breakpoint there stops when its remaining count is 1 or
// less (with a command the command goes to the host instead and the run goes on); above 1 it counts down.
int BreakpointHit(DriverState& state, HostLink& link, uint32_t pc);

// Arms (or disarms) the emulator's breakpoints for a run towards runTarget. False when a breakpoint command
// could not be sent. Breakpoints the emulator refuses are reported, shown disabled and left out.
bool ArmBreakpoints(DriverState& state, Target& target, HostLink& link, bool arm, uint32_t runTarget);

// A go request's body: leaves the current address, arms, runs (in real time, or stepping while conditional
// breakpoints exist or a breakpoint sits at the target) until a breakpoint, the target or a stop request.
void RunUntil(DriverState& state, Target& target, HostLink& link, uint32_t runTarget);

// AG_GoStep, AG_BpInfo, AG_BreakFunc without the entry-point shell.
uint32_t GoStep(DriverState& state, Target& target, HostLink& link, uint16_t code, uint32_t count,
                const OrvendAddress* address);
uint32_t BpInfo(DriverState& state, Target* target, uint16_t code, void* argument);
OrvendBreakpoint* BreakFunc(DriverState& state, Target* target, uint16_t code, const OrvendAddress* address,
                            OrvendBreakpoint* record);

}  // namespace orven::driver
