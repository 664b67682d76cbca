#include "tools/orvhost/source_debugger.h"

#include "debugger/code_position.h"
#include "debugger/frame_variables.h"
#include "debugger/memory_reader.h"
#include "debugger/value_formatter.h"

namespace orven::orvhost {

namespace {

std::string Lines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

}  // namespace

debugger::Engine& SourceDebugger::Engine() {
  if (engine_) return *engine_;
  port_ = std::make_unique<debugger::HostTarget>(target_);
  engine_ = std::make_unique<debugger::Engine>(*port_, source_.Info());
  if (!source_.Folder().empty()) engine_->Sources().AddDirectory(source_.Folder());
  engine_->SetConditionEvaluator([this](const std::string& expression, std::string& error) {
    const debuginfo::DebugInfo* info = source_.Info();
    if (info == nullptr) {
      error = "No symbol table is loaded.";
      return true;
    }
    // The condition is tested where the breakpoint stopped: the innermost frame at the PC.
    debugger::MemoryReader memory(*port_);
    debugger::RegisterSet registers;
    const debugger::PortResult r = memory.Registers(registers);
    if (!r.ok) {
      error = r.reason;
      return true;
    }
    debugger::FrameContext frame;
    frame.pc = registers.pc;
    frame.framePointerAddress = source_.FramePointer();
    debugger::Evaluator evaluator(*info, memory, frame);
    debugger::Outcome<bool> holds = evaluator.Condition(expression);
    if (!holds) {
      error = holds.error;
      return true;
    }
    return *holds;
  });
  engine_->SetArgsFormatter([this](const debugger::Frame& frame) {
    const debuginfo::DebugInfo* info = source_.Info();
    if (info == nullptr) return std::string();
    debugger::MemoryReader memory(*port_);
    debugger::Evaluator evaluator(*info, memory, Context(&frame));
    return debugger::FrameVariables(evaluator).ArgumentList();
  });
  return *engine_;
}

void SourceDebugger::ProgramLoaded() {
  // The old port takes its breakpoints out of the host's list before the new one is made.
  engine_.reset();
  port_.reset();
}

void SourceDebugger::ProgramChanged() {
  if (engine_) engine_->ProgramChanged();
}

bool SourceDebugger::HasLineAt(uint16_t pc) const {
  return source_.Info() != nullptr && debugger::PositionAt(source_.Info(), pc).line != nullptr;
}

debugger::FrameContext SourceDebugger::Context(const debugger::Frame* frame) const {
  debugger::FrameContext context;
  context.pc = frame ? frame->pc : target_.Pc();
  context.innermost = frame == nullptr || frame->level == 0;
  // Further out, the frame pointer in _bp is the innermost frame's; a reentrant caller's locals are not
  // guessed from it.
  if (context.innermost) context.framePointerAddress = source_.FramePointer();
  return context;
}

debugger::FrameContext SourceDebugger::SelectedContext() {
  const debugger::Frame* frame = Engine().SelectedFrame();
  return Context(frame && frame->hasPc ? frame : nullptr);
}

bool SourceDebugger::Print(const std::string& expression, bool hex, std::string& out, std::string& error) {
  const debuginfo::DebugInfo* info = source_.Info();
  if (info == nullptr) {
    error = "No symbol table is loaded.  Use the \"symbols\" command.";
    return false;
  }
  const debugger::FrameContext context = SelectedContext();
  debugger::MemoryReader memory(*port_);
  debugger::Evaluator evaluator(*info, memory, context);
  debugger::Outcome<debugger::Value> value = evaluator.Evaluate(expression);
  if (!value) {
    error = value.error;
    return false;
  }
  debugger::FormatOptions options;
  options.hex = hex;
  debugger::Outcome<std::string> text = debugger::ValueFormatter(evaluator.Access(), options).Format(*value);
  if (!text) {
    error = text.error;
    return false;
  }
  out = expression + " = " + *text + "\n";
  return true;
}

bool SourceDebugger::Assign(const std::string& assignment, std::string& error) {
  const debuginfo::DebugInfo* info = source_.Info();
  if (info == nullptr) {
    error = "No symbol table is loaded.  Use the \"symbols\" command.";
    return false;
  }
  const debugger::FrameContext context = SelectedContext();
  debugger::MemoryReader memory(*port_);
  debugger::Evaluator evaluator(*info, memory, context);
  debugger::Outcome<debugger::Value> value = evaluator.Evaluate(assignment);
  if (!value) error = value.error;
  return static_cast<bool>(value);
}

bool SourceDebugger::Locals(bool args, std::string& out, std::string& error) {
  const debuginfo::DebugInfo* info = source_.Info();
  if (info == nullptr) {
    out = "No symbol table info available.\n";
    return true;
  }
  const debugger::FrameContext context = SelectedContext();
  if (!engine_->SelectedFrame()) {
    error = "No stack.";
    return false;
  }
  debugger::MemoryReader memory(*port_);
  debugger::Evaluator evaluator(*info, memory, context);
  debugger::FrameVariables variables(evaluator);
  out = Lines(args ? variables.Args() : variables.Locals());
  return true;
}

}  // namespace orven::orvhost
