// orvhost's C-level debugging: the source-level engine over the debug host and the loaded program's debug
// information, and the expressions of print, set var, info locals and info args at the selected frame. The
// engine is built when first needed and again when another program or its debug information is loaded; a
// reset keeps the breakpoints and forgets what was read of the code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "debugger/engine.h"
#include "debugger/evaluator.h"
#include "debugger/host_target.h"
#include "host/target.h"
#include "tools/orvhost/program_source.h"

namespace orven::orvhost {

class SourceDebugger {
 public:
  // Both are borrowed and must outlive the debugger.
  SourceDebugger(host::Target& target, ProgramSource& source) : target_(target), source_(source) {}
  SourceDebugger(const SourceDebugger&) = delete;
  SourceDebugger& operator=(const SourceDebugger&) = delete;

  debugger::Engine& Engine();
  // Another program or its debug information was loaded: breakpoints of the old one go with it.
  void ProgramLoaded();
  // The target was reset or code memory written.
  void ProgramChanged();
  // True when the PC has a source line, so that step and next go by lines.
  bool HasLineAt(uint16_t pc) const;

  // print EXPR, print/x EXPR: "EXPR = VALUE"; false with the error.
  bool Print(const std::string& expression, bool hex, std::string& out, std::string& error);
  // set var LVALUE = EXPR.
  bool Assign(const std::string& assignment, std::string& error);
  // info locals, info args: the lines to print.
  bool Locals(bool args, std::string& out, std::string& error);

 private:
  debugger::FrameContext Context(const debugger::Frame* frame) const;
  debugger::FrameContext SelectedContext();

  host::Target& target_;
  ProgramSource& source_;
  std::unique_ptr<debugger::HostTarget> port_;
  std::unique_ptr<debugger::Engine> engine_;
};

}  // namespace orven::orvhost
