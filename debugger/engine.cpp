#include "debugger/engine.h"

#include "debugger/code_position.h"
#include "debugger/format_text.h"
#include "debugger/texts.h"

namespace orven::debugger {

Engine::Engine(TargetPort& port, const debuginfo::DebugInfo* info)
    : port_(port), info_(info), control_(port, info, breakpoints_), stack_(port, control_.Code(), info), resolver_(info) {}

uint32_t Engine::Break(std::string_view location, bool temporary, std::string& message) {
  // A bare line number means a line of the file the program is stopped in.
  std::string defaultFile;
  const bool bareLine = !location.empty() && location.find_first_not_of("0123456789 ") == std::string_view::npos;
  if (bareLine) {
    if (const Frame* frame = SelectedFrame()) defaultFile = frame->position.file;
  }
  if (bareLine && defaultFile.empty() && info_) {
    if (const debuginfo::Function* main = info_->FunctionByName("main")) defaultFile = main->file;
  }
  const std::optional<ResolvedLocation> at = resolver_.Resolve(location, defaultFile, message);
  if (!at) return 0;
  const uint32_t number = breakpoints_.Add(at->address, at->What(), temporary);
  const char* word = temporary ? texts::kTemporaryBreakpointWord : texts::kBreakpointWord;
  message = at->file.empty()
                ? FormatText(texts::kBreakpointSetAtAddress, word, number, at->address)
                : FormatText(texts::kBreakpointSet, word, number, at->address, at->file.c_str(), at->line);
  return number;
}

std::string Engine::Disarm() {
  PortResult r = control_.SyncBreakpoints();
  return r.ok ? std::string() : r.reason + "\n";
}

std::string Engine::Delete(std::optional<uint32_t> number) {
  if (!number) {
    breakpoints_.DeleteAll();
  } else if (!breakpoints_.Delete(*number)) {
    return FormatText(texts::kNoBreakpointNumber, *number) + "\n";
  }
  return Disarm();
}

std::string Engine::Enable(std::optional<uint32_t> number, bool enabled) {
  if (!number) {
    breakpoints_.EnableAll(enabled);
  } else if (!breakpoints_.Enable(*number, enabled)) {
    return FormatText(texts::kNoBreakpointNumber, *number) + "\n";
  }
  // Enabling arms at the next run, where the emulator's limit is checked; disabling frees the comparator now.
  return enabled ? std::string() : Disarm();
}

std::string Engine::Condition(uint32_t number, std::string expression) {
  const bool none = expression.empty();
  if (!breakpoints_.SetCondition(number, std::move(expression))) {
    return FormatText(texts::kNoBreakpointNumber, number) + "\n";
  }
  return none ? FormatText(texts::kNowUnconditional, number) + "\n" : std::string();
}

std::string Engine::Ignore(uint32_t number, uint32_t count) {
  if (!breakpoints_.SetIgnoreCount(number, count)) return FormatText(texts::kNoBreakpointNumber, number) + "\n";
  return (count == 0 ? FormatText(texts::kWillStop, number) : FormatText(texts::kWillIgnore, count, number)) + "\n";
}

std::string Engine::SourceLine(const CodePosition& at) {
  if (!at.line) return {};
  const std::optional<std::string> text = sources_.Line(at.file, at.line->line);
  return text ? std::to_string(at.line->line) + "\t" + *text + "\n" : std::string();
}

std::string Engine::Where(uint16_t pc, const CodePosition& at) {
  std::string out = FormatText(texts::kStopped, pc);
  if (at.function) out += FormatText(texts::kStoppedIn, at.function->name.c_str());
  if (at.line) out += FormatText(texts::kStoppedAt, at.file.c_str(), at.line->line);
  return out + "\n" + SourceLine(at);
}

std::string Engine::Stopped(uint16_t pc) {
  framesValid_ = false;
  return Where(pc, PositionAt(info_, pc));
}

std::string Engine::Report(const StopEvent& stop) {
  last_ = stop;
  framesValid_ = false;
  if (stop.reason == StopEvent::Reason::kFailed) return stop.message + "\n";
  std::string out;
  if (stop.reason == StopEvent::Reason::kBreakpoint) {
    if (!stop.message.empty()) out += stop.message + "\n";
    out += FormatText(texts::kBreakpointStop,
                      stop.temporaryBreakpoint ? texts::kTemporaryBreakpointWord : texts::kBreakpointWord,
                      stop.breakpoint);
  } else if (!stop.message.empty()) {
    out += stop.message + "\n";
  }
  return out + Where(stop.pc, PositionAt(info_, stop.pc));
}

bool Engine::Unwind(std::string& error) {
  if (framesValid_) return true;
  RegisterSet regs;
  PortResult r = port_.ReadRegisters(regs);
  std::vector<Frame> frames;
  if (r.ok) r = stack_.Unwind(regs, frames);
  if (!r.ok) {
    error = r.reason;
    return false;
  }
  frames_.Reset(std::move(frames));
  framesValid_ = true;
  return true;
}

const Frame* Engine::SelectedFrame() {
  std::string error;
  return Unwind(error) ? frames_.Selected() : nullptr;
}

std::string Engine::FrameText(const Frame& frame) {
  return FormatFrame(frame, args_ && frame.hasPc ? args_(frame) : std::string());
}

std::string Engine::Backtrace() {
  std::string error;
  if (!Unwind(error)) return error + "\n";
  std::string out;
  for (const Frame& frame : frames_.Frames()) out += FrameText(frame) + "\n";
  return out;
}

std::string Engine::SelectFrame(size_t level) {
  std::string error;
  if (!Unwind(error) || !frames_.Select(level, error)) return error + "\n";
  return FrameText(*frames_.Selected()) + "\n" + SourceLine(frames_.Selected()->position);
}

std::string Engine::Up(size_t count) {
  std::string error;
  if (!Unwind(error) || !frames_.Up(count, error)) return error + "\n";
  return FrameText(*frames_.Selected()) + "\n" + SourceLine(frames_.Selected()->position);
}

std::string Engine::Down(size_t count) {
  std::string error;
  if (!Unwind(error) || !frames_.Down(count, error)) return error + "\n";
  return FrameText(*frames_.Selected()) + "\n" + SourceLine(frames_.Selected()->position);
}

std::string Engine::Finish() {
  std::string error;
  if (!Unwind(error)) return error + "\n";
  const Frame& frame = *frames_.Selected();
  const size_t callerLevel = frames_.SelectedLevel() + 1;
  if (frame.returnSlot < 0 || callerLevel >= frames_.Frames().size()) return std::string(texts::kFinishOutermost) + "\n";
  if (!frames_.Frames()[callerLevel].hasPc) return std::string(texts::kFinishUnknownCaller) + "\n";
  const std::string header = std::string(texts::kRunTillExit) + FrameText(frame) + "\n";
  return header + Report(control_.Finish(frame));
}

}  // namespace orven::debugger
