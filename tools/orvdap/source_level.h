// The program seen at C level while orvdap debugs it: the debug information from the .cdb, the engine's
// breakpoints, runs and call stack over the debug host's target, and the values of frames and globals as the
// editor's Variables view browses them. Everything here runs on whichever thread holds the target: the
// request loop while the program is stopped, the run worker during a step.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "debugger/engine.h"
#include "debugger/evaluator.h"
#include "debugger/host_target.h"
#include "debugger/memory_reader.h"
#include "debugger/variable_tree.h"
#include "debuginfo/debug_info.h"
#include "host/target.h"

namespace orven::orvdap {

// What a line step does: `next` runs over calls, `stepIn` enters them, `stepOut` runs to the caller.
enum class LineStep { kNext, kStepIn, kStepOut, kContinue };

class SourceLevel {
 public:
  // What a logpoint prints (called on the run worker).
  using LogSink = std::function<void(const std::string& text)>;

  // Over the debug host's target (the driver), or over any target port.
  SourceLevel(debuginfo::DebugInfo info, host::Target& target, LogSink log);
  SourceLevel(debuginfo::DebugInfo info, debugger::TargetPort& port, LogSink log);
  SourceLevel(const SourceLevel&) = delete;
  SourceLevel& operator=(const SourceLevel&) = delete;

  debugger::Engine& Engine() { return *engine_; }
  const debuginfo::DebugInfo& Info() const { return info_; }

  // Replaces the breakpoints of one source file (or, with path empty, the function breakpoints) with the
  // request's, answering the protocol's Breakpoint objects in order. At most `slots` addresses are armed;
  // breakpoints beyond come back unverified.
  // `taken`: addresses instruction breakpoints hold, refused here.
  using Taken = std::function<bool(uint16_t address)>;
  nlohmann::json SetLineBreakpoints(const std::string& path, const nlohmann::json& requested, size_t slots,
                                    const Taken& taken = {});
  nlohmann::json SetFunctionBreakpoints(const nlohmann::json& requested, size_t slots, const Taken& taken = {});
  // Whether an enabled source breakpoint is at the address.
  bool HasBreakpointAt(uint16_t address) const { return engine_->Breakpoints().HasEnabledAt(address); }
  // Distinct code addresses the source breakpoints occupy.
  size_t UsedSlots() const;
  // Whether a breakpoint number came from a function breakpoint.
  bool IsFunctionBreakpoint(uint32_t number) const;

  // A run by line on the worker; the stop it ended with is LastStop().
  host::RunResult Run(LineStep step);
  const debugger::StopEvent& LastStop() const { return last_; }
  void RequestStop() { engine_->Control().RequestStop(); }

  // The frames of the stopped program, innermost first.
  bool Frames(std::vector<debugger::Frame>& out, std::string& error);
  // A frame's evaluation context (level as Frames numbered it).
  debugger::FrameContext Context(const debugger::Frame& frame) const;

  // Values: the locals and parameters of a frame, the globals, an expression in a frame; each node's children
  // come from Children(). hex: numbers in hexadecimal.
  std::vector<debugger::VariableNode> Locals(const debugger::Frame& frame, bool hex);
  std::vector<debugger::VariableNode> Globals(bool hex);
  std::vector<debugger::VariableNode> Children(const debugger::Frame& frame, const debugger::VariableNode& node,
                                               bool hex);
  // Evaluates `text` in the frame; the node of its value, or the error.
  bool Evaluate(const debugger::Frame& frame, const std::string& text, bool hex, debugger::VariableNode& out,
                std::string& error);

  // The target ran or was written: what was read is read again.
  void Forget() { memory_.Forget(); }
  size_t Exchanges() const { return memory_.Requests(); }
  debugger::MemoryReader& Memory() { return memory_; }

  // A logpoint's text with each {expression} replaced by its value at the stop.
  std::string Interpolate(const std::string& message);

 private:
  struct SourceBreakpoint {
    uint32_t number = 0;
    std::string logMessage;
  };
  nlohmann::json Place(const std::string& location, const nlohmann::json& wanted, size_t& slots,
                       std::vector<SourceBreakpoint>& into, const Taken& taken);
  bool Condition(const std::string& expr, std::string& error);
  // Where the compiler keeps a reentrant function's frame pointer (the map's _bp).
  std::optional<uint8_t> BasePointer() const;

  SourceLevel(debuginfo::DebugInfo info, std::unique_ptr<debugger::HostTarget> owned, debugger::TargetPort* port,
              LogSink log);

  debuginfo::DebugInfo info_;
  std::unique_ptr<debugger::HostTarget> hostPort_;  // clears its breakpoints from the host's list when dropped
  debugger::TargetPort& port_;
  std::unique_ptr<debugger::Engine> engine_;
  debugger::MemoryReader memory_;
  LogSink log_;
  debugger::StopEvent last_;
  std::map<std::string, std::vector<SourceBreakpoint>> byFile_;  // "" holds the function breakpoints
};

// The ignore count of a breakpoint's hit condition: "N" or ">= N" (stop from the N-th hit on), "> N";
// nullopt for anything else.
std::optional<uint32_t> IgnoreCountOf(std::string_view hitCondition);

// The debug information of a program: the .cdb beside it. nullopt with `message` saying why; else `message`
// says what was found.
std::optional<debuginfo::DebugInfo> LoadProgramDebugInfo(const std::string& cdb, std::string& message);

}  // namespace orven::orvdap
