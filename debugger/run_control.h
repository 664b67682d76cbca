// Running and stepping the program at C level: continue, step, next, until, finish and the instruction steps.
//
// Lines are stepped an instruction at a time within the line's addresses, except that straight-line code (no
// jumps, calls or returns) is run through in one go. A call is not stepped through but run to its return
// address, the run's stop address acting as a temporary hardware breakpoint, so a `next` costs the same
// whatever the callee does. The return counts only with SP back at the caller's value, which keeps a
// recursive call's inner returns from ending the step. The run's stop address shares the emulator's few
// comparators with the user's breakpoints: when none is left, the engine steps instead and the user's stay
// armed. An interrupt the chip takes
// during a step is run to its reti unless a breakpoint stops it there.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "debugger/armed_breakpoints.h"
#include "debugger/breakpoint_table.h"
#include "debugger/call_stack.h"
#include "debugger/code_cache.h"
#include "debugger/target_port.h"
#include "debuginfo/debug_info.h"

namespace orven::debugger {

struct StopEvent {
  enum class Reason : uint8_t {
    kEndOfStep,    // the step, next, until or instruction step is done
    kBreakpoint,   // a user breakpoint stopped the program (breakpoint, temporaryBreakpoint)
    kFinished,     // finish reached the caller
    kInterrupted,  // the target stopped for no breakpoint (a stop request)
    kStepLimit,    // the step ran out of its instruction allowance
    kFailed,       // the target refused or lost a request: message; the program state is unknown
  };
  Reason reason = Reason::kEndOfStep;
  uint16_t pc = 0;
  uint32_t breakpoint = 0;
  bool temporaryBreakpoint = false;
  std::string message;  // kFailed: the target's reason; kBreakpoint: a condition that could not be evaluated
};

class RunControl {
 public:
  static constexpr uint64_t kDefaultStepLimit = 1'000'000;

  RunControl(TargetPort& port, const debuginfo::DebugInfo* info, BreakpointTable& breakpoints);

  void SetConditionEvaluator(ConditionEvaluator evaluator) { condition_ = std::move(evaluator); }
  // Instructions one command may single-step before it gives up (a line that loops on itself).
  void SetStepLimit(uint64_t instructions) { stepLimit_ = instructions; }
  // From another thread: ends the running command at its next chance with kInterrupted.
  void RequestStop();

  StopEvent Continue();
  StopEvent Step();
  StopEvent Next();
  StopEvent Until();
  StopEvent StepInstruction();
  StopEvent NextInstruction();
  // Runs until `frame` returns to its caller (the frame must have a return slot).
  StopEvent Finish(const Frame& frame);

  // Arms the enabled breakpoints and nothing else (the next run would; this frees comparators at once).
  PortResult SyncBreakpoints();

  CodeCache& Code() { return code_; }
  const ArmedBreakpoints& Armed() const { return armed_; }
  // The registers read at the last stop.
  const RegisterSet& Registers() const { return regs_; }

 private:
  enum class LineMode : uint8_t { kStep, kNext, kUntil };
  using MaybeStop = std::optional<StopEvent>;

  StopEvent StepLine(LineMode mode);
  void Begin();
  StopEvent Make(StopEvent::Reason reason, std::string message = {}) const;
  MaybeStop Fail(const PortResult& result) const;
  MaybeStop Refresh();
  MaybeStop AtBreakpoint();
  MaybeStop StepOne();
  MaybeStop RunTo(uint16_t address, uint8_t maxSp);
  MaybeStop StepTo(uint16_t address, uint8_t maxSp);
  MaybeStop ReturnAddressOnStack(uint16_t& out);
  // The first address from the PC on, below `end`, that is not reached by falling through: where a run over
  // straight-line code stops.
  MaybeStop StraightLineEnd(uint32_t end, uint16_t& out);

  static constexpr int kMaxStraightRun = 64;

  TargetPort& port_;
  const debuginfo::DebugInfo* info_;
  BreakpointTable& breakpoints_;
  ConditionEvaluator condition_;
  CodeCache code_;
  ArmedBreakpoints armed_;
  RegisterSet regs_;
  uint64_t stepLimit_ = kDefaultStepLimit;
  uint64_t stepped_ = 0;
  std::atomic<bool> stopRequested_{false};
};

}  // namespace orven::debugger
