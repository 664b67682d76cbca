// The C-level commands of a session, in gdb's names and words: breakpoints by location, the run and step
// commands over the source-level engine, print, set var and the call stack.
#include <cctype>

#include "tools/orvhost/command_line.h"
#include "tools/orvhost/session.h"

namespace orven::orvhost {

namespace {

// Runs of a step command given a count ("next 3").
constexpr uint64_t kMaxRepeat = 1'000'000;

bool IsNumber(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::string Session::Rest(size_t words) const {
  size_t pos = 0;
  const auto skipSpace = [&] {
    while (pos < line_.size() && std::isspace(static_cast<unsigned char>(line_[pos]))) ++pos;
  };
  for (size_t i = 0; i < words; ++i) {
    skipSpace();
    while (pos < line_.size() && !std::isspace(static_cast<unsigned char>(line_[pos]))) ++pos;
  }
  skipSpace();
  size_t end = line_.size();
  while (end > pos && std::isspace(static_cast<unsigned char>(line_[end - 1]))) --end;
  return line_.substr(pos, end - pos);
}

Outcome Session::EngineRun(const std::string& command, const std::string& text) {
  if (debugger_.Engine().LastStop().reason == debugger::StopEvent::Reason::kFailed) {
    std::string reason = text;
    while (!reason.empty() && reason.back() == '\n') reason.pop_back();
    return Fail(command, reason);
  }
  console_.Print(text);
  return Outcome::kOk;
}

Outcome Session::Break(const Words& w) {
  if (w.size() < 2) return Usage(w[0]);
  if (!ConnectFirst(w[0])) return Outcome::kFailed;
  std::string message;
  if (debugger_.Engine().Break(Rest(1), w[0] == "tbreak", message) == 0) return Fail(w[0], message);
  console_.Print(message + "\n");
  return Outcome::kOk;
}

Outcome Session::BreakpointEdit(const Words& w) {
  const std::string& c = w[0];
  debugger::Engine& engine = debugger_.Engine();
  std::optional<uint64_t> number;
  if (w.size() >= 2) {
    number = ParseNumber(w[1], 0xFFFFFFFFu);
    if (!number) return Usage(c);
  }
  std::string text;
  if (c == "condition") {
    if (!number) return Usage(c);
    text = engine.Condition(static_cast<uint32_t>(*number), w.size() > 2 ? Rest(2) : std::string());
  } else if (c == "ignore") {
    const auto count = w.size() == 3 ? ParseNumber(w[2], 0xFFFFFFFFu) : std::nullopt;
    if (!number || !count) return Usage(c);
    text = engine.Ignore(static_cast<uint32_t>(*number), static_cast<uint32_t>(*count));
  } else {
    if (w.size() > 2) return Usage(c);
    const std::optional<uint32_t> which =
        number ? std::optional<uint32_t>(static_cast<uint32_t>(*number)) : std::nullopt;
    text = c == "delete" ? engine.Delete(which) : engine.Enable(which, c == "enable");
    // delete, enable and disable say nothing when they succeed.
    if (!text.empty()) {
      text.pop_back();
      return Fail(c, text);
    }
  }
  if (text.rfind("No breakpoint number", 0) == 0) {
    text.pop_back();
    return Fail(c, text);
  }
  console_.Print(text);
  return Outcome::kOk;
}

Outcome Session::Continue(const Words& w) {
  if (w.size() > 1) return Usage(w[0]);
  if (!ConnectFirst(w[0])) return Outcome::kFailed;
  return EngineRun(w[0], debugger_.Engine().Continue());
}

Outcome Session::LineStep(const Words& w) {
  const std::string& c = w[0];
  if (w.size() > 2) return Usage(c);
  uint64_t count = 1;
  if (w.size() == 2) {
    const auto v = ParseNumber(w[1], kMaxRepeat);
    if (!v || *v == 0) return Usage(c);
    count = *v;
  }
  const bool step = c == "step" || c == "s";
  const bool until = c == "until" || c == "u";
  // Without a source line at the PC a step is an instruction step, as it always was.
  if (step && !debugger_.HasLineAt(target_.Pc())) return Step(w);
  debugger::Engine& engine = debugger_.Engine();
  std::string text;
  for (uint64_t i = 0; i < count; ++i) {
    if (!debugger_.HasLineAt(target_.Pc())) {
      text = step ? engine.StepInstruction() : engine.NextInstruction();
    } else {
      text = step ? engine.Step() : until ? engine.Until() : engine.Next();
    }
    // A breakpoint, a stop request or a failure ends the count early.
    if (engine.LastStop().reason != debugger::StopEvent::Reason::kEndOfStep) break;
  }
  return EngineRun(c, text);
}

Outcome Session::InstructionStep(const Words& w) {
  const std::string& c = w[0];
  if (w.size() > 2) return Usage(c);
  uint64_t count = 1;
  if (w.size() == 2) {
    const auto v = ParseNumber(w[1], kMaxRepeat);
    if (!v || *v == 0) return Usage(c);
    count = *v;
  }
  debugger::Engine& engine = debugger_.Engine();
  std::string text;
  for (uint64_t i = 0; i < count; ++i) {
    text = c == "stepi" || c == "si" ? engine.StepInstruction() : engine.NextInstruction();
    if (engine.LastStop().reason != debugger::StopEvent::Reason::kEndOfStep) break;
  }
  return EngineRun(c, text);
}

Outcome Session::FinishFrame(const Words& w) {
  if (w.size() != 1) return Usage(w[0]);
  debugger::Engine& engine = debugger_.Engine();
  const std::string text = engine.Finish();
  // finish refused before running ("not meaningful in the outermost frame") is the command's failure.
  if (text.rfind("Run till exit", 0) != 0) {
    return Fail(w[0], text.substr(0, text.find_last_not_of('\n') + 1));
  }
  return EngineRun(w[0], text);
}

Outcome Session::Print(const Words& w) {
  const std::string& c = w[0];
  const size_t slash = c.find('/');
  const std::string format = slash == std::string::npos ? std::string() : c.substr(slash + 1);
  if (!format.empty() && format != "x") return Fail(c, "Undefined output format \"" + format + "\".");
  const std::string expression = Rest(1);
  if (expression.empty()) return Usage(c);
  std::string out, error;
  if (!debugger_.Print(expression, format == "x", out, error)) return Fail(c, error);
  console_.Print(out);
  return Outcome::kOk;
}

Outcome Session::Stack(const Words& w) {
  const std::string& c = w[0];
  debugger::Engine& engine = debugger_.Engine();
  if (c == "backtrace" || c == "bt") {
    if (w.size() != 1) return Usage(c);
    console_.Print(engine.Backtrace());
    return Outcome::kOk;
  }
  if (w.size() > 2 || (w.size() == 2 && !IsNumber(w[1]))) return Usage(c);
  size_t n = 0;
  if (w.size() == 2) {
    const auto v = ParseNumber(w[1], debugger::CallStack::kMaxFrames);
    if (!v) return Usage(c);
    n = static_cast<size_t>(*v);
  }
  std::string text;
  if (c == "up" || c == "down") {
    const size_t count = w.size() == 2 ? n : 1;
    text = c == "up" ? engine.Up(count) : engine.Down(count);
  } else {
    const debugger::Frame* selected = engine.SelectedFrame();
    text = engine.SelectFrame(w.size() == 2 ? n : selected ? selected->level : 0);
  }
  if (text.rfind('#', 0) != 0) return Fail(c, text.substr(0, text.find_last_not_of('\n') + 1));
  console_.Print(text);
  return Outcome::kOk;
}

}  // namespace orven::orvhost
