// A debug target over the pod's 8051 core, for the source-level debugger's tests and benchmarks: the core runs
// in process, the emulator's hardware breakpoint limit is kept, and every request is counted the way the driver
// would count its exchanges with the emulator.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "debugger/target_port.h"
#include "sim/mcs51/core.h"

namespace orven::testing {

class CoreTarget : public debugger::TargetPort {
 public:
  // A run that has executed this many instructions stops as if the user had asked it to.
  static constexpr uint64_t kDefaultRunBudget = 5'000'000;

  explicit CoreTarget(mcs51::Core& core, uint32_t breakpointLimit = 4) : core_(core), limit_(breakpointLimit) {}

  // Loads a code image and resets the chip to its power-on state.
  void Load(const std::vector<uint8_t>& code);

  uint64_t Requests() const { return requests_; }
  void ResetRequests() { requests_ = 0; }
  const std::set<uint16_t>& Armed() const { return armed_; }
  void SetRunBudget(uint64_t instructions) { runBudget_ = instructions; }
  mcs51::Core& Core() { return core_; }

  debugger::PortResult Read(debugger::Space space, uint32_t address, std::span<uint8_t> out) override;
  debugger::PortResult Write(debugger::Space space, uint32_t address, std::span<const uint8_t> bytes) override;
  debugger::PortResult ReadRegisters(debugger::RegisterSet& out) override;
  debugger::PortResult WriteRegister(debugger::RegisterId reg, uint32_t value) override;
  uint32_t HardwareBreakpointLimit() const override { return limit_; }
  debugger::PortResult SetBreakpoint(uint16_t address) override;
  debugger::PortResult ClearBreakpoint(uint16_t address) override;
  debugger::RunOutcome StepInstruction() override;
  debugger::RunOutcome Run(int32_t until = -1) override;
  bool Interrupt() override { return false; }

 private:
  // The core's space and address for a debugger space; false when the range leaves it.
  bool Map(debugger::Space space, uint32_t& address, size_t count, mcs51::Space& out) const;

  mcs51::Core& core_;
  uint32_t limit_;
  uint64_t requests_ = 0;
  uint64_t runBudget_ = kDefaultRunBudget;
  std::set<uint16_t> armed_;
};

}  // namespace orven::testing
