#include "tools/orvhost/session.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <thread>

#include "tools/orvhost/command_line.h"
#include "tools/orvhost/texts.h"

namespace orven::orvhost {

namespace {

// Host-side pieces of a program load; the driver cuts them further into its own transfers.
constexpr uint32_t kLoadPiece = 0x1000;
constexpr uint32_t kMaxDump = 0x10000;

OrvendAddress Descriptor(uint32_t tagged) {
  OrvendAddress a{};
  a.address.tagged = tagged;
  return a;
}

std::string Hex8(uint32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08X", value);
  return buf;
}

// Register names of the set command and the register window item numbers they stand for.
const std::map<std::string, uint16_t>& RegisterItems() {
  static const std::map<std::string, uint16_t> items = {
      {"r0", 0}, {"r1", 1}, {"r2", 2}, {"r3", 3},    {"r4", 4},    {"r5", 5},  {"r6", 6},
      {"r7", 7}, {"a", 16}, {"b", 17}, {"sp", 18}, {"dptr", 19}, {"pc", 20}, {"psw", 256}};
  return items;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

Session::~Session() { Finish(); }

Outcome Session::Execute(const std::string& line) {
  Words w;
  std::string error;
  if (!SplitWords(line, w, error)) {
    host_.Out().Error(texts::kFailed, line.c_str(), error.c_str());
    return Outcome::kUsage;
  }
  if (w.empty()) return Outcome::kOk;
  const std::string& c = w[0];
  // While a go runs in the background only what leaves the run alone is served. (A register window refresh
  // would have the driver write the PC variable from this thread while the go thread publishes it.)
  static const char* const kWhileRunning[] = {"stop", "sleep", "dump", "write", "help", "quit", "exit"};
  if (BackgroundRunning()) {
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
  if (c == "step") return Step(w);
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
  if (c == "help") {
    host_.Out().Print(texts::kHelp);
    return Outcome::kOk;
  }
  if (c == "quit" || c == "exit") return Outcome::kQuit;
  host_.Out().Error(texts::kUnknownCommand, c.c_str());
  return Outcome::kUsage;
}

Outcome Session::Fail(const std::string& command, const std::string& reason) {
  host_.Out().Error(texts::kFailed, command.c_str(), reason.c_str());
  return Outcome::kFailed;
}

Outcome Session::Usage(const std::string& command) {
  host_.Out().Error(texts::kBadArguments, command.c_str());
  return Outcome::kUsage;
}

Outcome Session::CheckFatal(const std::string& command, uint32_t before) {
  if (host_.FatalNotices() != before) return Fail(command, "the emulator link was closed");
  return Outcome::kOk;
}

void Session::PrintStopped() { host_.Out().Printf(texts::kStopped, host_.CurrentPc() & 0xFFFF); }

// ----- connection

Outcome Session::Init(const Words& w) {
  if (w.size() != 1) return Usage(w[0]);
  const uint32_t before = host_.FatalNotices();
  const uint32_t result = host_.Api().Init(ORVEND_INIT_CONNECT, nullptr);
  if (result != 0) return Fail(w[0], "cannot connect to the emulator");
  connected_ = true;
  if (CheckFatal(w[0], before) != Outcome::kOk) return Outcome::kFailed;
  // As the IDE does when it first shows the register window: run control starts from the PC read here.
  host_.RefreshRegisterWindow();
  return CheckFatal(w[0], before);
}

Outcome Session::Reset(const Words& w) {
  if (w.size() != 1) return Usage(w[0]);
  const uint32_t before = host_.FatalNotices();
  host_.Api().Init(ORVEND_INIT_RESET, nullptr);
  if (CheckFatal(w[0], before) != Outcome::kOk) return Outcome::kFailed;
  host_.RefreshRegisterWindow();
  return CheckFatal(w[0], before);
}

Outcome Session::Shutdown(const Words& w) {
  if (w.size() != 1) return Usage(w[0]);
  // Shutdown always ends with a fatal notice: that is how the driver says the link is closed.
  ShutDown();
  host_.Out().Printf(texts::kOptionText, host_.OptionText().c_str());
  return Outcome::kOk;
}

void Session::ShutDown() {
  host_.ExpectLinkClosed(true);
  host_.Api().Init(ORVEND_INIT_SHUTDOWN, nullptr);
  host_.ExpectLinkClosed(false);
  host_.ForgetRegisterView();
  connected_ = false;
}

void Session::Close() {
  if (connected_ && !BackgroundRunning()) ShutDown();
}

// ----- program load and flash download

Outcome Session::Load(const Words& w) {
  if (w.size() != 2) return Usage(w[0]);
  HexImage image;
  std::string error;
  if (!image.LoadFile(w[1], error)) return Fail(w[0], error);
  for (const HexSegment& s : image.Segments()) {
    if (s.start + s.bytes.size() > 0x10000) return Fail(w[0], w[1] + ": code beyond C:0xFFFF");
  }
  const uint32_t before = host_.FatalNotices();
  const DriverEntryPoints& api = host_.Api();
  api.Init(ORVEND_INIT_LOAD_BEGIN, nullptr);
  for (const HexSegment& s : image.Segments()) {
    for (size_t done = 0; done < s.bytes.size();) {
      const uint32_t n = static_cast<uint32_t>(std::min<size_t>(kLoadPiece, s.bytes.size() - done));
      OrvendAddress a = Descriptor(ORVEND_TAG(ORVEND_SPACE_CODE, s.start + done));
      std::vector<uint8_t> piece(s.bytes.begin() + static_cast<ptrdiff_t>(done),
                                 s.bytes.begin() + static_cast<ptrdiff_t>(done + n));
      if (api.MemAcc(ORVEND_MEM_WRITE_CODE, piece.data(), &a, n) != 0) {
        return Fail(w[0], "write failed at " + Hex8(a.error_address));
      }
      done += n;
    }
  }
  api.Init(ORVEND_INIT_LOAD_END, nullptr);
  if (CheckFatal(w[0], before) != Outcome::kOk) return Outcome::kFailed;
  host_.SetDownloadImage(image);
  host_.Out().Printf(texts::kLoaded, image.TotalBytes(), image.Segments().size(),
                     image.Segments().size() == 1 ? "" : "s");
  return Outcome::kOk;
}

Outcome Session::Download(const Words& w) {
  if (w.size() != 1) return Usage(w[0]);
  if (!host_.HasDownloadImage()) return Fail(w[0], "no program loaded (load FILE.hex first)");
  const uint32_t before = host_.FatalNotices();
  if (host_.Api().Init(ORVEND_INIT_PREPARE_DOWNLOAD, nullptr) != 0) return Fail(w[0], "preparing failed");
  if (host_.Api().Init(ORVEND_INIT_DOWNLOAD, nullptr) != 0) return Fail(w[0], "download failed");
  return CheckFatal(w[0], before);
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
  const uint32_t tagged = ORVEND_TAG(ORVEND_SPACE_CODE, *address);
  if (host_.FindBreakpoint(tagged) != nullptr) return Fail(w[0], "there is a breakpoint at " + Hex8(tagged));
  OrvendBreakpoint* bp = host_.NewBreakpoint(tagged, kind, count, command);
  OrvendAddress a = Descriptor(tagged);
  const uint32_t before = host_.FatalNotices();
  // As the IDE: ask the driver to accept the record, link it, then have its address marked.
  if (host_.Api().BreakFunc(5, 0, &a, bp) == nullptr) {
    host_.RemoveBreakpoint(bp);
    return Fail(w[0], "the driver does not accept this breakpoint");
  }
  host_.LinkBreakpoint(bp);
  host_.Api().BreakFunc(1, 0, &a, bp);
  return CheckFatal(w[0], before);
}

Outcome Session::BreakpointChange(const Words& w) {
  if (w.size() != 2) return Usage(w[0]);
  const auto address = ParseCodeAddress(w[1]);
  if (!address) return Usage(w[0]);
  const uint32_t tagged = ORVEND_TAG(ORVEND_SPACE_CODE, *address);
  OrvendBreakpoint* bp = host_.FindBreakpoint(tagged);
  if (bp == nullptr) return Fail(w[0], "no breakpoint at " + Hex8(tagged));
  OrvendAddress a = Descriptor(tagged);
  const uint32_t before = host_.FatalNotices();
  if (w[0] == "bc") {
    host_.Api().BreakFunc(2, 0, &a, bp);
    host_.RemoveBreakpoint(bp);
  } else {
    if (w[0] == "be") {
      bp->flags |= ORVEND_BP_ENABLED;
    } else {
      bp->flags &= ~ORVEND_BP_ENABLED;
    }
    host_.Api().BreakFunc(1, 0, &a, bp);
  }
  return CheckFatal(w[0], before);
}

// ----- run control

Outcome Session::Go(const Words& w) {
  if (w.size() > 2) return Usage(w[0]);
  if (w.size() == 2 && w[1] == "&") {
    backgroundBefore_ = host_.FatalNotices();
    backgroundActive_ = true;
    background_ = std::thread([this] {
      OrvendAddress a = Descriptor(0xFFFFFFFFu);
      host_.Api().GoStep(ORVEND_GO, 0, &a);
    });
    return Outcome::kOk;
  }
  OrvendAddress a = Descriptor(0xFFFFFFFFu);
  uint16_t code = ORVEND_GO;
  if (w.size() == 2) {
    const auto address = ParseCodeAddress(w[1]);
    if (!address) return Usage(w[0]);
    a = Descriptor(ORVEND_TAG(ORVEND_SPACE_CODE, *address));
    code = ORVEND_GO_UNTIL;
  }
  const uint32_t before = host_.FatalNotices();
  runInProgress_ = true;
  host_.Api().GoStep(code, 0, &a);
  runInProgress_ = false;
  return AfterRun(w[0], before);
}

Outcome Session::Step(const Words& w) {
  if (w.size() > 2) return Usage(w[0]);
  uint32_t count = 1;
  if (w.size() == 2) {
    const auto v = ParseNumber(w[1], 0xFFFFFFFFu);
    if (!v || *v == 0) return Usage(w[0]);
    count = static_cast<uint32_t>(*v);
  }
  OrvendAddress a = Descriptor(0);
  const uint32_t before = host_.FatalNotices();
  runInProgress_ = true;
  host_.Api().GoStep(ORVEND_GO_STEP, count, &a);
  runInProgress_ = false;
  return AfterRun(w[0], before);
}

Outcome Session::AfterRun(const std::string& command, uint32_t before) {
  if (CheckFatal(command, before) != Outcome::kOk) return Outcome::kFailed;
  // As the IDE after every stop: the register window shows the target's registers again, so a later set
  // (which writes the window's whole copy back) does not write stale values.
  host_.RefreshRegisterWindow();
  host_.UpdateDialogs();
  if (CheckFatal(command, before) != Outcome::kOk) return Outcome::kFailed;
  PrintStopped();
  return Outcome::kOk;
}

Outcome Session::Stop(const Words& w) {
  if (w.size() != 1) return Usage(w[0]);
  OrvendAddress a = Descriptor(0);
  const uint32_t stopped = host_.Api().GoStep(ORVEND_GO_STOP, 0, &a);
  if (stopped == 0) return Fail(w[0], "the target did not stop");
  return JoinBackground();
}

bool Session::Interrupt() {
  // A stop request while nothing runs would make the driver skip the next run, so only a run is stopped.
  if (!runInProgress_ && !backgroundActive_) return false;
  OrvendAddress a = Descriptor(0);
  host_.Api().GoStep(ORVEND_GO_STOP, 0, &a);
  return true;
}

Outcome Session::JoinBackground() {
  if (!background_.joinable()) return Outcome::kOk;
  background_.join();
  backgroundActive_ = false;
  // The go's own report, made here on the command thread once the go thread has left the driver.
  return AfterRun("go", backgroundBefore_);
}

Outcome Session::Finish() {
  if (!BackgroundRunning()) return Outcome::kOk;
  OrvendAddress a = Descriptor(0);
  if (host_.Api().GoStep(ORVEND_GO_STOP, 0, &a) == 0) {
    // The target runs on (the user declined the forced reset): the go thread cannot be waited for.
    background_.detach();
    backgroundActive_ = false;
    abandoned_ = true;
    return Fail("stop", "the target did not stop");
  }
  return JoinBackground();
}

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
  if (!host_.HasRegisterView()) return Fail(w[0], "no register window (init first)");
  const uint32_t before = host_.FatalNotices();
  // The register window has no way to say that the values it shows were not read; the driver's answer has.
  if (host_.Api().AllReg(1, nullptr) != 0) {
    return CheckFatal(w[0], before) != Outcome::kOk ? Outcome::kFailed
                                                     : Fail(w[0], "the registers could not be read");
  }
  host_.RefreshRegisterWindow();
  const uint32_t pc = static_cast<uint32_t>(host_.RegisterValue(20)) & 0xFFFF;
  const auto v = [&](uint16_t item) { return static_cast<unsigned>(host_.RegisterValue(item)); };
  const unsigned acc = v(16), b = v(17), sp = v(18), dptr = v(19), psw = v(256);
  unsigned r[8];
  for (uint16_t i = 0; i < 8; ++i) r[i] = v(i);
  if (CheckFatal(w[0], before) != Outcome::kOk) return Outcome::kFailed;
  host_.Out().Printf(texts::kRegsLine1, pc, acc, b, psw, sp, dptr);
  host_.Out().Printf(texts::kRegsLine2, r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7]);
  return Outcome::kOk;
}

Outcome Session::Dump(const Words& w) {
  if (w.size() != 3) return Usage(w[0]);
  const auto ref = ParseMemoryRef(w[1]);
  const auto count = ParseNumber(w[2], kMaxDump);
  if (!ref || !count) return Usage(w[0]);
  std::vector<uint8_t> buffer(*count);
  OrvendAddress a = Descriptor(ref->Tagged());
  const uint32_t before = host_.FatalNotices();
  const uint16_t result = host_.Api().MemAcc(ORVEND_MEM_READ, buffer.data(), &a, static_cast<uint32_t>(*count));
  if (result != 0) {
    return Fail(w[0], result == 1 ? std::string("refused while the target runs")
                                  : "read failed at " + Hex8(a.error_address));
  }
  if (CheckFatal(w[0], before) != Outcome::kOk) return Outcome::kFailed;
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char head[24];
  std::snprintf(head, sizeof head, "%c:%04X=", static_cast<char>(ref->space), ref->address);
  std::string line = head;
  for (uint8_t b : buffer) {
    line += kDigits[b >> 4];
    line += kDigits[b & 15];
  }
  line += '\n';
  host_.Out().Print(line);
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
  OrvendAddress a = Descriptor(ref->Tagged());
  const uint32_t before = host_.FatalNotices();
  const uint16_t result =
      host_.Api().MemAcc(ORVEND_MEM_WRITE, bytes.data(), &a, static_cast<uint32_t>(bytes.size()));
  if (result != 0) {
    return Fail(w[0], result == 1 ? std::string("refused while the target runs")
                                  : "write failed at " + Hex8(a.error_address));
  }
  return CheckFatal(w[0], before);
}

Outcome Session::Set(const Words& w) {
  if (w.size() != 3) return Usage(w[0]);
  const auto item = RegisterItems().find(Lower(w[1]));
  if (item == RegisterItems().end()) return Usage(w[0]);
  const bool wide = item->second == 19 || item->second == 20;
  const auto value = ParseNumber(w[2], wide ? 0xFFFF : 0xFF);
  if (!value) return Usage(w[0]);
  if (!host_.HasRegisterView()) return Fail(w[0], "no register window (init first)");
  const uint32_t before = host_.FatalNotices();
  if (!host_.SetRegister(item->second, *value)) return Fail(w[0], "the driver refused the value");
  return CheckFatal(w[0], before);
}

// ----- options

Outcome Session::Options(const Words& w) {
  std::string text;
  for (size_t i = 1; i < w.size(); ++i) text += (i > 1 ? " " : "") + w[i];
  if (w.size() == 1) text = texts::kDefaultOptions;
  if (text.size() >= sizeof(OrvendEnumRecord::option_text)) return Usage(w[0]);
  host_.SetOptionText(text);
  if (host_.Api().Enum(&host_.EnumRecord(), 2) != ORVEND_TARGET_8051) {
    return Fail(w[0], "the library does not answer as an 8051 driver");
  }
  host_.Out().Printf(texts::kOptionText, host_.OptionText().c_str());
  return Outcome::kOk;
}

Outcome Session::Setup(const Words& w) {
  if (w.size() != 1) return Usage(w[0]);
  // The capability record points at a copy of the project's text; OK writes the new options into it.
  char text[sizeof(OrvendEnumRecord::option_text)] = {};
  const std::string current = host_.OptionText();
  std::memcpy(text, current.data(), std::min(current.size(), sizeof text - 1));
  OrvendCapRecord cap{};
  cap.option_text = text;
  if (host_.Api().Uv3Cap(1, &cap) == 1) {
    host_.SetOptionText(std::string(text, strnlen(text, sizeof text)));
  }
  host_.Out().Printf(texts::kOptionText, host_.OptionText().c_str());
  return Outcome::kOk;
}

}  // namespace orven::orvhost
