// The debug adapter's request loop: reads the editor's requests, answers each with a response, and turns
// every malformed message into a line on the editor's debug console instead of ending the session. The
// target's runs go to a worker (RunControl), which reports their ends as events while this loop keeps
// reading, so a pause reaches the driver while the go waits.
//
// With the program's .cdb the source-level engine (SourceLevel) serves stackTrace, the Locals and Globals
// scopes, line and function breakpoints, next/stepIn/stepOut by line (as jobs on the run worker), evaluate and
// setVariable of C expressions, and disassemble with source lines. Without it frames are code addresses and
// steps are instructions.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/orvdap/byte_stream.h"
#include "tools/orvdap/dap_events.h"
#include "tools/orvdap/debug_session.h"
#include "tools/orvdap/instruction_breakpoints.h"
#include "tools/orvdap/launch_arguments.h"
#include "tools/orvdap/message_reader.h"
#include "tools/orvdap/message_writer.h"
#include "tools/orvdap/run_control.h"
#include "tools/orvdap/source_level.h"
#include "tools/orvdap/variable_references.h"

namespace orven::orvdap {

class Server {
 public:
  // driverLibrary: the liborvend.so to load at launch; empty, the one installed beside orvdap.
  explicit Server(ByteStream& stream, ReaderLimits limits = {}, std::string driverLibrary = {});
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Serves until the editor disconnects or closes the stream (0), or can no longer be written to (1).
  int Run();
  // A go left running in the driver (the target would not stop): the process must end without unloading
  // the driver, at once.
  bool Abandoned() const;

 private:
  enum class State { kIdle, kLaunched, kDebugging, kLaunchFailed, kEnded };

  void Dispatch(const nlohmann::json& request);
  // Each handler answers its request.
  void Initialize(const nlohmann::json& request);
  void Launch(const nlohmann::json& request);
  void ConfigurationDone(const nlohmann::json& request);
  void Threads(const nlohmann::json& request);
  void StackTrace(const nlohmann::json& request);
  void Scopes(const nlohmann::json& request);
  void Variables(const nlohmann::json& request);
  void SetInstructionBreakpoints(const nlohmann::json& request);
  void SetSourceBreakpoints(const nlohmann::json& request);
  void SetFunctionBreakpoints(const nlohmann::json& request);
  void Continue(const nlohmann::json& request);
  void StepInstruction(const nlohmann::json& request);
  void StepLine(const nlohmann::json& request);
  void SetVariable(const nlohmann::json& request);
  void Disassemble(const nlohmann::json& request);
  void Pause(const nlohmann::json& request);
  void ReadMemory(const nlohmann::json& request);
  void WriteMemory(const nlohmann::json& request);
  void Evaluate(const nlohmann::json& request);
  void Restart(const nlohmann::json& request);
  void Terminate(const nlohmann::json& request);
  void Disconnect(const nlohmann::json& request);

  // Refuses the request unless a launched target is stopped (or, with whileRunning, at least launched).
  bool NeedTarget(const nlohmann::json& request, bool whileRunning = false);
  // Starts a run; references handed out so far become stale. announce: send "continued" (a run the editor
  // did not ask for).
  void StartRun(RunKind kind, bool announce);
  // The worker's report of a run's end.
  void RunEnded(const RunEnd& end);
  // Stops a run in progress without reporting it (restart, terminate, disconnect). False if it would not.
  bool HaltQuietly();
  // The session is over: exited and terminated, once.
  void EndSession(int exitCode);
  void SendStopped(const char* reason, uint16_t pc, const nlohmann::json& hitIds = nullptr);

  // The frames of this stop (read once per stop); null with the refusal sent when there are none.
  const debugger::Frame* FrameOf(const nlohmann::json& request, int64_t frameId);
  // The nodes as the protocol's Variable objects; an expandable one gets a reference for its children.
  nlohmann::json VariableObjects(const debugger::Frame& frame, std::vector<debugger::VariableNode> nodes,
                                 int64_t container);
  // A scope's lister: its nodes read anew each time it is asked.
  int64_t AddValueScope(const debugger::Frame& frame,
                        std::function<std::vector<debugger::VariableNode>(bool hex)> nodes);
  void LoadDebugInfo();

  bool Respond(const nlohmann::json& request, nlohmann::json body);
  bool Refuse(const nlohmann::json& request, const std::string& text);
  bool SendEvent(const char* name, nlohmann::json body);
  bool Console(const std::string& text);

  ByteStream& stream_;
  MessageReader reader_;
  MessageWriter writer_;
  std::string driverLibrary_;
  DapEvents events_;
  LaunchArguments launch_;
  std::unique_ptr<DebugSession> session_;
  std::unique_ptr<RunControl> runControl_;
  // The worker looks up the breakpoint a run stopped at while the loop may already be changing them.
  std::mutex breakpointsMutex_;
  InstructionBreakpoints instructionBreakpoints_;
  VariableReferences references_;
  std::unique_ptr<SourceLevel> source_;
  LineStep pendingStep_ = LineStep::kNext;  // the line step StartRun hands the worker
  std::atomic<bool> lastRunByEngine_{false};  // the run in progress is the engine's (its stop says why)
  std::string sourceDirectory_;  // where relative source names are found (the .cdb's directory)
  std::vector<debugger::Frame> frames_;
  bool framesRead_ = false;
  // For setVariable: the frame of each reference handed out and the expression of each name it listed.
  struct Container {
    debugger::Frame frame;
    std::map<std::string, std::string> expressions;
  };
  std::map<int64_t, Container> containers_;
  std::atomic<State> state_{State::kIdle};  // the worker ends the session when a run fails
  std::atomic<bool> quietHalt_{false};  // a run being halted is not reported as a stop
  std::atomic<bool> ended_{false};      // terminated has been sent
  bool disconnected_ = false;
};

// What the debug console says about a malformed message.
std::string DescribeFault(const ReadResult& fault);

}  // namespace orven::orvdap
