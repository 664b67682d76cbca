// orvhost's commands: one line at a time, each turned into a request to the target and its printed result.
#pragma once

#include <string>
#include <vector>

#include "host/target.h"
#include "tools/orvhost/console.h"
#include "tools/orvhost/disassembly_view.h"
#include "tools/orvhost/program_source.h"
#include "tools/orvhost/source_debugger.h"
#include "tools/orvhost/source_view.h"

namespace orven::orvhost {

enum class Outcome { kOk, kFailed, kUsage, kQuit };

class Session {
 public:
  Session(host::Target& target, Console& console) : target_(target), console_(console) {}
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Runs one command line. Blank lines and comments are kOk. Complaints go to standard error.
  Outcome Execute(const std::string& line);
  // Ends a go still running in the background (stop request, then waits for it). kFailed if that go or
  // the stop failed.
  Outcome Finish();

 private:
  using Words = std::vector<std::string>;
  Outcome Init(const Words& w);
  Outcome Load(const Words& w);
  Outcome Download(const Words& w);
  Outcome Breakpoint(const Words& w);
  Outcome BreakpointChange(const Words& w);
  Outcome Go(const Words& w);
  Outcome Step(const Words& w);
  Outcome Stop(const Words& w);
  Outcome Sleep(const Words& w);
  Outcome Regs(const Words& w);
  Outcome Dump(const Words& w);
  Outcome Write(const Words& w);
  Outcome Set(const Words& w);
  Outcome Reset(const Words& w);
  Outcome Options(const Words& w);
  Outcome Setup(const Words& w);
  Outcome Shutdown(const Words& w);
  Outcome Symbols(const Words& w);
  Outcome List(const Words& w);
  Outcome Info(const Words& w);
  Outcome Disassemble(const Words& w);
  // The C-level commands, in gdb's names.
  Outcome Break(const Words& w);
  Outcome BreakpointEdit(const Words& w);
  Outcome Continue(const Words& w);
  Outcome LineStep(const Words& w);
  Outcome InstructionStep(const Words& w);
  Outcome FinishFrame(const Words& w);
  Outcome Print(const Words& w);
  Outcome Stack(const Words& w);
  // Prints what a run command of the engine returned; kFailed when the target refused or lost a request.
  Outcome EngineRun(const std::string& command, const std::string& text);
  // The command line after its first word, as typed (an expression keeps its quotes and spacing).
  std::string Rest(size_t words) const;

  Outcome Fail(const std::string& command, const std::string& reason);
  Outcome Usage(const std::string& command);
  // kOk, or the reason printed after the command's name and kFailed.
  Outcome Report(const std::string& command, const host::Result& result);
  // A run's end: "stopped C:XXXX", or the failure (named after the background go when it was its).
  Outcome ReportRun(const std::string& command, const host::RunResult& run);
  // The program's .cdb beside its HEX file, if there is one, replaces the debug information.
  void ReadDebugInfoBeside(const std::string& hexPath);
  // load, bp and go connect first, as init would, when no initialisation has.
  bool ConnectFirst(const std::string& command);

  host::Target& target_;
  Console& console_;
  ProgramSource source_;
  SourceView sourceView_{source_};
  DisassemblyView disassembly_{source_};
  SourceDebugger debugger_{target_, source_};
  std::string line_;  // the command line being run
};

}  // namespace orven::orvhost
