#include "debugger/host_target.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "host/texts.h"
#include "orvend/orvend.h"

namespace orven::debugger {

namespace {

// What this port says when it refuses a request before the driver sees it.
constexpr char kBeyondSpace[] = "the range ends beyond the memory space";
constexpr char kBeyondLimit[] = "the emulator has no more hardware breakpoints";
constexpr char kHostsOwn[] = "the host's breakpoint list already has a breakpoint at ";
constexpr char kNotArmed[] = "no breakpoint of the debugger at ";
constexpr char kValueTooWide[] = "the value does not fit the register";

struct SpaceLayout {
  uint32_t tag;
  uint32_t size;
};

SpaceLayout LayoutOf(Space space) {
  switch (space) {
    case Space::kCode: return {ORVEND_SPACE_CODE, 0x10000};
    case Space::kData: return {ORVEND_SPACE_DATA, 0x100};
    case Space::kIdata: return {ORVEND_SPACE_IDATA, 0x100};
    case Space::kXdata: return {ORVEND_SPACE_XDATA, 0x10000};
    case Space::kPdata: return {ORVEND_SPACE_PDATA, 0x100};
  }
  return {ORVEND_SPACE_CODE, 0};
}

// The tagged address of a range, or nullopt when the range does not lie inside its space.
std::optional<uint32_t> Tagged(Space space, uint32_t address, size_t count) {
  const SpaceLayout layout = LayoutOf(space);
  if (address >= layout.size || count > layout.size - address) return std::nullopt;
  return ORVEND_TAG(layout.tag, address);
}

std::string CodeText(uint16_t address) {
  char text[8];
  std::snprintf(text, sizeof text, "C:%04X", address);
  return text;
}

PortResult FromHost(const host::Result& r) { return r.ok ? PortResult::Ok() : PortResult::Failed(r.reason); }

RunOutcome FromHost(const host::RunResult& r) { return RunOutcome{FromHost(r.result), r.stopped}; }

// The register window's names for the port's registers.
constexpr const char* kRegisterNames[] = {"r0", "r1", "r2", "r3", "r4", "r5", "r6",
                                          "r7", "a",  "b",  "psw", "sp", "dptr", "pc"};

}  // namespace

HostTarget::~HostTarget() {
  for (uint16_t address : armed_) target_.ChangeBreakpoint(address, host::BreakpointChange::kClear);
}

PortResult HostTarget::Read(Space space, uint32_t address, std::span<uint8_t> out) {
  if (out.empty()) return PortResult::Ok();
  const auto tagged = Tagged(space, address, out.size());
  if (!tagged) return PortResult::Failed(kBeyondSpace);
  return FromHost(target_.ReadMemory(*tagged, out.data(), static_cast<uint32_t>(out.size())));
}

PortResult HostTarget::Write(Space space, uint32_t address, std::span<const uint8_t> bytes) {
  if (bytes.empty()) return PortResult::Ok();
  const auto tagged = Tagged(space, address, bytes.size());
  if (!tagged) return PortResult::Failed(kBeyondSpace);
  return FromHost(target_.WriteMemory(*tagged, std::vector<uint8_t>(bytes.begin(), bytes.end())));
}

PortResult HostTarget::ReadRegisters(RegisterSet& out) {
  host::Registers r;
  if (host::Result result = target_.ReadRegisters(r); !result.ok) return PortResult::Failed(result.reason);
  out.pc = r.pc;
  out.acc = r.acc;
  out.b = r.b;
  out.psw = r.psw;
  out.sp = r.sp;
  out.dptr = r.dptr;
  for (size_t i = 0; i < 8; ++i) out.r[i] = r.r[i];
  return PortResult::Ok();
}

PortResult HostTarget::WriteRegister(RegisterId reg, uint32_t value) {
  const host::RegisterName* name = host::Target::FindRegister(kRegisterNames[static_cast<size_t>(reg)]);
  if (name == nullptr) return PortResult::Failed(kValueTooWide);
  if (value > (name->wide ? 0xFFFFu : 0xFFu)) return PortResult::Failed(kValueTooWide);
  return FromHost(target_.SetRegister(*name, value));
}

PortResult HostTarget::SetBreakpoint(uint16_t address) {
  if (armed_.contains(address)) return PortResult::Ok();
  if (armed_.size() >= limit_) return PortResult::Failed(kBeyondLimit);
  // A record the port did not add belongs to whoever added it: clearing it later would take it from them.
  const host::Result added = target_.AddBreakpoint(address, 0, 1, "");
  if (!added.ok) {
    return PortResult::Failed(added.reason.rfind(host::texts::kBreakpointExists, 0) == 0 ? kHostsOwn + CodeText(address)
                                                                               : added.reason);
  }
  armed_.insert(address);
  return PortResult::Ok();
}

PortResult HostTarget::ClearBreakpoint(uint16_t address) {
  if (!armed_.contains(address)) return PortResult::Failed(kNotArmed + CodeText(address));
  armed_.erase(address);
  return FromHost(target_.ChangeBreakpoint(address, host::BreakpointChange::kClear));
}

RunOutcome HostTarget::StepInstruction() { return FromHost(target_.Step(1)); }

RunOutcome HostTarget::Run(int32_t until) {
  if (until < 0 || until > 0xFFFF) return FromHost(target_.Go());
  return RunUntil(static_cast<uint16_t>(until));
}

RunOutcome HostTarget::RunUntil(uint16_t until) {
  // The driver does not arm a breakpoint at the go-until address or either neighbour of it, so a breakpoint
  // of ours on a neighbour would be run past. Then the target runs to a breakpoint of its own at `until`.
  const bool neighbourArmed = armed_.contains(static_cast<uint16_t>(until - 1)) ||
                              armed_.contains(static_cast<uint16_t>(until + 1));
  if (!neighbourArmed || armed_.contains(until)) {
    if (!neighbourArmed) return FromHost(target_.GoUntil(until));
    return FromHost(target_.Go());
  }
  if (PortResult set = SetBreakpoint(until); !set.ok) return RunOutcome{set, false};
  RunOutcome run = FromHost(target_.Go());
  if (PortResult cleared = ClearBreakpoint(until); !cleared.ok && run.result.ok) run.result = cleared;
  return run;
}

}  // namespace orven::debugger
