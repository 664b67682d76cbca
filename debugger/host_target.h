// The target port over the debug host's Target: memory spaces become the driver's tagged addresses,
// registers go through its register window, breakpoints through the host's breakpoint list, runs through
// go, go-until and single steps.
#pragma once

#include <cstdint>
#include <set>

#include "debugger/target_port.h"
#include "host/target.h"

namespace orven::debugger {

class HostTarget final : public TargetPort {
 public:
  // The VELM5 pod's hardware breakpoints.
  static constexpr uint32_t kVelm5BreakpointLimit = 4;

  // target is borrowed and must outlive the port; it must be connected before the first request.
  explicit HostTarget(host::Target& target, uint32_t breakpointLimit = kVelm5BreakpointLimit)
      : target_(target), limit_(breakpointLimit) {}
  // Leaves the host's list as it found it: the breakpoints this port added are cleared.
  ~HostTarget() override;
  HostTarget(const HostTarget&) = delete;
  HostTarget& operator=(const HostTarget&) = delete;

  PortResult Read(Space space, uint32_t address, std::span<uint8_t> out) override;
  PortResult Write(Space space, uint32_t address, std::span<const uint8_t> bytes) override;
  PortResult ReadRegisters(RegisterSet& out) override;
  PortResult WriteRegister(RegisterId reg, uint32_t value) override;

  uint32_t HardwareBreakpointLimit() const override { return limit_; }
  // Adds a record to the host's list. Refused, before the driver sees it, beyond the limit (the driver would
  // disable the record and complain) and where the list already holds a record this port did not add.
  PortResult SetBreakpoint(uint16_t address) override;
  PortResult ClearBreakpoint(uint16_t address) override;

  RunOutcome StepInstruction() override;
  RunOutcome Run(int32_t until = -1) override;
  bool Interrupt() override { return target_.Interrupt(); }

  // Breakpoints this port has in the host's list.
  const std::set<uint16_t>& Breakpoints() const { return armed_; }

 private:
  RunOutcome RunUntil(uint16_t until);

  host::Target& target_;
  uint32_t limit_;
  std::set<uint16_t> armed_;
};

}  // namespace orven::debugger
