#include "tools/orvdap/server.h"

#include <cstdio>
#include <map>

#include "tools/orvdap/exec_command.h"
#include "tools/orvdap/memory_requests.h"
#include "tools/orvdap/memory_reference.h"
#include "tools/orvdap/register_scope.h"
#include "tools/orvdap/texts.h"

namespace orven::orvdap {

using nlohmann::json;

namespace {

constexpr int64_t kThreadId = 1;
constexpr int64_t kFrameId = 1;
constexpr char kExecPrefix[] = "-exec ";

const json& Arguments(const json& request) {
  static const json kNone = json::object();
  const auto it = request.find("arguments");
  return it != request.end() && it->is_object() ? *it : kNone;
}

std::string StringArgument(const json& args, const char* name) {
  const auto it = args.find(name);
  return it != args.end() && it->is_string() ? it->get<std::string>() : std::string();
}

std::optional<int64_t> IntegerArgument(const json& args, const char* name, int64_t absent) {
  const auto it = args.find(name);
  if (it == args.end() || it->is_null()) return absent;
  if (!it->is_number_integer()) return std::nullopt;
  return it->get<int64_t>();
}

std::string CodeAddressName(uint16_t pc) {
  char buf[12];
  std::snprintf(buf, sizeof buf, "C:%04X", pc);
  return buf;
}

}  // namespace

std::string DescribeFault(const ReadResult& fault) {
  const char* text = texts::kBadJson;
  switch (fault.error) {
    case FrameError::kHeaderTooLong: text = texts::kHeaderTooLong; break;
    case FrameError::kBadHeaderLine: text = texts::kBadHeaderLine; break;
    case FrameError::kNoContentLength: text = texts::kNoContentLength; break;
    case FrameError::kBadContentLength: text = texts::kBadContentLength; break;
    case FrameError::kBodyTooLarge: text = texts::kBodyTooLarge; break;
    case FrameError::kBadJson: text = texts::kBadJson; break;
    case FrameError::kTooDeep: text = texts::kTooDeep; break;
    case FrameError::kNotAnObject: text = texts::kNotAnObject; break;
    case FrameError::kTruncated: text = texts::kTruncated; break;
    case FrameError::kNone: break;
  }
  std::string line = text;
  if (!fault.detail.empty()) line += " (" + fault.detail + ")";
  return line;
}

Server::Server(ByteStream& stream, ReaderLimits limits, std::string driverLibrary)
    : stream_(stream), reader_(limits), writer_(stream), driverLibrary_(std::move(driverLibrary)), events_(writer_) {}

Server::~Server() {
  // The worker reports through this server: it goes first.
  if (runControl_ != nullptr && !HaltQuietly()) return;
  runControl_.reset();
  session_.reset();
}

bool Server::Abandoned() const {
  return (runControl_ != nullptr && runControl_->Abandoned()) || (session_ != nullptr && session_->Abandoned());
}

int Server::Run() {
  for (;;) {
    const ReadResult r = reader_.Read(stream_);
    if (r.status == ReadStatus::kMessage) {
      Dispatch(r.message);
    } else if (r.status == ReadStatus::kMalformed) {
      Console(DescribeFault(r));
    } else {
      return 0;
    }
    // The link closed during a request the loop made (the worker's runs report their own end).
    if (events_.LinkLost() && (runControl_ == nullptr || !runControl_->Running())) EndSession(1);
    if (writer_.Broken()) return 1;
    if (disconnected_) return 0;
  }
}

void Server::Dispatch(const json& message) {
  const auto type = message.find("type");
  const auto seq = message.find("seq");
  const auto command = message.find("command");
  if (type == message.end() || *type != "request" || seq == message.end() || !seq->is_number_integer() ||
      command == message.end() || !command->is_string()) {
    Console(texts::kNotARequest);
    return;
  }
  using Handler = void (Server::*)(const json&);
  static const std::map<std::string, Handler> kHandlers = {
      {"initialize", &Server::Initialize},
      {"launch", &Server::Launch},
      {"configurationDone", &Server::ConfigurationDone},
      {"threads", &Server::Threads},
      {"stackTrace", &Server::StackTrace},
      {"scopes", &Server::Scopes},
      {"variables", &Server::Variables},
      {"setInstructionBreakpoints", &Server::SetInstructionBreakpoints},
      {"setBreakpoints", &Server::SetSourceBreakpoints},
      {"setFunctionBreakpoints", &Server::SetSourceBreakpoints},
      {"setExceptionBreakpoints", &Server::SetSourceBreakpoints},
      {"continue", &Server::Continue},
      {"next", &Server::StepInstruction},
      {"stepIn", &Server::StepInstruction},
      {"pause", &Server::Pause},
      {"readMemory", &Server::ReadMemory},
      {"writeMemory", &Server::WriteMemory},
      {"evaluate", &Server::Evaluate},
      {"restart", &Server::Restart},
      {"terminate", &Server::Terminate},
      {"disconnect", &Server::Disconnect},
  };
  const std::string& name = command->get_ref<const std::string&>();
  if (name == "stepOut") {
    Refuse(message, texts::kStepOut);
    return;
  }
  const auto handler = kHandlers.find(name);
  if (handler == kHandlers.end()) {
    Refuse(message, texts::kUnsupported + name);
    return;
  }
  (this->*handler->second)(message);
}

// ----- session

void Server::Initialize(const json& request) {
  const json& args = Arguments(request);
  events_.SetProgressReporting(args.value("supportsProgressReporting", false) == true);
  // Each request served is announced; what the source-level engine adds (line and function breakpoints,
  // stepping out, setVariable, disassemble, hovers) is announced once it is there.
  Respond(request, json{{"supportsConfigurationDoneRequest", true},
                        {"supportsTerminateRequest", true},
                        {"supportsRestartRequest", true},
                        {"supportsInstructionBreakpoints", true},
                        {"supportsReadMemoryRequest", true},
                        {"supportsWriteMemoryRequest", true},
                        {"supportsSteppingGranularity", true},
                        {"supportsValueFormattingOptions", true},
                        {"supportsFunctionBreakpoints", false},
                        {"supportsConditionalBreakpoints", false},
                        {"supportsEvaluateForHovers", false},
                        {"exceptionBreakpointFilters", json::array()}});
}

void Server::Launch(const json& request) {
  if (state_ != State::kIdle) {
    Refuse(request, texts::kAlreadyLaunched);
    return;
  }
  std::string error;
  if (!ParseLaunchArguments(Arguments(request), launch_, error)) {
    state_ = State::kLaunchFailed;
    Refuse(request, error);
    EndSession(1);
    return;
  }
  // A .cdb of the program's name beside it is its debug information.
  if (launch_.cdb.empty()) {
    const size_t dot = launch_.program.find_last_of('.');
    const size_t slash = launch_.program.find_last_of('/');
    const std::string stem =
        dot != std::string::npos && (slash == std::string::npos || dot > slash) ? launch_.program.substr(0, dot)
                                                                                : launch_.program;
    if (FILE* f = std::fopen((stem + ".cdb").c_str(), "r")) {
      std::fclose(f);
      launch_.cdb = stem + ".cdb";
    }
  }
  events_.SetAnswer(launch_.answerYes);
  session_ = std::make_unique<DebugSession>(events_, driverLibrary_);
  if (const host::Result r = session_->Start(launch_); !r.ok) {
    state_ = State::kLaunchFailed;
    Refuse(request, r.reason);
    EndSession(1);
    return;
  }
  runControl_ = std::make_unique<RunControl>(session_->Target(), [this](const RunEnd& end) { RunEnded(end); });
  state_ = State::kLaunched;
  Respond(request, json::object());
  SendEvent("initialized", json::object());
}

void Server::ConfigurationDone(const json& request) {
  if (state_ != State::kLaunched) {
    Respond(request, json::object());
    return;
  }
  state_ = State::kDebugging;
  Respond(request, json::object());
  if (launch_.stopOnEntry) {
    SendStopped("entry", session_->Target().Pc());
  } else {
    StartRun(RunKind::kContinue, true);
  }
}

void Server::Restart(const json& request) {
  if (!NeedTarget(request, true)) return;
  if (!HaltQuietly()) {
    Refuse(request, texts::kDidNotStop);
    return;
  }
  references_.Clear();
  if (const host::Result r = session_->Target().Reset(); !r.ok) {
    Refuse(request, "orvdap: " + r.reason);
    return;
  }
  Respond(request, json::object());
  if (launch_.stopOnEntry) {
    SendStopped("entry", session_->Target().Pc());
  } else {
    StartRun(RunKind::kContinue, true);
  }
}

void Server::Terminate(const json& request) {
  if (runControl_ != nullptr && !HaltQuietly()) {
    Refuse(request, texts::kDidNotStop);
    return;
  }
  if (session_ != nullptr) session_->End();
  Respond(request, json::object());
  EndSession(0);
}

void Server::Disconnect(const json& request) {
  // A go that would not stop is left in the driver: main ends the process without unloading it.
  if (runControl_ != nullptr && HaltQuietly() && session_ != nullptr) session_->End();
  Respond(request, json::object());
  disconnected_ = true;
}

void Server::EndSession(int exitCode) {
  if (ended_.exchange(true)) return;
  if (state_ != State::kIdle && state_ != State::kLaunchFailed) SendEvent("exited", json{{"exitCode", exitCode}});
  if (state_ != State::kLaunchFailed) state_ = State::kEnded;
  SendEvent("terminated", json::object());
}

bool Server::NeedTarget(const json& request, bool whileRunning) {
  const char* refusal = nullptr;
  if (state_ == State::kLaunchFailed) {
    refusal = texts::kLaunchDidFail;
  } else if (state_ == State::kEnded || ended_) {
    refusal = texts::kSessionEnded;
  } else if (state_ == State::kIdle || session_ == nullptr) {
    refusal = texts::kNotLaunched;
  } else if (!whileRunning && runControl_->Running()) {
    refusal = texts::kRunning;
  }
  if (refusal == nullptr) return true;
  Refuse(request, refusal);
  return false;
}

// ----- run control

void Server::StartRun(RunKind kind, bool announce) {
  references_.Clear();
  if (!runControl_->Start(kind)) return;
  if (announce) SendEvent("continued", json{{"threadId", kThreadId}, {"allThreadsContinued", true}});
}

void Server::RunEnded(const RunEnd& end) {
  if (quietHalt_) return;
  if (!end.ok) {
    if (!events_.LinkLost()) events_.Console("orvdap: " + end.reason);  // else the console said so already
    // A No to the driver's question is the usual cause (the stop-while-running question on a program that
    // uses C:0x003B).
    if (events_.AnsweredNo() > 0) events_.Console(texts::kAnsweredNoHint);
    EndSession(1);
    return;
  }
  std::optional<int64_t> id;
  std::vector<int64_t> disabled;
  {
    std::lock_guard<std::mutex> lock(breakpointsMutex_);
    id = instructionBreakpoints_.IdAt(end.pc);
    disabled = instructionBreakpoints_.TakeDisabled(session_->Host());
  }
  for (int64_t gone : disabled) {
    SendEvent("breakpoint", json{{"reason", "changed"},
                                 {"breakpoint", {{"id", gone}, {"verified", false}, {"message", texts::kDisabledByDriver}}}});
  }
  if (id && end.kind == RunKind::kContinue) {
    SendStopped("instruction breakpoint", end.pc, json::array({*id}));
  } else if (end.pauseRequested) {
    SendStopped("pause", end.pc);
  } else if (end.kind == RunKind::kStepInstruction) {
    SendStopped("step", end.pc);
  } else {
    // A breakpoint of the host's list that the editor did not set (-exec bp).
    SendStopped("breakpoint", end.pc);
  }
}

void Server::SendStopped(const char* reason, uint16_t pc, const json& hitIds) {
  json body{{"reason", reason},
            {"threadId", kThreadId},
            {"allThreadsStopped", true},
            {"description", std::string("stopped at ") + CodeAddressName(pc)}};
  if (!hitIds.is_null()) body["hitBreakpointIds"] = hitIds;
  SendEvent("stopped", std::move(body));
}

bool Server::HaltQuietly() {
  if (runControl_ == nullptr) return true;
  quietHalt_ = true;
  const bool halted = runControl_->Halt();
  quietHalt_ = false;
  return halted;
}

void Server::Continue(const json& request) {
  if (!NeedTarget(request)) return;
  Respond(request, json{{"allThreadsContinued", true}});
  StartRun(RunKind::kContinue, false);
}

void Server::StepInstruction(const json& request) {
  // Without line information every step is one instruction; stepping by line comes with the engine.
  if (!NeedTarget(request)) return;
  Respond(request, json::object());
  StartRun(RunKind::kStepInstruction, false);
}

void Server::Pause(const json& request) {
  if (!NeedTarget(request, true)) return;
  if (runControl_->Pause() == host::InterruptOutcome::kStillRunning) {
    Refuse(request, texts::kDidNotStop);
    return;
  }
  Respond(request, json::object());
}

// ----- threads, frames, scopes, variables

void Server::Threads(const json& request) {
  Respond(request, json{{"threads", json::array({json{{"id", kThreadId}, {"name", "8051"}}})}});
}

void Server::StackTrace(const json& request) {
  if (!NeedTarget(request)) return;
  const uint16_t pc = session_->Target().Pc();
  json frame{{"id", kFrameId},
             {"name", CodeAddressName(pc)},
             {"line", 0},
             {"column", 0},
             {"instructionPointerReference", MemoryReference{'C', pc}.Text()}};
  Respond(request, json{{"stackFrames", json::array({frame})}, {"totalFrames", 1}});
}

void Server::Scopes(const json& request) {
  if (!NeedTarget(request)) return;
  if (IntegerArgument(Arguments(request), "frameId", -1) != kFrameId) {
    Refuse(request, texts::kUnknownFrame);
    return;
  }
  host::Target& target = session_->Target();
  const int64_t registers = references_.Add([&target](bool hex, json& variables, std::string& reason) {
    host::Registers r;
    if (const host::Result read = target.ReadRegisters(r); !read.ok) {
      reason = read.reason;
      return false;
    }
    variables = RegisterVariables(r, hex);
    return true;
  });
  Respond(request, json{{"scopes", json::array({json{{"name", "Registers"},
                                                     {"presentationHint", "registers"},
                                                     {"variablesReference", registers},
                                                     {"namedVariables", 14},
                                                     {"expensive", false}}})}});
}

void Server::Variables(const json& request) {
  if (!NeedTarget(request)) return;
  const json& args = Arguments(request);
  const std::optional<int64_t> reference = IntegerArgument(args, "variablesReference", 0);
  const VariableReferences::Lister* lister = reference ? references_.Find(*reference) : nullptr;
  if (lister == nullptr) {
    Refuse(request, texts::kUnknownReference);
    return;
  }
  const auto format = args.find("format");
  const bool hex = format != args.end() && format->is_object() && format->value("hex", false) == true;
  json variables;
  std::string reason;
  if (!(*lister)(hex, variables, reason)) {
    Refuse(request, "orvdap: " + reason);
    return;
  }
  Respond(request, json{{"variables", std::move(variables)}});
}

// ----- breakpoints

void Server::SetInstructionBreakpoints(const json& request) {
  if (!NeedTarget(request)) return;
  const json& args = Arguments(request);
  const auto requested = args.find("breakpoints");
  json answer;
  {
    std::lock_guard<std::mutex> lock(breakpointsMutex_);
    answer = instructionBreakpoints_.Replace(session_->Target(), requested != args.end() ? *requested : json::array());
  }
  Respond(request, json{{"breakpoints", std::move(answer)}});
}

void Server::SetSourceBreakpoints(const json& request) {
  // Line and function breakpoints come with the source-level engine: until then each comes back unverified,
  // so the editor shows it hollow rather than failing the request. There are no exception filters.
  const json& args = Arguments(request);
  json answer = json::array();
  const auto requested = args.find("breakpoints");
  if (request["command"] != "setExceptionBreakpoints" && requested != args.end() && requested->is_array()) {
    for (size_t i = 0; i < requested->size(); ++i) {
      answer.push_back(json{{"verified", false}, {"message", texts::kNoLineBreakpoints}});
    }
  }
  Respond(request, json{{"breakpoints", std::move(answer)}});
}

// ----- memory

void Server::ReadMemory(const json& request) {
  if (!NeedTarget(request, true)) return;
  const MemoryAnswer answer = ReadMemoryRequest(session_->Target(), Arguments(request));
  answer.ok ? Respond(request, answer.body) : Refuse(request, answer.message);
}

void Server::WriteMemory(const json& request) {
  if (!NeedTarget(request, true)) return;
  const MemoryAnswer answer = WriteMemoryRequest(session_->Target(), Arguments(request));
  if (!answer.ok) {
    Refuse(request, answer.message);
    return;
  }
  Respond(request, answer.body);
  // Views of that memory show it again.
  SendEvent("memory", json{{"memoryReference", answer.reference}, {"offset", 0}, {"count", answer.body["bytesWritten"]}});
}

// ----- debug console

void Server::Evaluate(const json& request) {
  const json& args = Arguments(request);
  const std::string expression = StringArgument(args, "expression");
  if (expression.rfind(kExecPrefix, 0) == 0) {
    if (!NeedTarget(request)) return;
    const ExecResult r = ExecCommand(session_->Target(), expression.substr(sizeof kExecPrefix - 1));
    std::string text = r.text;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    if (!r.ok) {
      Refuse(request, text);
      return;
    }
    Respond(request, json{{"result", text}, {"variablesReference", 0}});
    return;
  }
  if (!NeedTarget(request)) return;
  host::Registers registers;
  if (expression.rfind('$', 0) == 0) {
    if (const host::Result r = session_->Target().ReadRegisters(registers); !r.ok) {
      Refuse(request, "orvdap: " + r.reason);
      return;
    }
    if (const std::optional<uint32_t> value = RegisterByName(registers, expression)) {
      const auto format = args.find("format");
      const bool hex = format != args.end() && format->is_object() && format->value("hex", false) == true;
      char buf[24];
      std::snprintf(buf, sizeof buf, hex ? "0x%X" : "%u", *value);
      Respond(request, json{{"result", buf}, {"variablesReference", 0}});
      return;
    }
  }
  Refuse(request, texts::kNoExpressions);
}

// ----- messages

bool Server::Respond(const json& request, json body) {
  return writer_.Send(json{{"type", "response"},
                           {"request_seq", request["seq"]},
                           {"success", true},
                           {"command", request["command"]},
                           {"body", std::move(body)}});
}

bool Server::Refuse(const json& request, const std::string& text) {
  return writer_.Send(json{{"type", "response"},
                           {"request_seq", request["seq"]},
                           {"success", false},
                           {"command", request["command"]},
                           {"message", text},
                           {"body", {{"error", {{"id", 1}, {"format", text}, {"showUser", true}}}}}});
}

bool Server::SendEvent(const char* name, json body) {
  return writer_.Send(json{{"type", "event"}, {"event", name}, {"body", std::move(body)}});
}

bool Server::Console(const std::string& text) {
  return SendEvent("output", json{{"category", "console"}, {"output", text + "\n"}});
}

}  // namespace orven::orvdap
