// The source-level debugger as a command line or an editor drives it: breakpoints by location, the run and
// step commands with the text printed after each stop, and the call stack with its selected frame. Texts are
// gdb's where gdb has one; a stop is reported as the debug host reports it ("stopped C:XXXX") followed by the
// function, file and line, then the source line.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "debugger/breakpoint_table.h"
#include "debugger/call_stack.h"
#include "debugger/frame_selection.h"
#include "debugger/location_resolver.h"
#include "debugger/run_control.h"
#include "debugger/source_files.h"
#include "debugger/target_port.h"
#include "debuginfo/debug_info.h"

namespace orven::debugger {

class Engine {
 public:
  // The text between a frame's parentheses ("n=3"); empty without one.
  using ArgsFormatter = std::function<std::string(const Frame& frame)>;

  // `info` may be null (no debug information): address breakpoints and instruction steps still work.
  Engine(TargetPort& port, const debuginfo::DebugInfo* info);

  void SetConditionEvaluator(ConditionEvaluator evaluator) { control_.SetConditionEvaluator(std::move(evaluator)); }
  void SetArgsFormatter(ArgsFormatter formatter) { args_ = std::move(formatter); }
  void SetStackStart(std::optional<uint8_t> sp) { stack_.SetStackStart(sp); }
  SourceFiles& Sources() { return sources_; }
  BreakpointTable& Breakpoints() { return breakpoints_; }
  RunControl& Control() { return control_; }

  // `break` and `tbreak`: the breakpoint's number, or 0 with `message` set to the error. On success `message`
  // is gdb's "Breakpoint 1 at 0x104: file prog.c, line 86."
  uint32_t Break(std::string_view location, bool temporary, std::string& message);

  // `delete`, `disable`, `enable` (all breakpoints without a number), `condition N [EXPR]` and `ignore N COUNT`:
  // gdb's message, empty when gdb prints none. A breakpoint deleted or disabled leaves the emulator at once.
  std::string Delete(std::optional<uint32_t> number);
  std::string Enable(std::optional<uint32_t> number, bool enabled);
  std::string Condition(uint32_t number, std::string expression);
  std::string Ignore(uint32_t number, uint32_t count);

  // The run commands; each returns what is printed once the program stopped.
  std::string Continue() { return Report(control_.Continue()); }
  std::string Step() { return Report(control_.Step()); }
  std::string Next() { return Report(control_.Next()); }
  std::string Until() { return Report(control_.Until()); }
  std::string StepInstruction() { return Report(control_.StepInstruction()); }
  std::string NextInstruction() { return Report(control_.NextInstruction()); }
  // Runs until the selected frame returns: "Run till exit from #0 ..." then the stop.
  std::string Finish();

  // `backtrace`: one line per frame.
  std::string Backtrace();
  // `frame N`, `up N`, `down N`: the selected frame's line and its source line, or the error.
  std::string SelectFrame(size_t level);
  std::string Up(size_t count = 1);
  std::string Down(size_t count = 1);
  const Frame* SelectedFrame();

  const StopEvent& LastStop() const { return last_; }

  // What a stop the engine did not run itself prints (a go or instruction step of the host): the stop line
  // and the source line. The frames of the stop before are forgotten.
  std::string Stopped(uint16_t pc);

  // After a load into code memory or a reset: forgets the code read and the frames of the last stop.
  void ProgramChanged() {
    control_.Code().Invalidate();
    framesValid_ = false;
  }

 private:
  std::string Report(const StopEvent& stop);
  // Takes what is no longer wanted out of the emulator; the error text when the target refused.
  std::string Disarm();
  // "stopped C:0104 in main () at prog.c:86\n86\t...\n" for the code position.
  std::string Where(uint16_t pc, const CodePosition& at);
  std::string SourceLine(const CodePosition& at);
  std::string FrameText(const Frame& frame);
  bool Unwind(std::string& error);

  TargetPort& port_;
  const debuginfo::DebugInfo* info_;
  BreakpointTable breakpoints_;
  RunControl control_;
  CallStack stack_;
  FrameSelection frames_;
  bool framesValid_ = false;
  SourceFiles sources_;
  LocationResolver resolver_;
  ArgsFormatter args_;
  StopEvent last_;
};

}  // namespace orven::debugger
