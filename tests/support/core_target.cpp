#include "tests/support/core_target.h"

namespace orven::testing {

using debugger::PortResult;
using debugger::RunOutcome;

void CoreTarget::Load(const std::vector<uint8_t>& code) {
  core_.LoadCode(0, code.data(), code.size());
  core_.ClearMemory();
  core_.Reset();
}

bool CoreTarget::Map(debugger::Space space, uint32_t& address, size_t count, mcs51::Space& out) const {
  uint32_t size = 0x10000;
  switch (space) {
    case debugger::Space::kCode: out = mcs51::Space::kCode; break;
    case debugger::Space::kXdata: out = mcs51::Space::kXdata; break;
    case debugger::Space::kData: out = mcs51::Space::kDirect; size = 0x100; break;
    case debugger::Space::kIdata: out = mcs51::Space::kIdata; size = 0x100; break;
    case debugger::Space::kPdata:
      // The page the chip puts out on P2 for movx @Ri.
      out = mcs51::Space::kXdata;
      size = 0x100;
      if (address + count > size) return false;
      address += uint32_t{core_.SfrValue(0xA0)} << 8;
      return true;
  }
  return address + count <= size;
}

PortResult CoreTarget::Read(debugger::Space space, uint32_t address, std::span<uint8_t> out) {
  ++requests_;
  mcs51::Space s{};
  if (!Map(space, address, out.size(), s) || !core_.ReadMemory(s, address, out.data(), out.size())) {
    return PortResult::Failed("read outside the memory space");
  }
  return PortResult::Ok();
}

PortResult CoreTarget::Write(debugger::Space space, uint32_t address, std::span<const uint8_t> bytes) {
  ++requests_;
  mcs51::Space s{};
  if (!Map(space, address, bytes.size(), s) || !core_.WriteMemory(s, address, bytes.data(), bytes.size())) {
    return PortResult::Failed("write outside the memory space");
  }
  return PortResult::Ok();
}

PortResult CoreTarget::ReadRegisters(debugger::RegisterSet& out) {
  ++requests_;
  const mcs51::Registers r = core_.GetRegisters();
  out.pc = r.pc;
  out.acc = r.acc;
  out.b = r.b;
  out.psw = r.psw;
  out.sp = r.sp;
  out.dptr = r.dptr;
  for (size_t i = 0; i < 8; ++i) out.r[i] = r.r[i];
  return PortResult::Ok();
}

PortResult CoreTarget::WriteRegister(debugger::RegisterId reg, uint32_t value) {
  ++requests_;
  mcs51::Registers r = core_.GetRegisters();
  const auto byte = static_cast<uint8_t>(value);
  using debugger::RegisterId;
  switch (reg) {
    case RegisterId::kAcc: r.acc = byte; break;
    case RegisterId::kB: r.b = byte; break;
    case RegisterId::kPsw: r.psw = byte; break;
    case RegisterId::kSp: r.sp = byte; break;
    case RegisterId::kDptr: r.dptr = static_cast<uint16_t>(value); break;
    case RegisterId::kPc: r.pc = static_cast<uint16_t>(value); break;
    default: r.r[static_cast<size_t>(reg)] = byte; break;
  }
  core_.SetRegisters(r);
  return PortResult::Ok();
}

PortResult CoreTarget::SetBreakpoint(uint16_t address) {
  ++requests_;
  if (!armed_.count(address) && armed_.size() >= limit_) return PortResult::Failed("no free hardware breakpoint");
  armed_.insert(address);
  core_.SetBreakpoint(address, true);
  return PortResult::Ok();
}

PortResult CoreTarget::ClearBreakpoint(uint16_t address) {
  ++requests_;
  armed_.erase(address);
  core_.SetBreakpoint(address, false);
  return PortResult::Ok();
}

RunOutcome CoreTarget::StepInstruction() {
  ++requests_;
  core_.Step();
  return {PortResult::Ok(), true};
}

RunOutcome CoreTarget::Run(int32_t until) {
  ++requests_;
  mcs51::RunLimits limits;
  limits.maxInstructions = runBudget_;
  limits.stopAddress = until;
  core_.Run(limits);
  return {PortResult::Ok(), true};
}

}  // namespace orven::testing
