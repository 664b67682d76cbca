#include "host/target.h"

#include <algorithm>
#include <cstring>

#include "host/address_text.h"
#include "host/texts.h"

namespace orven::host {

namespace {

// Host-side pieces of a program load; the driver cuts them further into its own transfers.
constexpr uint32_t kLoadPiece = 0x1000;
constexpr uint32_t kNoAddress = 0xFFFFFFFFu;

// Register window item numbers.
constexpr uint16_t kItemAcc = 16, kItemB = 17, kItemSp = 18, kItemDptr = 19, kItemPc = 20, kItemPsw = 256;

constexpr RegisterName kRegisters[] = {
    {"r0", 0, false},        {"r1", 1, false},        {"r2", 2, false},          {"r3", 3, false},
    {"r4", 4, false},        {"r5", 5, false},        {"r6", 6, false},          {"r7", 7, false},
    {"a", kItemAcc, false},  {"b", kItemB, false},    {"sp", kItemSp, false},    {"dptr", kItemDptr, true},
    {"pc", kItemPc, true},   {"psw", kItemPsw, false},
};

OrvendAddress Descriptor(uint32_t tagged) {
  OrvendAddress a{};
  a.address.tagged = tagged;
  return a;
}

uint32_t Code(uint32_t address) { return ORVEND_TAG(ORVEND_SPACE_CODE, address); }

// A refused or failed memory access as the user reads it.
Result MemoryFailure(uint16_t result, const char* failedAt, const OrvendAddress& a) {
  if (result == 1) return Result::Failed(texts::kRefusedWhileRunning);
  return Result::Failed(failedAt + AddressText(a.error_address));
}

}  // namespace

Target::~Target() { Finish(); }

const RegisterName* Target::FindRegister(std::string_view name) {
  for (const RegisterName& r : kRegisters) {
    if (name == r.name) return &r;
  }
  return nullptr;
}

Result Target::LinkCheck(uint32_t before) const {
  if (host_.FatalNotices() != before) return Result::Failed(texts::kLinkClosed);
  return Result::Ok();
}

// ----- connection

Result Target::Connect() {
  registersCached_ = false;
  const uint32_t before = host_.FatalNotices();
  if (host_.Api().Init(ORVEND_INIT_CONNECT, nullptr) != 0) return Result::Failed(texts::kCannotConnect);
  connected_ = true;
  if (Result r = LinkCheck(before); !r.ok) return r;
  host_.RefreshRegisterWindow();
  return LinkCheck(before);
}

Result Target::EnsureConnected() { return connected_ ? Result::Ok() : Connect(); }

Result Target::Reset() {
  registersCached_ = false;
  const uint32_t before = host_.FatalNotices();
  host_.Api().Init(ORVEND_INIT_RESET, nullptr);
  if (Result r = LinkCheck(before); !r.ok) return r;
  host_.RefreshRegisterWindow();
  return LinkCheck(before);
}

void Target::Shutdown() {
  registersCached_ = false;
  host_.ExpectLinkClosed(true);
  host_.Api().Init(ORVEND_INIT_SHUTDOWN, nullptr);
  host_.ExpectLinkClosed(false);
  host_.ForgetRegisterView();
  connected_ = false;
}

void Target::Close() {
  if (connected_ && !BackgroundRunning()) Shutdown();
}

// ----- program load and flash download

Result Target::ReadProgram(const std::string& path, HexImage& image) {
  std::string error;
  if (!image.LoadFile(path, error)) return Result::Failed(error);
  for (const HexSegment& s : image.Segments()) {
    if (s.start + s.bytes.size() > 0x10000) return Result::Failed(path + texts::kCodeBeyondBank);
  }
  return Result::Ok();
}

Result Target::LoadProgram(const HexImage& image) {
  registersCached_ = false;
  const uint32_t before = host_.FatalNotices();
  const DriverEntryPoints& api = host_.Api();
  api.Init(ORVEND_INIT_LOAD_BEGIN, nullptr);
  for (const HexSegment& s : image.Segments()) {
    for (size_t done = 0; done < s.bytes.size();) {
      const uint32_t n = static_cast<uint32_t>(std::min<size_t>(kLoadPiece, s.bytes.size() - done));
      OrvendAddress a = Descriptor(Code(s.start + static_cast<uint32_t>(done)));
      std::vector<uint8_t> piece(s.bytes.begin() + static_cast<ptrdiff_t>(done),
                                 s.bytes.begin() + static_cast<ptrdiff_t>(done + n));
      if (const uint16_t result = api.MemAcc(ORVEND_MEM_WRITE_CODE, piece.data(), &a, n); result != 0) {
        return MemoryFailure(result, texts::kWriteFailedAt, a);
      }
      done += n;
    }
  }
  api.Init(ORVEND_INIT_LOAD_END, nullptr);
  if (Result r = LinkCheck(before); !r.ok) return r;
  host_.SetDownloadImage(image);
  return Result::Ok();
}

Result Target::Download() {
  registersCached_ = false;
  if (!host_.HasDownloadImage()) return Result::Failed(texts::kNoProgram);
  const uint32_t before = host_.FatalNotices();
  if (host_.Api().Init(ORVEND_INIT_PREPARE_DOWNLOAD, nullptr) != 0) return Result::Failed(texts::kPreparingFailed);
  if (host_.Api().Init(ORVEND_INIT_DOWNLOAD, nullptr) != 0) return Result::Failed(texts::kDownloadFailed);
  return LinkCheck(before);
}

// ----- breakpoints

Result Target::AddBreakpoint(uint32_t address, uint32_t kind, int32_t count, const std::string& command) {
  const uint32_t tagged = Code(address);
  if (host_.FindBreakpoint(tagged) != nullptr) return Result::Failed(texts::kBreakpointExists + AddressText(tagged));
  OrvendBreakpoint* bp = host_.NewBreakpoint(tagged, kind, count, command);
  OrvendAddress a = Descriptor(tagged);
  const uint32_t before = host_.FatalNotices();
  // As the IDE: ask the driver to accept the record, link it, then have its address marked.
  if (host_.Api().BreakFunc(5, 0, &a, bp) == nullptr) {
    host_.RemoveBreakpoint(bp);
    return Result::Failed(texts::kBreakpointRefused);
  }
  host_.LinkBreakpoint(bp);
  host_.Api().BreakFunc(1, 0, &a, bp);
  return LinkCheck(before);
}

Result Target::ChangeBreakpoint(uint32_t address, BreakpointChange change) {
  const uint32_t tagged = Code(address);
  OrvendBreakpoint* bp = host_.FindBreakpoint(tagged);
  if (bp == nullptr) return Result::Failed(texts::kNoBreakpoint + AddressText(tagged));
  OrvendAddress a = Descriptor(tagged);
  const uint32_t before = host_.FatalNotices();
  if (change == BreakpointChange::kClear) {
    host_.Api().BreakFunc(2, 0, &a, bp);
    host_.RemoveBreakpoint(bp);
  } else {
    if (change == BreakpointChange::kEnable) {
      bp->flags |= ORVEND_BP_ENABLED;
    } else {
      bp->flags &= ~ORVEND_BP_ENABLED;
    }
    host_.Api().BreakFunc(1, 0, &a, bp);
  }
  return LinkCheck(before);
}

// ----- run control

RunResult Target::Go() { return Run(ORVEND_GO, 0, kNoAddress); }

RunResult Target::GoUntil(uint32_t address) { return Run(ORVEND_GO_UNTIL, 0, Code(address)); }

RunResult Target::Step(uint32_t count) { return Run(ORVEND_GO_STEP, count, 0); }

RunResult Target::Run(uint16_t code, uint32_t count, uint32_t tagged) {
  registersCached_ = false;
  OrvendAddress a = Descriptor(tagged);
  const uint32_t before = host_.FatalNotices();
  {
    std::lock_guard<std::mutex> lock(interruptMutex_);
    runInProgress_ = true;
    stopSentDuringRun_ = false;
  }
  host_.Api().GoStep(code, count, &a);
  {
    std::lock_guard<std::mutex> lock(interruptMutex_);
    runInProgress_ = false;
    // A stop request that reached the driver just after the run ended stays pending there and would make
    // the next run do nothing. A step of no instructions takes it back.
    if (stopSentDuringRun_) {
      OrvendAddress none = Descriptor(0);
      host_.Api().GoStep(ORVEND_GO_STEP, 0, &none);
    }
  }
  return AfterRun(before);
}

void Target::GoInBackground() {
  registersCached_ = false;
  backgroundBefore_ = host_.FatalNotices();
  backgroundActive_ = true;
  background_ = std::thread([this] {
    OrvendAddress a = Descriptor(kNoAddress);
    host_.Api().GoStep(ORVEND_GO, 0, &a);
  });
}

RunResult Target::AfterRun(uint32_t before) {
  registersCached_ = false;
  RunResult run;
  run.result = LinkCheck(before);
  if (!run.result.ok) return run;
  // The register window shows the target's registers again, so a later register write (which writes the
  // window's whole copy back) does not write stale values; what it read serves this stop's register requests.
  Registers r;
  if (host_.HasRegisterView() && ReadRegisterWindow(r, before).ok) {
    cachedRegisters_ = r;
    registersCached_ = true;
  } else {
    host_.RefreshRegisterWindow();
  }
  host_.UpdateDialogs();
  run.result = LinkCheck(before);
  run.stopped = run.result.ok;
  return run;
}

RunResult Target::Stop() {
  registersCached_ = false;
  OrvendAddress a = Descriptor(0);
  if (host_.Api().GoStep(ORVEND_GO_STOP, 0, &a) == 0) return RunResult{Result::Failed(texts::kDidNotStop)};
  return JoinBackground();
}

InterruptOutcome Target::InterruptRun() {
  // A stop request while nothing runs would make the driver skip the next run, so only a run is stopped.
  std::lock_guard<std::mutex> lock(interruptMutex_);
  if (!runInProgress_ && !backgroundActive_) return InterruptOutcome::kNothingRuns;
  if (runInProgress_) stopSentDuringRun_ = true;
  OrvendAddress a = Descriptor(0);
  const bool stopped = host_.Api().GoStep(ORVEND_GO_STOP, 0, &a) != 0;
  return stopped ? InterruptOutcome::kStopped : InterruptOutcome::kStillRunning;
}

RunResult Target::JoinBackground() {
  if (!background_.joinable()) return RunResult{};
  background_.join();
  backgroundActive_ = false;
  // The go's own result, made here on the calling thread once the go thread has left the driver.
  RunResult run = AfterRun(backgroundBefore_);
  run.backgroundGo = true;
  return run;
}

RunResult Target::Finish() {
  registersCached_ = false;
  if (!BackgroundRunning()) return RunResult{};
  OrvendAddress a = Descriptor(0);
  if (host_.Api().GoStep(ORVEND_GO_STOP, 0, &a) == 0) {
    // The target runs on (the user declined the forced reset): the go thread cannot be waited for.
    background_.detach();
    backgroundActive_ = false;
    abandoned_ = true;
    return RunResult{Result::Failed(texts::kDidNotStop)};
  }
  return JoinBackground();
}

// ----- registers and memory

Result Target::ReadRegisterWindow(Registers& out, uint32_t before) {
  // The register window has no way to say that the values it shows were not read; the driver's answer has.
  if (host_.Api().AllReg(1, nullptr) != 0) {
    Result link = LinkCheck(before);
    return link.ok ? Result::Failed(texts::kRegistersNotRead) : link;
  }
  host_.RefreshRegisterWindow();
  const auto v = [&](uint16_t item) { return host_.RegisterValue(item); };
  out.pc = static_cast<uint16_t>(v(kItemPc) & 0xFFFF);
  out.acc = static_cast<uint8_t>(v(kItemAcc));
  out.b = static_cast<uint8_t>(v(kItemB));
  out.sp = static_cast<uint8_t>(v(kItemSp));
  out.dptr = static_cast<uint16_t>(v(kItemDptr));
  out.psw = static_cast<uint8_t>(v(kItemPsw));
  for (uint16_t i = 0; i < 8; ++i) out.r[i] = static_cast<uint8_t>(v(i));
  return LinkCheck(before);
}

Result Target::ReadRegisters(Registers& out) {
  if (!host_.HasRegisterView()) return Result::Failed(texts::kNoRegisterWindow);
  if (registersCached_) {
    out = cachedRegisters_;
    return Result::Ok();
  }
  Result r = ReadRegisterWindow(out, host_.FatalNotices());
  if (r.ok) {
    cachedRegisters_ = out;
    registersCached_ = true;
  }
  return r;
}

Result Target::SetRegister(const RegisterName& reg, uint64_t value) {
  registersCached_ = false;
  if (!host_.HasRegisterView()) return Result::Failed(texts::kNoRegisterWindow);
  const uint32_t before = host_.FatalNotices();
  if (!host_.SetRegister(reg.item, value)) return Result::Failed(texts::kValueRefused);
  return LinkCheck(before);
}

Result Target::ReadMemory(uint32_t tagged, uint8_t* buffer, uint32_t count) {
  OrvendAddress a = Descriptor(tagged);
  const uint32_t before = host_.FatalNotices();
  if (const uint16_t result = host_.Api().MemAcc(ORVEND_MEM_READ, buffer, &a, count); result != 0) {
    return MemoryFailure(result, texts::kReadFailedAt, a);
  }
  return LinkCheck(before);
}

Result Target::WriteMemory(uint32_t tagged, const std::vector<uint8_t>& bytes) {
  registersCached_ = false;
  OrvendAddress a = Descriptor(tagged);
  const uint32_t before = host_.FatalNotices();
  std::vector<uint8_t> buffer = bytes;  // the entry point takes a writable buffer
  const uint16_t result = host_.Api().MemAcc(ORVEND_MEM_WRITE, buffer.data(), &a, static_cast<uint32_t>(buffer.size()));
  if (result != 0) return MemoryFailure(result, texts::kWriteFailedAt, a);
  return LinkCheck(before);
}

// ----- options

Result Target::SetOptions(const std::string& text) {
  registersCached_ = false;
  host_.SetOptionText(text);
  if (host_.Api().Enum(&host_.EnumRecord(), 2) != ORVEND_TARGET_8051) return Result::Failed(texts::kNot8051Driver);
  return Result::Ok();
}

void Target::Setup() {
  registersCached_ = false;
  // The capability record points at a copy of the project's text; OK writes the new options into it.
  char text[sizeof(OrvendEnumRecord::option_text)] = {};
  const std::string current = host_.OptionText();
  std::memcpy(text, current.data(), std::min(current.size(), sizeof text - 1));
  OrvendCapRecord cap{};
  cap.option_text = text;
  if (host_.Api().Uv3Cap(1, &cap) == 1) host_.SetOptionText(std::string(text, strnlen(text, sizeof text)));
}

}  // namespace orven::host
