#include "debugger/run_control.h"

#include <algorithm>
#include <array>

#include "debugger/code_position.h"
#include "debugger/format_text.h"
#include "debugger/texts.h"

namespace orven::debugger {

namespace {

// The addresses the chip calls when it takes an interrupt: external 0, timer 0, external 1, timer 1, serial,
// timer 2.
bool IsInterruptVector(uint16_t pc) {
  return pc == 0x03 || pc == 0x0B || pc == 0x13 || pc == 0x1B || pc == 0x23 || pc == 0x2B;
}

constexpr uint8_t kAnySp = 0xFF;

}  // namespace

RunControl::RunControl(TargetPort& port, const debuginfo::DebugInfo* info, BreakpointTable& breakpoints)
    : port_(port), info_(info), breakpoints_(breakpoints), code_(port), armed_(port) {}

void RunControl::RequestStop() {
  stopRequested_ = true;
  port_.Interrupt();
}

PortResult RunControl::SyncBreakpoints() {
  const std::set<uint16_t> wanted = breakpoints_.EnabledAddresses();
  // More than fit are refused at the next run; until then only what is no longer wanted leaves.
  if (wanted.size() > armed_.Limit()) return PortResult::Ok();
  return armed_.Sync(wanted);
}

void RunControl::Begin() {
  stepped_ = 0;
  stopRequested_ = false;
}

StopEvent RunControl::Make(StopEvent::Reason reason, std::string message) const {
  StopEvent e;
  e.reason = reason;
  e.pc = regs_.pc;
  e.message = std::move(message);
  return e;
}

RunControl::MaybeStop RunControl::Fail(const PortResult& result) const {
  return Make(StopEvent::Reason::kFailed, result.reason);
}

RunControl::MaybeStop RunControl::Refresh() {
  PortResult r = port_.ReadRegisters(regs_);
  if (!r.ok) return Fail(r);
  return std::nullopt;
}

RunControl::MaybeStop RunControl::AtBreakpoint() {
  if (!breakpoints_.HasEnabledAt(regs_.pc)) return std::nullopt;
  const BreakpointHit hit = breakpoints_.Decide(regs_.pc, condition_);
  if (!hit.stop) return std::nullopt;
  if (hit.temporary) {
    // Its comparator is freed now, not at the next run, so the emulator holds only the user's breakpoints.
    PortResult r = SyncBreakpoints();
    if (!r.ok) return Fail(r);
  }
  StopEvent e = Make(StopEvent::Reason::kBreakpoint, hit.error);
  e.breakpoint = hit.number;
  e.temporaryBreakpoint = hit.temporary;
  return e;
}

RunControl::MaybeStop RunControl::ReturnAddressOnStack(uint16_t& out) {
  uint8_t bytes[2] = {};
  PortResult r = port_.Read(Space::kIdata, static_cast<uint8_t>(regs_.sp - 1), bytes);
  if (!r.ok) return Fail(r);
  out = static_cast<uint16_t>(bytes[1] << 8 | bytes[0]);
  return std::nullopt;
}

RunControl::MaybeStop RunControl::StepOne() {
  if (stopRequested_) return Make(StopEvent::Reason::kInterrupted, texts::kInterrupted);
  if (++stepped_ > stepLimit_) {
    return Make(StopEvent::Reason::kStepLimit,
                FormatText(texts::kStepLimit, static_cast<unsigned long long>(stepLimit_)));
  }
  Instruction in;
  PortResult r = code_.Decode(regs_.pc, in);
  if (!r.ok) return Fail(r);
  // Where the instruction itself can go; anywhere else at a vector is the chip entering a handler.
  std::array<uint16_t, 2> expected = {static_cast<uint16_t>(regs_.pc + in.length), in.target.value_or(0)};
  if (in.flow == Flow::kJump || in.flow == Flow::kCall) expected[0] = *in.target;
  if (in.flow == Flow::kReturn) {
    if (MaybeStop s = ReturnAddressOnStack(expected[0])) return s;
  }
  if (in.flow == Flow::kIndirectJump) expected[0] = static_cast<uint16_t>(regs_.acc + regs_.dptr);
  if (in.flow != Flow::kBranch) expected[1] = expected[0];

  const RunOutcome out = port_.StepInstruction();
  if (!out.result.ok) return Fail(out.result);
  if (MaybeStop s = Refresh()) return s;
  if (!IsInterruptVector(regs_.pc) || std::find(expected.begin(), expected.end(), regs_.pc) != expected.end()) {
    return std::nullopt;
  }
  // The handler returns to the instruction after the one stepped, with SP where it was.
  if (MaybeStop s = AtBreakpoint()) return s;
  uint16_t resume = 0;
  if (MaybeStop s = ReturnAddressOnStack(resume)) return s;
  return RunTo(resume, static_cast<uint8_t>(regs_.sp - 2));
}

RunControl::MaybeStop RunControl::RunTo(uint16_t address, uint8_t maxSp) {
  const std::set<uint16_t> user = breakpoints_.EnabledAddresses();
  const bool userThere = user.count(address) != 0;
  // The run's own stop address takes a comparator as a breakpoint does. With none left the user's breakpoints
  // keep theirs and the engine steps.
  if (!userThere && user.size() >= armed_.Limit()) return StepTo(address, maxSp);
  while (true) {
    if (stopRequested_) return Make(StopEvent::Reason::kInterrupted, texts::kInterrupted);
    PortResult r = armed_.Sync(user);
    if (!r.ok) return Fail(r);
    const RunOutcome out = port_.Run(userThere ? -1 : address);
    if (!out.result.ok) return Fail(out.result);
    if (MaybeStop s = Refresh()) return s;
    const bool reached = regs_.pc == address && regs_.sp <= maxSp;
    if (breakpoints_.HasEnabledAt(regs_.pc)) {
      if (MaybeStop s = AtBreakpoint()) return s;
      if (reached) return std::nullopt;
      continue;
    }
    if (reached) return std::nullopt;
    if (regs_.pc == address) continue;  // a deeper call of the same code came by
    return Make(StopEvent::Reason::kInterrupted, texts::kInterrupted);
  }
}

RunControl::MaybeStop RunControl::StepTo(uint16_t address, uint8_t maxSp) {
  while (regs_.pc != address || regs_.sp > maxSp) {
    if (MaybeStop s = StepOne()) return s;
    if (MaybeStop s = AtBreakpoint()) return s;
  }
  return std::nullopt;
}

StopEvent RunControl::Continue() {
  Begin();
  if (MaybeStop s = Refresh()) return *s;
  const std::set<uint16_t> wanted = breakpoints_.EnabledAddresses();
  while (true) {
    PortResult r = armed_.Sync(wanted);
    if (!r.ok) return *Fail(r);
    const RunOutcome out = port_.Run();
    if (!out.result.ok) return *Fail(out.result);
    if (MaybeStop s = Refresh()) return *s;
    if (!breakpoints_.HasEnabledAt(regs_.pc) || stopRequested_) {
      return Make(StopEvent::Reason::kInterrupted, texts::kInterrupted);
    }
    if (MaybeStop s = AtBreakpoint()) return *s;
  }
}

StopEvent RunControl::StepInstruction() {
  Begin();
  if (MaybeStop s = Refresh()) return *s;
  if (MaybeStop s = StepOne()) return *s;
  if (MaybeStop s = AtBreakpoint()) return *s;
  return Make(StopEvent::Reason::kEndOfStep);
}

StopEvent RunControl::NextInstruction() {
  Begin();
  if (MaybeStop s = Refresh()) return *s;
  Instruction in;
  PortResult r = code_.Decode(regs_.pc, in);
  if (!r.ok) return *Fail(r);
  if (in.flow == Flow::kCall) {
    if (MaybeStop s = RunTo(static_cast<uint16_t>(regs_.pc + in.length), regs_.sp)) return *s;
  } else {
    if (MaybeStop s = StepOne()) return *s;
    if (MaybeStop s = AtBreakpoint()) return *s;
  }
  return Make(StopEvent::Reason::kEndOfStep);
}

StopEvent RunControl::Step() { return StepLine(LineMode::kStep); }
StopEvent RunControl::Next() { return StepLine(LineMode::kNext); }
StopEvent RunControl::Until() { return StepLine(LineMode::kUntil); }

StopEvent RunControl::StepLine(LineMode mode) {
  Begin();
  if (MaybeStop s = Refresh()) return *s;
  CodePosition at = PositionAt(info_, regs_.pc);
  // Without line information a step is one instruction, so scripts that count steps keep their meaning.
  if (!at.line) return mode == LineMode::kStep ? StepInstruction() : NextInstruction();
  const debuginfo::Function* function = at.function;
  uint32_t line = at.line->line;
  uint32_t file = at.line->file;
  auto rangeOf = [&](const CodePosition& p) {
    // `until` does not stop on a jump back to an earlier line of the function: it waits for a later one.
    const uint32_t begin = mode == LineMode::kUntil && function && function->begin ? *function->begin : p.rangeBegin;
    return std::pair(begin, p.rangeEnd);
  };
  auto [begin, end] = rangeOf(at);

  while (true) {
    Instruction in;
    PortResult r = code_.Decode(regs_.pc, in);
    if (!r.ok) return *Fail(r);
    uint16_t straightEnd = regs_.pc;
    if (MaybeStop s = StraightLineEnd(end, straightEnd)) return *s;
    if (straightEnd > regs_.pc + in.length) {
      // Several instructions that only fall through: one run to the first that can go elsewhere.
      if (MaybeStop s = RunTo(straightEnd, kAnySp)) return *s;
    } else if (in.flow == Flow::kCall) {
      const debuginfo::Function* callee = info_ ? info_->FunctionAt(*in.target) : nullptr;
      const bool into = mode == LineMode::kStep && callee && callee->begin == *in.target &&
                        info_->LineAt(*in.target) != nullptr;
      if (into) {
        if (MaybeStop s = StepOne()) return *s;
        if (regs_.pc == *in.target) {
          // Into the callee and on past its prologue, where its first statement starts.
          const uint16_t body = AfterPrologue(*info_, *callee);
          if (body != regs_.pc) {
            if (MaybeStop s = RunTo(body, kAnySp)) return *s;
          } else if (MaybeStop s = AtBreakpoint()) {
            return *s;
          }
          return Make(StopEvent::Reason::kEndOfStep);
        }
      } else if (MaybeStop s = RunTo(static_cast<uint16_t>(regs_.pc + in.length), regs_.sp)) {
        return *s;
      }
    } else {
      const bool returns = in.flow == Flow::kReturn;
      if (MaybeStop s = StepOne()) return *s;
      if (MaybeStop s = AtBreakpoint()) return *s;
      // Back in the caller, in the middle of its line: the step ends there.
      if (returns) return Make(StopEvent::Reason::kEndOfStep);
    }
    if (regs_.pc >= begin && regs_.pc < end) continue;
    const CodePosition now = PositionAt(info_, regs_.pc);
    if (!now.line || now.function != function) return Make(StopEvent::Reason::kEndOfStep);
    const bool sameLine = now.line->line == line && now.line->file == file;
    if (now.atLineStart && !sameLine) return Make(StopEvent::Reason::kEndOfStep);
    // In the middle of a line, or at another stretch of the same line: step on through it.
    line = now.line->line;
    file = now.line->file;
    std::tie(begin, end) = rangeOf(now);
  }
}

RunControl::MaybeStop RunControl::StraightLineEnd(uint32_t end, uint16_t& out) {
  out = regs_.pc;
  for (int count = 0; out < end && count < kMaxStraightRun; ++count) {
    Instruction in;
    PortResult r = code_.Decode(out, in);
    if (!r.ok) return Fail(r);
    if (in.flow != Flow::kNext) break;
    out = static_cast<uint16_t>(out + in.length);
  }
  return std::nullopt;
}

StopEvent RunControl::Finish(const Frame& frame) {
  Begin();
  if (MaybeStop s = Refresh()) return *s;
  if (frame.returnSlot < 2) return Make(StopEvent::Reason::kFailed, texts::kFinishOutermost);
  uint8_t bytes[2] = {};
  PortResult r = port_.Read(Space::kIdata, static_cast<uint32_t>(frame.returnSlot - 1), bytes);
  if (!r.ok) return *Fail(r);
  const auto returnAddress = static_cast<uint16_t>(bytes[1] << 8 | bytes[0]);
  if (MaybeStop s = RunTo(returnAddress, static_cast<uint8_t>(frame.returnSlot - 2))) return *s;
  return Make(StopEvent::Reason::kFinished);
}

}  // namespace orven::debugger
