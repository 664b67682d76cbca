#include "tools/orvhost/session.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "tools/orvhost/command_line.h"
#include "tools/orvhost/texts.h"

namespace orven::orvhost {

namespace {

constexpr uint32_t kMaxDump = 0x10000;

std::string Text(const char* format, const std::string& argument) {
  char text[512];
  std::snprintf(text, sizeof text, format, argument.c_str());
  return text;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

Outcome Session::Execute(const std::string& line) {
  Words w;
  std::string error;
  if (!SplitWords(line, w, error)) {
    console_.Error(texts::kFailed, line.c_str(), error.c_str());
    return Outcome::kUsage;
  }
  if (w.empty()) return Outcome::kOk;
  line_ = line;
  const std::string& c = w[0];
  // While a go runs in the background only what leaves the run alone is served. (A register window refresh
  // would have the driver write the PC variable from this thread while the go thread publishes it.)
  static const char* const kWhileRunning[] = {"stop", "sleep", "dump", "write", "help", "quit", "exit"};
  if (target_.BackgroundRunning()) {
    bool allowed = false;
    for (const char* name : kWhileRunning) allowed = allowed || c == name;
    if (!allowed) return Fail(c, "the target is running (stop it first)");
  }
  if (c == "init") return Init(w);
  if (c == "load") return Load(w);
  if (c == "download") return Download(w);
  if (c == "bp") return Breakpoint(w);
  if (c == "bd" || c == "be" || c == "bc") return BreakpointChange(w);
  if (c == "go") return Go(w);
  if (c == "step" || c == "s" || c == "next" || c == "n" || c == "until" || c == "u") return LineStep(w);
  if (c == "stepi" || c == "si" || c == "nexti" || c == "ni") return InstructionStep(w);
  if (c == "break" || c == "b" || c == "tbreak") return Break(w);
  if (c == "delete" || c == "disable" || c == "enable" || c == "condition" || c == "ignore") return BreakpointEdit(w);
  if (c == "continue" || c == "c") return Continue(w);
  if (c == "finish") return FinishFrame(w);
  if (c == "print" || c == "p" || c.rfind("print/", 0) == 0 || c.rfind("p/", 0) == 0) return Print(w);
  if (c == "backtrace" || c == "bt" || c == "frame" || c == "f" || c == "up" || c == "down") return Stack(w);
  if (c == "stop") return Stop(w);
  if (c == "sleep") return Sleep(w);
  if (c == "regs") return Regs(w);
  if (c == "dump") return Dump(w);
  if (c == "write") return Write(w);
  if (c == "set") return Set(w);
  if (c == "reset") return Reset(w);
  if (c == "options") return Options(w);
  if (c == "setup") return Setup(w);
  if (c == "shutdown") return Shutdown(w);
  if (c == "symbols") return Symbols(w);
  if (c == "list") return List(w);
  if (c == "info") return Info(w);
  if (c == "disassemble") return Disassemble(w);
  if (c == "help") {
    console_.Print(texts::kHelp);
    return Outcome::kOk;
  }
  if (c == "quit" || c == "exit") return Outcome::kQuit;
  console_.Error(texts::kUnknownCommand, c.c_str());
  return Outcome::kUsage;
}

Outcome Session::Fail(const std::string& command, const std::string& reason) {
  console_.Error(texts::kFailed, command.c_str(), reason.c_str());
  return Outcome::kFailed;
}

Outcome Session::Usage(const std::string& command) {
  console_.Error(texts::kBadArguments, command.c_str());
  return Outcome::kUsage;
}

Outcome Session::Report(const std::string& command, const host::Result& result) {
  return result.ok ? Outcome::kOk : Fail(command, result.reason);
}

Outcome Session::ReportRun(const std::string& command, const host::RunResult& run) {
  if (!run.result.ok) return Fail(run.backgroundGo ? "go" : command, run.result.reason);
  if (!run.stopped) return Outcome::kOk;
  console_.Print(debugger_.Engine().Stopped(target_.Pc()));
  return Outcome::kOk;
}

bool Session::ConnectFirst(const std::string& command) {
  return Report(command, target_.EnsureConnected()) == Outcome::kOk;
}

// ----- connection

Outcome Session::Init(const Words& w) {
  if (w.size() != 1) return Usage(w[0]);
  return Report(w[0], target_.Connect());
}

Outcome Session::Reset(const Words& w) {
  if (w.size() != 1) return Usage(w[0]);
  const Outcome outcome = Report(w[0], target_.Reset());
  debugger_.ProgramChanged();
  return outcome;
}

Outcome Session::Shutdown(const Words& w) {
  if (w.size() != 1) return Usage(w[0]);
  target_.Shutdown();
  console_.Printf(texts::kOptionText, target_.OptionText().c_str());
  return Outcome::kOk;
}

// ----- program load and flash download

Outcome Session::Load(const Words& w) {
  if (w.size() != 2) return Usage(w[0]);
  host::HexImage image;
  if (Report(w[0], host::Target::ReadProgram(w[1], image)) != Outcome::kOk) return Outcome::kFailed;
  if (!ConnectFirst(w[0])) return Outcome::kFailed;
  if (Report(w[0], target_.LoadProgram(image)) != Outcome::kOk) return Outcome::kFailed;
  console_.Printf(texts::kLoaded, image.TotalBytes(), image.Segments().size(),
                  image.Segments().size() == 1 ? "" : "s");
  ReadDebugInfoBeside(w[1]);
  debugger_.ProgramLoaded();
  return Outcome::kOk;
}

void Session::ReadDebugInfoBeside(const std::string& hexPath) {
  sourceView_.Reset();
  const std::string cdb = ProgramSource::CdbBeside(hexPath);
  std::error_code ec;
  // Debug information of the program loaded before is not this program's.
  source_.Forget();
  if (!std::filesystem::is_regular_file(cdb, ec)) return;
  std::string report, error;
  if (source_.Read(cdb, report, error)) {
    console_.Print(report);
  } else {
    // The program is loaded all the same; it is debugged at the address level.
    console_.Error(texts::kFailed, "load", Text(texts::kDebugInfoUnreadable, error).c_str());
  }
}

Outcome Session::Symbols(const Words& w) {
  if (w.size() != 2) return Usage(w[0]);
  std::string report, error;
  if (!source_.Read(w[1], report, error)) return Fail(w[0], Text(texts::kDebugInfoUnreadable, error));
  sourceView_.Reset();
  debugger_.ProgramLoaded();
  console_.Print(report);
  return Outcome::kOk;
}

// ----- source

Outcome Session::List(const Words& w) {
  if (w.size() > 2) return Usage(w[0]);
  std::string out, error;
  if (!sourceView_.List(w.size() == 2 ? w[1] : std::string(), out, error)) return Fail(w[0], error);
  console_.Print(out);
  return Outcome::kOk;
}

Outcome Session::Info(const Words& w) {
  if (w.size() == 2 && (w[1] == "breakpoints" || w[1] == "break" || w[1] == "b")) {
    console_.Print(debugger_.Engine().Breakpoints().Format());
    return Outcome::kOk;
  }
  if (w.size() == 2 && (w[1] == "locals" || w[1] == "args")) {
    std::string out, error;
    if (!debugger_.Locals(w[1] == "args", out, error)) return Fail(w[0] + " " + w[1], error);
    console_.Print(out);
    return Outcome::kOk;
  }
  if (w.size() != 3 || (w[1] != "line" && w[1] != "symbol")) return Usage(w[0]);
  std::string out, error;
  const bool ok = w[1] == "line" ? sourceView_.InfoLine(w[2], out, error) : sourceView_.InfoSymbol(w[2], out, error);
  if (!ok) return Fail(w[0] + " " + w[1], error);
  console_.Print(out);
  return Outcome::kOk;
}

Outcome Session::Disassemble(const Words& w) {
  const auto read = [this](uint16_t address, std::span<uint8_t> out, std::string& error) {
    const host::Result r = target_.ReadMemory(ORVEND_TAG(ORVEND_SPACE_CODE, address), out.data(),
                                              static_cast<uint32_t>(out.size()));
    error = r.reason;
    return r.ok;
  };
  std::string out, error;
  bool usage = false;
  if (!disassembly_.Disassemble(Words(w.begin() + 1, w.end()), target_.Pc(), read, out, error, usage)) {
    return usage ? Usage(w[0]) : Fail(w[0], error);
  }
  console_.Print(out);
  return Outcome::kOk;
}

Outcome Session::Download(const Words& w) {
  if (w.size() != 1) return Usage(w[0]);
  return Report(w[0], target_.Download());
}

// ----- breakpoints

Outcome Session::Breakpoint(const Words& w) {
  if (w.size() < 2) return Usage(w[0]);
  const auto address = ParseCodeAddress(w[1]);
  if (!address) return Usage(w[0]);
  int32_t count = 1;
  uint32_t kind = 0;
  std::string command;
  for (size_t i = 2; i < w.size(); ++i) {
    const std::string& arg = w[i];
    if (arg.rfind("count=", 0) == 0) {
      const auto v = ParseNumber(arg.substr(6), 0x7FFFFFFF);
      if (!v) return Usage(w[0]);
      count = static_cast<int32_t>(*v);
    } else if (arg.rfind("kind=", 0) == 0) {
      const auto v = ParseNumber(arg.substr(5), 2);
      if (!v) return Usage(w[0]);
      kind = static_cast<uint32_t>(*v);
    } else if (arg.rfind("cmd=", 0) == 0) {
      command = arg.substr(4);
    } else {
      return Usage(w[0]);
    }
  }
  if (!ConnectFirst(w[0])) return Outcome::kFailed;
  return Report(w[0], target_.AddBreakpoint(*address, kind, count, command));
}

Outcome Session::BreakpointChange(const Words& w) {
  if (w.size() != 2) return Usage(w[0]);
  const auto address = ParseCodeAddress(w[1]);
  if (!address) return Usage(w[0]);
  const host::BreakpointChange change = w[0] == "bc"   ? host::BreakpointChange::kClear
                                        : w[0] == "be" ? host::BreakpointChange::kEnable
                                                       : host::BreakpointChange::kDisable;
  return Report(w[0], target_.ChangeBreakpoint(*address, change));
}

// ----- run control

Outcome Session::Go(const Words& w) {
  if (w.size() > 2) return Usage(w[0]);
  const bool background = w.size() == 2 && w[1] == "&";
  std::optional<uint32_t> until;
  if (w.size() == 2 && !background) {
    until = ParseCodeAddress(w[1]);
    if (!until) return Usage(w[0]);
  }
  if (!ConnectFirst(w[0])) return Outcome::kFailed;
  if (background) {
    target_.GoInBackground();
    return Outcome::kOk;
  }
  return ReportRun(w[0], until ? target_.GoUntil(*until) : target_.Go());
}

Outcome Session::Step(const Words& w) {
  if (w.size() > 2) return Usage(w[0]);
  uint32_t count = 1;
  if (w.size() == 2) {
    const auto v = ParseNumber(w[1], 0xFFFFFFFFu);
    if (!v || *v == 0) return Usage(w[0]);
    count = static_cast<uint32_t>(*v);
  }
  return ReportRun(w[0], target_.Step(count));
}

Outcome Session::Stop(const Words& w) {
  if (w.size() != 1) return Usage(w[0]);
  return ReportRun(w[0], target_.Stop());
}

Outcome Session::Finish() { return ReportRun("stop", target_.Finish()); }

Outcome Session::Sleep(const Words& w) {
  if (w.size() != 2) return Usage(w[0]);
  const auto ms = ParseNumber(w[1], 3600u * 1000u);
  if (!ms) return Usage(w[0]);
  std::this_thread::sleep_for(std::chrono::milliseconds(*ms));
  return Outcome::kOk;
}

// ----- registers and memory

Outcome Session::Regs(const Words& w) {
  if (w.size() != 1) return Usage(w[0]);
  host::Registers r;
  if (Report(w[0], target_.ReadRegisters(r)) != Outcome::kOk) return Outcome::kFailed;
  console_.Printf(texts::kRegsLine1, r.pc, r.acc, r.b, r.psw, r.sp, r.dptr);
  console_.Printf(texts::kRegsLine2, r.r[0], r.r[1], r.r[2], r.r[3], r.r[4], r.r[5], r.r[6], r.r[7]);
  return Outcome::kOk;
}

Outcome Session::Dump(const Words& w) {
  if (w.size() != 3) return Usage(w[0]);
  const auto ref = ParseMemoryRef(w[1]);
  const auto count = ParseNumber(w[2], kMaxDump);
  if (!ref || !count) return Usage(w[0]);
  std::vector<uint8_t> buffer(*count);
  const host::Result read = target_.ReadMemory(ref->Tagged(), buffer.data(), static_cast<uint32_t>(*count));
  if (Report(w[0], read) != Outcome::kOk) return Outcome::kFailed;
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char head[24];
  std::snprintf(head, sizeof head, "%c:%04X=", static_cast<char>(ref->space), ref->address);
  std::string line = head;
  for (uint8_t b : buffer) {
    line += kDigits[b >> 4];
    line += kDigits[b & 15];
  }
  line += '\n';
  console_.Print(line);
  return Outcome::kOk;
}

Outcome Session::Write(const Words& w) {
  if (w.size() < 3) return Usage(w[0]);
  const auto ref = ParseMemoryRef(w[1]);
  if (!ref) return Usage(w[0]);
  std::vector<uint8_t> bytes;
  for (size_t i = 2; i < w.size(); ++i) {
    const auto b = ParseHexByte(w[i]);
    if (!b) return Usage(w[0]);
    bytes.push_back(*b);
  }
  return Report(w[0], target_.WriteMemory(ref->Tagged(), bytes));
}

Outcome Session::Set(const Words& w) {
  if (w.size() >= 3 && (w[1] == "var" || w[1] == "variable")) {
    std::string error;
    if (!debugger_.Assign(Rest(2), error)) return Fail("set var", error);
    return Outcome::kOk;
  }
  if (w.size() != 3) return Usage(w[0]);
  const host::RegisterName* reg = host::Target::FindRegister(Lower(w[1]));
  if (reg == nullptr) return Usage(w[0]);
  const auto value = ParseNumber(w[2], reg->wide ? 0xFFFF : 0xFF);
  if (!value) return Usage(w[0]);
  return Report(w[0], target_.SetRegister(*reg, *value));
}

// ----- options

Outcome Session::Options(const Words& w) {
  std::string text;
  for (size_t i = 1; i < w.size(); ++i) text += (i > 1 ? " " : "") + w[i];
  if (w.size() == 1) text = texts::kDefaultOptions;
  if (text.size() >= sizeof(OrvendEnumRecord::option_text)) return Usage(w[0]);
  if (Report(w[0], target_.SetOptions(text)) != Outcome::kOk) return Outcome::kFailed;
  console_.Printf(texts::kOptionText, target_.OptionText().c_str());
  return Outcome::kOk;
}

Outcome Session::Setup(const Words& w) {
  if (w.size() != 1) return Usage(w[0]);
  target_.Setup();
  console_.Printf(texts::kOptionText, target_.OptionText().c_str());
  return Outcome::kOk;
}

}  // namespace orven::orvhost
