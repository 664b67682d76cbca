#include "tools/orvdap/source_level.h"

#include <algorithm>
#include <set>

#include "debugger/evaluator.h"
#include "debugger/frame_variables.h"
#include "debuginfo/cdb_file.h"
#include "tools/orvdap/texts.h"

namespace orven::orvdap {

using debugger::Frame;
using debugger::VariableNode;
using nlohmann::json;

namespace {

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

host::RunResult FromStop(const debugger::StopEvent& stop) {
  host::RunResult run;
  if (stop.reason == debugger::StopEvent::Reason::kFailed) {
    run.result = host::Result::Failed(stop.message);
    return run;
  }
  run.stopped = true;
  return run;
}

}  // namespace

std::optional<uint32_t> IgnoreCountOf(std::string_view hits) {
  while (!hits.empty() && hits.front() == ' ') hits.remove_prefix(1);
  // "N" and ">= N" stop from the N-th hit on, "> N" from the one after it.
  uint32_t extra = 0;
  if (hits.starts_with(">=")) {
    hits.remove_prefix(2);
  } else if (hits.starts_with(">")) {
    hits.remove_prefix(1);
    extra = 1;
  }
  while (!hits.empty() && hits.front() == ' ') hits.remove_prefix(1);
  while (!hits.empty() && hits.back() == ' ') hits.remove_suffix(1);
  if (hits.empty() || hits.size() > 9 || hits.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  uint32_t n = 0;
  for (char c : hits) n = n * 10 + static_cast<uint32_t>(c - '0');
  return n == 0 ? extra : n - 1 + extra;
}

std::optional<debuginfo::DebugInfo> LoadProgramDebugInfo(const std::string& cdb, std::string& message) {
  debuginfo::CdbLoad load = debuginfo::LoadCdbFile(cdb);
  if (!load.info) {
    message = std::string(texts::kNoDebugInfo) + cdb;
    if (!load.diagnostics.empty()) message += " (" + load.diagnostics.front().message + ")";
    return std::nullopt;
  }
  if (load.info->Functions().empty()) {
    message = std::string(texts::kNoDebugInfo) + cdb + " describes no functions";
    return std::nullopt;
  }
  message = std::string(texts::kDebugInfoFrom) + cdb + ": " + std::to_string(load.info->Functions().size()) +
            " functions, " + std::to_string(load.info->Files().size()) + " source files";
  if (load.malformedRecords > 0) message += ", " + std::to_string(load.malformedRecords) + " records skipped";
  return std::move(load.info);
}

SourceLevel::SourceLevel(debuginfo::DebugInfo info, host::Target& target, LogSink log)
    : SourceLevel(std::move(info), std::make_unique<debugger::HostTarget>(target), nullptr, std::move(log)) {}

SourceLevel::SourceLevel(debuginfo::DebugInfo info, debugger::TargetPort& port, LogSink log)
    : SourceLevel(std::move(info), nullptr, &port, std::move(log)) {}

SourceLevel::SourceLevel(debuginfo::DebugInfo info, std::unique_ptr<debugger::HostTarget> owned,
                         debugger::TargetPort* port, LogSink log)
    : info_(std::move(info)),
      hostPort_(std::move(owned)),
      port_(hostPort_ != nullptr ? *hostPort_ : *port),
      memory_(port_),
      log_(std::move(log)) {
  engine_ = std::make_unique<debugger::Engine>(port_, &info_);
  engine_->SetConditionEvaluator([this](const std::string& expr, std::string& error) { return Condition(expr, error); });
}

// ----- breakpoints

size_t SourceLevel::UsedSlots() const {
  return engine_->Breakpoints().EnabledAddresses().size();
}

bool SourceLevel::IsFunctionBreakpoint(uint32_t number) const {
  const auto it = byFile_.find("");
  if (it == byFile_.end()) return false;
  return std::any_of(it->second.begin(), it->second.end(), [number](const SourceBreakpoint& b) { return b.number == number; });
}

json SourceLevel::SetLineBreakpoints(const std::string& path, const json& requested, size_t slots, const Taken& taken) {
  std::vector<SourceBreakpoint>& mine = byFile_[path];
  for (const SourceBreakpoint& b : mine) engine_->Delete(b.number);
  mine.clear();
  json answer = json::array();
  if (!requested.is_array()) return answer;
  const std::string file = BaseName(path);
  for (const json& wanted : requested) {
    const json line = wanted.is_object() ? wanted.value("line", json()) : json();
    if (!line.is_number_integer()) {
      answer.push_back(json{{"verified", false}, {"message", texts::kBadBreakpointLine}});
      continue;
    }
    answer.push_back(Place(file + ":" + std::to_string(line.get<int64_t>()), wanted, slots, mine, taken));
  }
  return answer;
}

json SourceLevel::SetFunctionBreakpoints(const json& requested, size_t slots, const Taken& taken) {
  std::vector<SourceBreakpoint>& mine = byFile_[""];
  for (const SourceBreakpoint& b : mine) engine_->Delete(b.number);
  mine.clear();
  json answer = json::array();
  if (!requested.is_array()) return answer;
  for (const json& wanted : requested) {
    const std::string name = wanted.is_object() ? wanted.value("name", std::string()) : std::string();
    answer.push_back(Place(name, wanted, slots, mine, taken));
  }
  return answer;
}

json SourceLevel::Place(const std::string& location, const json& wanted, size_t& slots,
                        std::vector<SourceBreakpoint>& into, const Taken& taken) {
  std::string message;
  const uint32_t number = engine_->Break(location, false, message);
  if (number == 0) return json{{"verified", false}, {"message", message}};
  const debugger::Breakpoint* b = engine_->Breakpoints().Find(number);
  // The host's list holds one record per address: the engine could not arm its own there.
  if (taken && taken(b->address)) {
    engine_->Delete(number);
    return json{{"verified", false}, {"message", texts::kAddressTaken}};
  }
  // Another breakpoint at the same address shares its comparator.
  size_t sharing = 0;
  for (const debugger::Breakpoint& other : engine_->Breakpoints().All()) {
    if (other.enabled && other.address == b->address) ++sharing;
  }
  if (sharing == 1 && slots == 0) {
    engine_->Delete(number);
    return json{{"verified", false}, {"message", texts::kBreakpointLimit}};
  }
  if (sharing == 1) --slots;
  SourceBreakpoint entry{number, wanted.value("logMessage", std::string())};
  std::string condition = wanted.value("condition", std::string());
  // A logpoint is a condition that prints and never stops.
  if (!entry.logMessage.empty()) condition = condition.empty() ? "1" : condition;
  if (!condition.empty()) engine_->Condition(number, condition);
  const std::string hits = wanted.value("hitCondition", std::string());
  const std::optional<uint32_t> ignore = hits.empty() ? std::optional<uint32_t>(0) : IgnoreCountOf(hits);
  if (ignore && *ignore > 0) engine_->Ignore(number, *ignore);
  into.push_back(entry);
  const debugger::ResolvedLocation where = debugger::LocationResolver(&info_).Describe(b->address);
  json bp{{"id", number}, {"verified", true}, {"instructionReference", "C:0x" + [&] {
            char buf[8];
            std::snprintf(buf, sizeof buf, "%04X", b->address);
            return std::string(buf);
          }()}};
  if (!ignore) bp["message"] = texts::kBadHitCondition;
  if (where.line != 0) bp["line"] = where.line;
  if (!where.file.empty()) bp["source"] = json{{"name", BaseName(where.file)}};
  return bp;
}

bool SourceLevel::Condition(const std::string& expr, std::string& error) {
  memory_.Forget();
  debugger::RegisterSet regs;
  if (const debugger::PortResult r = memory_.Registers(regs); !r.ok) {
    error = r.reason;
    return false;
  }
  debugger::Evaluator evaluator(info_, memory_, debugger::FrameContext{regs.pc, std::nullopt, BasePointer(), true});
  debugger::Outcome<bool> holds = evaluator.Condition(expr);
  if (!holds) {
    error = holds.error;
    return false;
  }
  if (!*holds) return false;
  // A logpoint at this address prints instead of stopping.
  for (const auto& [file, list] : byFile_) {
    for (const SourceBreakpoint& b : list) {
      const debugger::Breakpoint* bp = engine_->Breakpoints().Find(b.number);
      if (bp == nullptr || bp->address != regs.pc || b.logMessage.empty() || bp->condition != expr) continue;
      if (log_) log_(Interpolate(b.logMessage));
      return false;
    }
  }
  return true;
}

std::string SourceLevel::Interpolate(const std::string& message) {
  debugger::RegisterSet regs;
  (void)memory_.Registers(regs);
  debugger::Evaluator evaluator(info_, memory_, debugger::FrameContext{regs.pc, std::nullopt, BasePointer(), true});
  std::string out;
  size_t i = 0;
  while (i < message.size()) {
    const size_t open = message.find('{', i);
    const size_t close = open == std::string::npos ? open : message.find('}', open);
    if (close == std::string::npos) {
      out += message.substr(i);
      break;
    }
    out += message.substr(i, open - i);
    debugger::Outcome<debugger::Value> value = evaluator.Evaluate(message.substr(open + 1, close - open - 1));
    if (value) {
      debugger::ValueFormatter formatter(evaluator.Access());
      debugger::Outcome<std::string> text = formatter.Format(*value);
      out += text ? *text : "<" + text.error + ">";
    } else {
      out += "<" + value.error + ">";
    }
    i = close + 1;
  }
  return out;
}

std::optional<uint8_t> SourceLevel::BasePointer() const {
  if (const debuginfo::Symbol* bp = info_.GlobalSymbol("_bp"); bp != nullptr && bp->address) {
    return static_cast<uint8_t>(*bp->address);
  }
  return std::nullopt;
}

// ----- runs

host::RunResult SourceLevel::Run(LineStep step) {
  memory_.Forget();
  switch (step) {
    case LineStep::kContinue: engine_->Continue(); last_ = engine_->LastStop(); break;
    case LineStep::kNext: engine_->Next(); last_ = engine_->LastStop(); break;
    case LineStep::kStepIn: engine_->Step(); last_ = engine_->LastStop(); break;
    case LineStep::kStepOut: {
      std::vector<Frame> frames;
      std::string error;
      if (!Frames(frames, error)) {
        last_ = debugger::StopEvent{debugger::StopEvent::Reason::kFailed, 0, 0, false, error};
      } else if (frames.size() < 2 || frames[0].returnSlot < 0 || !frames[1].hasPc) {
        // The outermost frame has nowhere to return to: a line step instead.
        engine_->Next();
        last_ = engine_->LastStop();
      } else {
        last_ = engine_->Control().Finish(frames[0]);
        engine_->ProgramChanged();
      }
      break;
    }
  }
  memory_.Forget();
  return FromStop(last_);
}

// ----- frames and values

bool SourceLevel::Frames(std::vector<Frame>& out, std::string& error) {
  debugger::RegisterSet regs;
  if (const debugger::PortResult r = memory_.Registers(regs); !r.ok) {
    error = r.reason;
    return false;
  }
  debugger::CallStack stack(port_, engine_->Control().Code(), &info_);
  if (const debugger::PortResult r = stack.Unwind(regs, out); !r.ok) {
    error = r.reason;
    return false;
  }
  return true;
}

debugger::FrameContext SourceLevel::Context(const Frame& frame) const {
  // An outer frame's PC is the return address, which may already lie in the next line's block.
  return debugger::FrameContext{frame.level == 0 ? frame.pc : frame.pc - 1u, std::nullopt, BasePointer(),
                                frame.level == 0};
}

std::vector<VariableNode> SourceLevel::Locals(const Frame& frame, bool hex) {
  debugger::Evaluator evaluator(info_, memory_, Context(frame));
  // The innermost block's locals first (their names hide the outer ones'), then the parameters, all read in
  // one go. An outer frame is looked up at its call instruction.
  const uint32_t at = frame.level == 0 ? frame.pc : frame.pc - 1u;
  std::vector<const debuginfo::Symbol*> symbols = debugger::FrameVariables::LocalSymbols(info_, at);
  for (const debuginfo::Symbol* s : debugger::FrameVariables::ArgumentSymbols(info_, at)) {
    if (std::find(symbols.begin(), symbols.end(), s) == symbols.end()) symbols.push_back(s);
  }
  std::vector<debugger::Value> values;
  std::vector<debugger::MemoryRange> ranges;
  for (const debuginfo::Symbol* s : symbols) {
    debugger::Outcome<debugger::Value> v = evaluator.ValueOf(*s);
    values.push_back(v ? *v : debugger::Value{});
    if (v) debugger::ValueAccess::CollectRanges(*v, debugger::kPrintElementLimit, ranges);
  }
  memory_.Prefetch(std::move(ranges));
  debugger::VariableTree tree(evaluator.Access(), debugger::FormatOptions{hex, false});
  std::vector<VariableNode> nodes;
  std::set<std::string> shown;
  for (size_t i = 0; i < symbols.size(); ++i) {
    // An inner block's name hides the outer one's.
    if (!shown.insert(symbols[i]->name).second) continue;
    nodes.push_back(tree.Make(symbols[i]->name, values[i]));
  }
  return nodes;
}

std::vector<VariableNode> SourceLevel::Globals(bool hex) {
  debugger::Evaluator evaluator(info_, memory_, debugger::FrameContext{});
  std::vector<const debuginfo::Symbol*> symbols;
  std::vector<debugger::Value> values;
  std::vector<debugger::MemoryRange> ranges;
  for (const debuginfo::Symbol& s : info_.Symbols()) {
    if (s.scope != debuginfo::ScopeKind::kGlobal && s.scope != debuginfo::ScopeKind::kFile) continue;
    if (s.name.empty() || s.type.Is(debuginfo::TypeCode::kFunction)) continue;
    debugger::Outcome<debugger::Value> v = evaluator.ValueOf(s);
    if (!v) continue;
    symbols.push_back(&s);
    values.push_back(*v);
    debugger::ValueAccess::CollectRanges(*v, debugger::kPrintElementLimit, ranges);
  }
  memory_.Prefetch(std::move(ranges));
  debugger::VariableTree tree(evaluator.Access(), debugger::FormatOptions{hex, false});
  std::vector<VariableNode> nodes;
  for (size_t i = 0; i < symbols.size(); ++i) nodes.push_back(tree.Make(symbols[i]->name, values[i]));
  return nodes;
}

std::vector<VariableNode> SourceLevel::Children(const Frame& frame, const VariableNode& node, bool hex) {
  debugger::Evaluator evaluator(info_, memory_, Context(frame));
  debugger::VariableTree tree(evaluator.Access(), debugger::FormatOptions{hex, false});
  return tree.Children(node);
}

bool SourceLevel::Evaluate(const Frame& frame, const std::string& text, bool hex, VariableNode& out,
                           std::string& error) {
  debugger::Evaluator evaluator(info_, memory_, Context(frame));
  debugger::Outcome<debugger::Value> value = evaluator.Evaluate(text);
  if (!value) {
    error = value.error;
    return false;
  }
  debugger::VariableTree tree(evaluator.Access(), debugger::FormatOptions{hex, false});
  out = tree.Make(text, *value);
  return true;
}

}  // namespace orven::orvdap
