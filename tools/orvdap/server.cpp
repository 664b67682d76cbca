#include "tools/orvdap/server.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <map>

#include "debugger/disassembler.h"
#include "debugger/sfr_names.h"
#include "debugger/value_formatter.h"

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

// Whether a C expression assigns (=, +=, ...), as opposed to comparing (==, !=, <=, >=).
bool Assigns(const std::string& expression) {
  for (size_t i = 0; i < expression.size(); ++i) {
    if (expression[i] != '=') continue;
    if (i + 1 < expression.size() && expression[i + 1] == '=') {
      ++i;
      continue;
    }
    const char before = i > 0 ? expression[i - 1] : ' ';
    if (before != '!' && before != '<' && before != '>') return true;
    // "<<=" and ">>=" assign.
    if (i > 1 && expression[i - 2] == before && (before == '<' || before == '>')) return true;
  }
  return false;
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
  // The engine's breakpoints leave the host's list while the target is still there.
  source_.reset();
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
      {"setFunctionBreakpoints", &Server::SetFunctionBreakpoints},
      {"setExceptionBreakpoints", &Server::SetSourceBreakpoints},
      {"continue", &Server::Continue},
      {"next", &Server::StepLine},
      {"stepIn", &Server::StepLine},
      {"stepOut", &Server::StepLine},
      {"setVariable", &Server::SetVariable},
      {"disassemble", &Server::Disassemble},
      {"pause", &Server::Pause},
      {"readMemory", &Server::ReadMemory},
      {"writeMemory", &Server::WriteMemory},
      {"evaluate", &Server::Evaluate},
      {"restart", &Server::Restart},
      {"terminate", &Server::Terminate},
      {"disconnect", &Server::Disconnect},
  };
  const std::string& name = command->get_ref<const std::string&>();
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
  // Each request served is announced; those that need the .cdb say so when it is missing.
  Respond(request, json{{"supportsConfigurationDoneRequest", true},
                        {"supportsTerminateRequest", true},
                        {"supportsRestartRequest", true},
                        {"supportsInstructionBreakpoints", true},
                        {"supportsReadMemoryRequest", true},
                        {"supportsWriteMemoryRequest", true},
                        {"supportsSteppingGranularity", true},
                        {"supportsValueFormattingOptions", true},
                        {"supportsFunctionBreakpoints", true},
                        {"supportsConditionalBreakpoints", true},
                        {"supportsHitConditionalBreakpoints", true},
                        {"supportsLogPoints", true},
                        {"supportsSetVariable", true},
                        {"supportsDisassembleRequest", true},
                        {"supportsEvaluateForHovers", true},
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
  LoadDebugInfo();
  state_ = State::kLaunched;
  Respond(request, json::object());
  SendEvent("initialized", json::object());
}

void Server::LoadDebugInfo() {
  if (launch_.cdb.empty()) {
    Console(std::string(texts::kNoDebugInfo) + "no " + launch_.program.substr(0, launch_.program.find_last_of('.')) +
            ".cdb");
    return;
  }
  std::string message;
  std::optional<debuginfo::DebugInfo> info = LoadProgramDebugInfo(launch_.cdb, message);
  Console(message);
  if (!info) return;
  const size_t slash = launch_.cdb.find_last_of('/');
  sourceDirectory_ = slash == std::string::npos ? std::string(".") : launch_.cdb.substr(0, slash);
  source_ = std::make_unique<SourceLevel>(std::move(*info), session_->Target(),
                                          [this](const std::string& text) { events_.Console(text); });
  source_->Engine().Sources().AddDirectory(sourceDirectory_);
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
  containers_.clear();
  framesRead_ = false;
  if (source_ != nullptr) source_->Engine().ProgramChanged();
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
  source_.reset();
  if (session_ != nullptr) session_->End();
  Respond(request, json::object());
  EndSession(0);
}

void Server::Disconnect(const json& request) {
  // A go that would not stop is left in the driver: main ends the process without unloading it.
  if (runControl_ != nullptr && HaltQuietly() && session_ != nullptr) {
    source_.reset();
    session_->End();
  }
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
  containers_.clear();
  framesRead_ = false;
  RunControl::Job job;
  // With line or function breakpoints set a continue goes through the engine: their conditions and logpoints
  // are decided where the program stops. Without, the go is the debug host's own.
  const bool engineRun =
      kind == RunKind::kLine || (kind == RunKind::kContinue && source_ != nullptr && source_->UsedSlots() > 0);
  if (engineRun) {
    const LineStep step = kind == RunKind::kContinue ? LineStep::kContinue : pendingStep_;
    job = [this, step](host::Target&) { return source_->Run(step); };
  }
  if (source_ != nullptr) source_->Forget();
  lastRunByEngine_ = engineRun;
  if (!runControl_->Start(kind, std::move(job))) return;
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
  if (source_ != nullptr && end.kind != RunKind::kStepInstruction && lastRunByEngine_) {
    using Reason = debugger::StopEvent::Reason;
    // The request loop may already be changing the breakpoints.
    debugger::StopEvent stop;
    bool functionBreakpoint = false;
    {
      std::lock_guard<std::mutex> lock(breakpointsMutex_);
      stop = source_->LastStop();
      functionBreakpoint = source_->IsFunctionBreakpoint(stop.breakpoint);
    }
    if (!stop.message.empty() && (stop.reason == Reason::kBreakpoint || stop.reason == Reason::kStepLimit)) {
      events_.Console(stop.message);
    }
    if (stop.reason == Reason::kBreakpoint) {
      const int64_t number = stop.breakpoint;
      SendStopped(functionBreakpoint ? "function breakpoint" : "breakpoint", end.pc,
                  json::array({number}));
      return;
    }
    if (stop.reason != Reason::kInterrupted && !end.pauseRequested) {
      SendStopped("step", end.pc);
      return;
    }
  }
  if (id && end.kind != RunKind::kStepInstruction) {
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

void Server::StepLine(const json& request) {
  if (!NeedTarget(request)) return;
  const json& args = Arguments(request);
  const std::string command = request["command"].get<std::string>();
  // Without line information, or asked for, a step is one instruction.
  // Stepping out is by frame whatever the granularity.
  if (source_ == nullptr || (StringArgument(args, "granularity") == "instruction" && command != "stepOut")) {
    if (command == "stepOut") {
      Refuse(request, texts::kStepOut);
      return;
    }
    StepInstruction(request);
    return;
  }
  pendingStep_ = command == "next" ? LineStep::kNext : command == "stepIn" ? LineStep::kStepIn : LineStep::kStepOut;
  Respond(request, json::object());
  StartRun(RunKind::kLine, false);
}

void Server::Pause(const json& request) {
  if (!NeedTarget(request, true)) return;
  // A line step between its instructions stops at the next one.
  if (source_ != nullptr) source_->RequestStop();
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

const debugger::Frame* Server::FrameOf(const json& request, int64_t frameId) {
  if (!framesRead_) {
    frames_.clear();
    std::string error;
    if (!source_->Frames(frames_, error)) {
      Refuse(request, "orvdap: " + error);
      return nullptr;
    }
    framesRead_ = true;
  }
  if (frameId < 1 || static_cast<size_t>(frameId) > frames_.size()) {
    Refuse(request, texts::kUnknownFrame);
    return nullptr;
  }
  return &frames_[static_cast<size_t>(frameId - 1)];
}

void Server::StackTrace(const json& request) {
  if (!NeedTarget(request)) return;
  if (source_ != nullptr) {
    if (FrameOf(request, 1) == nullptr) return;
    const json& args = Arguments(request);
    const int64_t start = std::max<int64_t>(0, IntegerArgument(args, "startFrame", 0).value_or(0));
    int64_t levels = IntegerArgument(args, "levels", 0).value_or(0);
    if (levels <= 0) levels = static_cast<int64_t>(frames_.size());
    json stackFrames = json::array();
    for (int64_t i = start; i < start + levels && i < static_cast<int64_t>(frames_.size()); ++i) {
      const debugger::Frame& f = frames_[static_cast<size_t>(i)];
      json frame{{"id", i + 1}, {"line", 0}, {"column", 0}};
      frame["name"] = !f.hasPc ? std::string("??")
                      : f.position.function != nullptr ? f.position.function->name
                                                       : CodeAddressName(f.pc);
      if (f.hasPc) frame["instructionPointerReference"] = MemoryReference{'C', f.pc}.Text();
      if (f.hasPc && f.position.line != nullptr) {
        const std::string& file = f.position.file;
        const std::string path = !file.empty() && file[0] == '/' ? file : sourceDirectory_ + "/" + file;
        frame["source"] = json{{"name", file.substr(file.find_last_of('/') + 1)}, {"path", path}};
        frame["line"] = f.position.line->line;
        frame["column"] = 1;
      }
      // A caller found by a plausible but unproven return address, or not at all.
      if (!f.verified || !f.hasPc) frame["presentationHint"] = "subtle";
      stackFrames.push_back(std::move(frame));
    }
    Respond(request, json{{"stackFrames", std::move(stackFrames)}, {"totalFrames", frames_.size()}});
    return;
  }
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
  if (source_ == nullptr && IntegerArgument(Arguments(request), "frameId", -1) != kFrameId) {
    Refuse(request, texts::kUnknownFrame);
    return;
  }
  host::Target& target = session_->Target();
  json scopes = json::array();
  const debugger::Frame* frame = nullptr;
  if (source_ != nullptr) {
    frame = FrameOf(request, IntegerArgument(Arguments(request), "frameId", -1).value_or(-1));
    if (frame == nullptr) return;
    const debugger::Frame f = *frame;
    scopes.push_back(json{{"name", "Locals"},
                          {"presentationHint", "locals"},
                          {"variablesReference", AddValueScope(f, [this, f](bool hex) { return source_->Locals(f, hex); })},
                          {"expensive", false}});
    scopes.push_back(json{{"name", "Globals"},
                          {"variablesReference", AddValueScope(f, [this](bool hex) { return source_->Globals(hex); })},
                          {"expensive", true}});
  }
  const int64_t registers = references_.Add([&target](bool hex, json& variables, std::string& reason) {
    host::Registers r;
    if (const host::Result read = target.ReadRegisters(r); !read.ok) {
      reason = read.reason;
      return false;
    }
    variables = RegisterVariables(r, hex);
    return true;
  });
  scopes.push_back(json{{"name", "Registers"},
                        {"presentationHint", "registers"},
                        {"variablesReference", registers},
                        {"namedVariables", 14},
                        {"expensive", false}});
  if (source_ != nullptr) {
    // The 8052's named SFRs, from one read of the direct space above the RAM.
    const int64_t sfrs = references_.Add([this](bool hex, json& variables, std::string& reason) {
      uint8_t bytes[0x80];
      if (const debugger::PortResult r = source_->Memory().Read(debugger::Space::kData, 0x80, bytes); !r.ok) {
        reason = r.reason;
        return false;
      }
      variables = json::array();
      for (unsigned a = 0x80; a <= 0xFF; ++a) {
        const std::string_view name = debugger::SfrName(static_cast<uint8_t>(a));
        if (name.empty()) continue;
        char value[8];
        std::snprintf(value, sizeof value, hex ? "0x%02X" : "%u", bytes[a - 0x80]);
        variables.push_back(json{{"name", std::string(name)}, {"value", value}, {"variablesReference", 0},
                                 {"memoryReference", MemoryReference{'D', static_cast<uint16_t>(a)}.Text()}});
      }
      return true;
    });
    scopes.push_back(json{{"name", "Special function registers"}, {"variablesReference", sfrs}, {"expensive", true}});
  }
  Respond(request, json{{"scopes", std::move(scopes)}});
}

int64_t Server::AddValueScope(const debugger::Frame& frame, std::function<std::vector<debugger::VariableNode>(bool)> nodes) {
  // The reference is known only once added: the lister finds its own through a shared slot.
  auto self = std::make_shared<int64_t>(0);
  *self = references_.Add([this, frame, nodes = std::move(nodes), self](bool hex, json& variables, std::string&) {
    variables = VariableObjects(frame, nodes(hex), *self);
    return true;
  });
  containers_[*self].frame = frame;
  return *self;
}

json Server::VariableObjects(const debugger::Frame& frame, std::vector<debugger::VariableNode> nodes, int64_t container) {
  json variables = json::array();
  Container& listed = containers_[container];
  listed.frame = frame;
  for (debugger::VariableNode& node : nodes) {
    json v{{"name", node.name}, {"value", node.value}, {"type", node.type}, {"evaluateName", node.expression},
           {"variablesReference", 0}};
    listed.expressions[node.name] = node.expression;
    if (node.childCount > 0) {
      auto self = std::make_shared<int64_t>(0);
      *self = references_.Add([this, frame, node, self](bool hex, json& children, std::string&) {
        children = VariableObjects(frame, source_->Children(frame, node, hex), *self);
        return true;
      });
      containers_[*self].frame = frame;
      v["variablesReference"] = *self;
      v[!node.type.empty() && node.type.back() == ']' ? "indexedVariables" : "namedVariables"] = node.childCount;
    }
    variables.push_back(std::move(v));
  }
  return variables;
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
    const size_t used = source_ != nullptr ? source_->UsedSlots() : 0;
    const size_t limit = used < InstructionBreakpoints::kLimit ? InstructionBreakpoints::kLimit - used : 0;
    SourceLevel::Taken taken;
    if (source_ != nullptr) taken = [this](uint16_t a) { return source_->HasBreakpointAt(a); };
    answer = instructionBreakpoints_.Replace(session_->Target(), requested != args.end() ? *requested : json::array(),
                                             limit, taken);
  }
  Respond(request, json{{"breakpoints", std::move(answer)}});
}

void Server::SetSourceBreakpoints(const json& request) {
  if (source_ != nullptr && request["command"] == "setBreakpoints") {
    if (!NeedTarget(request)) return;
    const json& args = Arguments(request);
    const json source = args.value("source", json::object());
    const std::string path = source.is_object() ? source.value("path", source.value("name", std::string())) : "";
    json answer;
    {
      std::lock_guard<std::mutex> lock(breakpointsMutex_);
      // The file's own breakpoints give their comparators back before the new ones take theirs.
      (void)source_->SetLineBreakpoints(path, json::array(), 0);
      const size_t used = source_->UsedSlots() + instructionBreakpoints_.Count();
      answer = source_->SetLineBreakpoints(path, args.value("breakpoints", json::array()),
                                           used < InstructionBreakpoints::kLimit ? InstructionBreakpoints::kLimit - used : 0,
                                           [this](uint16_t a) { return instructionBreakpoints_.IdAt(a).has_value(); });
    }
    for (json& bp : answer) {
      if (bp.contains("source")) bp["source"] = source;
    }
    Respond(request, json{{"breakpoints", std::move(answer)}});
    return;
  }
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

void Server::SetFunctionBreakpoints(const json& request) {
  if (source_ == nullptr) {
    SetSourceBreakpoints(request);
    return;
  }
  if (!NeedTarget(request)) return;
  json answer;
  {
    std::lock_guard<std::mutex> lock(breakpointsMutex_);
    (void)source_->SetFunctionBreakpoints(json::array(), 0);
    const size_t used = source_->UsedSlots() + instructionBreakpoints_.Count();
    answer = source_->SetFunctionBreakpoints(Arguments(request).value("breakpoints", json::array()),
                                             used < InstructionBreakpoints::kLimit ? InstructionBreakpoints::kLimit - used : 0,
                                             [this](uint16_t a) { return instructionBreakpoints_.IdAt(a).has_value(); });
  }
  for (json& bp : answer) {
    if (bp.contains("source")) bp["source"]["path"] = sourceDirectory_ + "/" + bp["source"]["name"].get<std::string>();
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
  if (source_ == nullptr) {
    Refuse(request, texts::kNoExpressions);
    return;
  }
  const debugger::Frame* frame = FrameOf(request, IntegerArgument(args, "frameId", 1).value_or(1));
  if (frame == nullptr) return;
  const auto format = args.find("format");
  const bool hex = format != args.end() && format->is_object() && format->value("hex", false) == true;
  debugger::VariableNode node;
  std::string error;
  if (!source_->Evaluate(*frame, expression, hex, node, error)) {
    Refuse(request, error);
    return;
  }
  json body{{"result", node.value}, {"type", node.type}, {"variablesReference", 0}};
  if (node.childCount > 0) {
    json listed = VariableObjects(*frame, {node}, 0);
    body["variablesReference"] = listed[0]["variablesReference"];
  }
  // An assignment changed the target: views show it again.
  if (Assigns(expression)) SendEvent("invalidated", json{{"areas", json::array({"variables"})}});
  Respond(request, std::move(body));
}

void Server::SetVariable(const json& request) {
  if (!NeedTarget(request)) return;
  const json& args = Arguments(request);
  const auto container = containers_.find(IntegerArgument(args, "variablesReference", 0).value_or(0));
  const std::string name = StringArgument(args, "name");
  if (source_ == nullptr || container == containers_.end() || !container->second.expressions.contains(name)) {
    Refuse(request, texts::kCannotSet);
    return;
  }
  const auto format = args.find("format");
  const bool hex = format != args.end() && format->is_object() && format->value("hex", false) == true;
  debugger::VariableNode node;
  std::string error;
  const std::string expression = container->second.expressions[name];
  if (!source_->Evaluate(container->second.frame, expression + " = " + StringArgument(args, "value"), hex, node,
                         error)) {
    Refuse(request, error);
    return;
  }
  Respond(request, json{{"value", node.value}, {"type", node.type}, {"variablesReference", 0}});
}

// ----- disassembly

void Server::Disassemble(const json& request) {
  if (!NeedTarget(request)) return;
  const json& args = Arguments(request);
  const std::optional<uint16_t> at =
      InstructionAddress(StringArgument(args, "memoryReference"), IntegerArgument(args, "offset", 0).value_or(0));
  const int64_t count = IntegerArgument(args, "instructionCount", 0).value_or(0);
  if (!at || count <= 0 || count > 4096) {
    Refuse(request, texts::kBadDisassemble);
    return;
  }
  const int64_t skip = IntegerArgument(args, "instructionOffset", 0).value_or(0);
  // Instructions are 1 to 3 bytes: going back, decoding starts far enough before and the stream is cut where it
  // reaches the reference.
  const int64_t back = skip < 0 ? std::min<int64_t>(-skip * 3, at.value()) : 0;
  const uint32_t begin = static_cast<uint32_t>(at.value() - back);
  const uint32_t length = static_cast<uint32_t>(std::min<int64_t>(0x10000 - begin, (count + std::max<int64_t>(skip, 0)) * 3 + back + 3));
  std::vector<uint8_t> code(length);
  host::Target& target = session_->Target();
  for (uint32_t done = 0; done < length;) {
    const uint32_t piece = std::min<uint32_t>(length - done, 1024);
    if (const host::Result r = target.ReadMemory(MemoryReference{'C', begin + done}.Tagged(), code.data() + done, piece);
        !r.ok) {
      Refuse(request, "orvdap: " + r.reason);
      return;
    }
    done += piece;
  }
  const debuginfo::DebugInfo* info = source_ != nullptr ? &source_->Info() : nullptr;
  const debugger::Disassembler disassembler([info](uint16_t address) -> std::optional<std::string> {
    if (info == nullptr) return std::nullopt;
    const debuginfo::Function* f = info->FunctionAt(address);
    if (f != nullptr && f->begin == address) return f->name;
    return std::nullopt;
  });
  std::vector<json> decoded;
  size_t atIndex = 0;
  for (uint32_t pc = begin; pc < begin + length;) {
    if (pc == at.value()) atIndex = decoded.size();
    const std::span<const uint8_t> bytes(code.data() + (pc - begin), begin + length - pc);
    const debugger::Instruction ins = disassembler.Decode(static_cast<uint16_t>(pc), bytes);
    std::string hexBytes;
    for (uint32_t i = 0; i < ins.length && pc - begin + i < length; ++i) {
      char b[4];
      std::snprintf(b, sizeof b, i == 0 ? "%02X" : " %02X", code[pc - begin + i]);
      hexBytes += b;
    }
    json item{{"address", MemoryReference{'C', static_cast<uint16_t>(pc)}.Text()},
              {"instructionBytes", hexBytes},
              {"instruction", ins.text}};
    if (info != nullptr) {
      if (const std::string symbol = debugger::CodeSymbol(*info, pc); !symbol.empty()) item["symbol"] = symbol;
      const debugger::CodePosition position = debugger::PositionAt(info, static_cast<uint16_t>(pc));
      if (position.line != nullptr) {
        const std::string& file = position.file;
        item["location"] = json{{"name", file.substr(file.find_last_of('/') + 1)},
                                {"path", !file.empty() && file[0] == '/' ? file : sourceDirectory_ + "/" + file}};
        item["line"] = position.line->line;
      }
    }
    decoded.push_back(std::move(item));
    pc += ins.length;
  }
  json instructions = json::array();
  for (int64_t i = static_cast<int64_t>(atIndex) + skip; static_cast<int64_t>(instructions.size()) < count; ++i) {
    if (i < 0 || i >= static_cast<int64_t>(decoded.size())) {
      // Before the start or past the end of code memory: the protocol wants the count filled.
      instructions.push_back(json{{"address", "C:0x0000"}, {"instruction", "??"}, {"presentationHint", "invalid"}});
      continue;
    }
    instructions.push_back(decoded[static_cast<size_t>(i)]);
  }
  Respond(request, json{{"instructions", std::move(instructions)}});
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
