// Memory, registers, breakpoints and run control of the emulated 8051.
#include <algorithm>
#include <thread>
#include <cstring>

#include "emulator/ice_usb.h"
#include "emulator/texts.h"
#include "link/command_codes.h"

namespace orven::emulator {

using link::FrameReport;
using namespace cmd;

namespace {
constexpr uint32_t kChunk = 128;
constexpr uint32_t kPollMs = 500;
constexpr uint32_t kStopWaitMs = 200;
}  // namespace

bool CIceUsb::ChunkedRead(uint8_t code, uint8_t* buffer, uint32_t address, uint32_t count, bool code16,
                          bool replyFailureIsFatal) {
  uint32_t done = 0;
  do {
    const uint32_t n = std::min(kChunk, count - done);
    const uint32_t at = address + done;  // the data spaces keep their tag in the upper bits
    Exchange x;
    x.command = FrameReport::Command(code, code16 ? (at & 0xFFFF) : at, n);
    x.timeoutMs = emu_timeout::kMemory;
    x.read = true;
    x.dest = buffer + done;
    x.wanted = n;
    const Outcome o = Transact(x);
    if (o == Outcome::kSendFailed) {
      CommError();
      return false;
    }
    if (o == Outcome::kNoReply && replyFailureIsFatal) flags_.SetFatal();
    if (o != Outcome::kOk) return false;
    done += n;
  } while (done < count);
  return true;
}

bool CIceUsb::ChunkedWrite(uint8_t code, const uint8_t* buffer, uint32_t address, uint32_t count,
                           bool replyFailureIsFatal) {
  uint32_t done = 0;
  do {
    const uint32_t n = std::min(kChunk, count - done);
    Exchange x;
    x.command = FrameReport::Command(code, address + done);
    x.payload = buffer + done;
    x.payloadLength = n;
    x.timeoutMs = emu_timeout::kMemory;
    const Outcome o = Transact(x);
    if (o == Outcome::kSendFailed) {
      CommError();
      return false;
    }
    if (o == Outcome::kNoReply && replyFailureIsFatal) flags_.SetFatal();
    if (o != Outcome::kOk) return false;
    done += n;
  } while (done < count);
  return true;
}

bool CIceUsb::ReadDataMemory(uint8_t* buffer, uint32_t address, uint32_t count) {
  if (count > kMaxReplyData) return false;  // never more than the 128 bytes from 0x80 to 0xFF
  Exchange x;
  x.command = FrameReport::Command(EC_READ_DATA, address, count);
  x.timeoutMs = emu_timeout::kMemory;
  x.read = true;
  x.dest = buffer;
  x.wanted = count;
  const Outcome o = Transact(x);
  if (o == Outcome::kSendFailed) CommError();
  return o == Outcome::kOk;
}

bool CIceUsb::WriteDataMemory(const uint8_t* buffer, uint32_t address, uint32_t count) {
  Exchange x;
  x.command = FrameReport::Command(EC_WRITE_DATA, address);
  x.payload = buffer;
  x.payloadLength = count;
  x.timeoutMs = emu_timeout::kMemory;
  const Outcome o = Transact(x);
  if (o == Outcome::kSendFailed) CommError();
  return o == Outcome::kOk;
}

bool CIceUsb::ReadCodeMemory(uint8_t* buffer, uint32_t address, uint32_t count) {
  return ChunkedRead(EC_READ_CODE, buffer, address, count, true, false);
}

bool CIceUsb::WriteCodeMemory(const uint8_t* data, uint32_t& address, uint32_t count) {
  address &= 0xFFFF;
  const uint64_t end = uint64_t{address} + count;
  if (StopFeatureOn() && address <= kStopVector && kStopVector < end) stopVectorConflict_.store(true);
  if (end > kCodeLimit) {
    if (quietCodeRange_.load()) {
      Print(kHostOutputText, texts::kNoCodeMemory, static_cast<unsigned>(end));
      return true;
    }
    prompter_.ErrorBox(texts::kCaptionCommError, texts::kCodeTooLarge);
    return false;
  }
  uint32_t done = 0;
  do {
    const uint32_t n = std::min(kChunk, count - done);
    Exchange x;
    x.command = FrameReport::Command(EC_WRITE_CODE, address + done);
    x.payload = data + done;
    x.payloadLength = n;
    x.timeoutMs = emu_timeout::kMemory;
    // A refused write left the pod's code as it was: the program the host debugs would not be there.
    x.statusMustBeZero = true;
    const Outcome o = Transact(x);
    if (o == Outcome::kSendFailed) {
      CommError();
      return false;
    }
    if (o == Outcome::kNoReply || o == Outcome::kRefused) {
      prompter_.ErrorBox(texts::kAppCaption, texts::kCodeWriteFailed);
    }
    if (o != Outcome::kOk) return false;
    done += n;
  } while (done < count);
  return true;
}

bool CIceUsb::ReadXdataMemory(uint8_t* buffer, uint32_t address, uint32_t count) {
  return ChunkedRead(EC_READ_XDATA, buffer, address, count, false, false);
}

bool CIceUsb::WriteXdataMemory(const uint8_t* buffer, uint32_t address, uint32_t count) {
  return ChunkedWrite(EC_WRITE_XDATA, buffer, address, count, false);
}

bool CIceUsb::ReadIdataMemory(uint8_t* buffer, uint32_t address, uint32_t count) {
  return ChunkedRead(EC_READ_IDATA, buffer, address, count, false, true);
}

bool CIceUsb::WriteIdataMemory(const uint8_t* buffer, uint32_t address, uint32_t count) {
  return ChunkedWrite(EC_WRITE_IDATA, buffer, address, count, true);
}

bool CIceUsb::ReadRegisters(RegisterImage* out) {
  *out = RegisterImage{};
  Exchange x;
  x.command = FrameReport::Command(EC_READ_REGS, 0, sizeof out->bytes);
  x.timeoutMs = emu_timeout::kMemory;
  x.read = true;
  x.dest = out->bytes;
  x.wanted = sizeof out->bytes;
  const Outcome o = Transact(x);
  if (o == Outcome::kSendFailed) CommError();
  return o == Outcome::kOk;
}

bool CIceUsb::WriteRegisters(const RegisterImage& image) {
  Exchange x;
  x.command = FrameReport::Command(EC_WRITE_REGS);
  x.payload = image.bytes;
  x.payloadLength = sizeof image.bytes;
  x.timeoutMs = emu_timeout::kMemory;
  const Outcome o = Transact(x);
  if (o == Outcome::kSendFailed) CommError();
  return o == Outcome::kOk;
}

bool CIceUsb::ReadPc(uint16_t* pc) {
  uint8_t data[2];
  Exchange x;
  x.command = FrameReport::Command(EC_READ_PC, 0, sizeof data);
  x.timeoutMs = emu_timeout::kMemory;
  x.read = true;
  x.dest = data;
  x.wanted = sizeof data;
  x.dataOptional = true;
  x.statusMustBeZero = true;  // a refusal carries no PC, and a value of 0 is not one
  const Outcome o = Transact(x);
  if (o == Outcome::kSendFailed) CommError();
  if (o != Outcome::kOk) return false;
  *pc = static_cast<uint16_t>(x.response.Result());
  return true;
}

bool CIceUsb::WritePc(uint16_t pc) {
  const Outcome o = Simple(EC_WRITE_PC, pc, 0, emu_timeout::kMemory, nullptr, true);
  if (o == Outcome::kSendFailed) CommError();
  return o == Outcome::kOk;
}

bool CIceUsb::Step(uint32_t* pc) {
  FrameReport response;
  const Outcome o = Simple(EC_STEP, 0, 0, emu_timeout::kMemory, &response, true);
  if (o == Outcome::kSendFailed) CommError();
  if (o != Outcome::kOk) return false;
  // Only the 16-bit program counter: stray upper bits would otherwise become a code bank in the host.
  *pc = response.Result() & 0xFFFF;
  return true;
}

int CIceUsb::SetBreakpoint(int mode, uint32_t address) {
  if (mode == kBreakpointNone) return kBreakpointDone;
  Exchange x;
  x.command = FrameReport::Command(EC_BREAKPOINT, address);
  x.command.Params()[0] = static_cast<uint8_t>(mode);
  x.timeoutMs = emu_timeout::kMemory;
  const Outcome o = Transact(x);
  if (o == Outcome::kSendFailed || o == Outcome::kMalformed) return kBreakpointLinkFailed;
  const uint8_t status = x.response.Status();
  int result = kBreakpointDone;
  if (o == Outcome::kOk && status == kStatusTooManyBreakpoints) result = kBreakpointTooMany;
  if (o == Outcome::kOk && status == kStatusBreakpointConflict) result = kBreakpointConflict;
  if (o != Outcome::kOk || (status != 0 && result == kBreakpointDone)) {
    // Lost or refused: whether the emulator holds the breakpoint is unknown, so no run may start on it.
    CommError();
    return kBreakpointLinkFailed;
  }
  if (result == kBreakpointDone) {
    const auto bp = static_cast<uint16_t>(address);
    std::lock_guard lock(linkMutex_);
    auto it = std::find(armed_.begin(), armed_.end(), bp);
    if (mode == kBreakpointSet && it == armed_.end()) armed_.push_back(bp);
    if (mode == kBreakpointClear && it != armed_.end()) armed_.erase(it);
  }
  return result;
}

int CIceUsb::ClearArmedBreakpoints() {
  std::vector<uint16_t> armed;
  {
    std::lock_guard lock(linkMutex_);
    armed = armed_;
  }
  for (uint16_t bp : armed) {
    if (SetBreakpoint(kBreakpointClear, bp) == kBreakpointLinkFailed) return kBreakpointLinkFailed;
  }
  return kBreakpointDone;
}

int CIceUsb::ReadStatus() {
  FrameReport response;
  if (Simple(EC_STATUS, 0, 0, emu_timeout::kStatus, &response) != Outcome::kOk) return kStatusFailed;
  if (response.Status() != 0) return kStatusFailed;
  return (response.Result() & kEmulatorRunning) != 0 ? kTargetRunning : kTargetHalted;
}

bool CIceUsb::Go(uint32_t stopAddress, const std::atomic<bool>* cancel, bool* started) {
  if (started != nullptr) *started = false;
  {
    std::lock_guard run(runMutex_);
    runPhase_ = RunPhase::kStarting;
  }
  uint8_t feature = 0;
  if (StopFeatureOn()) {
    if (stopVectorConflict_.load()) {
      if (!prompter_.Question(texts::kCaption, texts::kStopVectorUsed)) {
        EndRun();
        flags_.SetFatal();
        return false;
      }
      flags_.SetOptionE(flags_.OptionE() & ~1);
    } else {
      feature = 1;
    }
  }
  Exchange x;
  x.command = FrameReport::Command(EC_GO, stopAddress & 0xFFFF, 0);
  x.command.Params()[0] = feature;
  x.timeoutMs = emu_timeout::kGoRunOn;
  x.statusMustBeZero = true;
  x.boxByCaller = true;  // no box while runMutex_ keeps a stop request waiting
  Outcome o = Outcome::kOk;
  {
    std::lock_guard run(runMutex_);
    if (cancel != nullptr && cancel->load()) {
      runPhase_ = RunPhase::kIdle;  // stopped before it started
      return true;
    }
    o = Transact(x);
    runPhase_ = RunPhase::kStarted;  // even unconfirmed, the target may be running: stops must reach it
  }
  if (started != nullptr) *started = o != Outcome::kSendFailed;
  if (o == Outcome::kSendFailed || o == Outcome::kMalformed) CommError();
  // Without the emulator's word that the run began, the target's state is unknown: this session is over.
  bool ok = o == Outcome::kOk;
  // Each poll is its own exchange, so a stop request from another thread gets the link in between.
  for (int status = ok ? ReadStatus() : kTargetHalted; status != kTargetHalted; status = ReadStatus()) {
    if (status == kStatusFailed) {
      ok = false;
      break;
    }
    clock_.SleepMs(kPollMs);
    // In virtual time that wait takes no time at all, and the next poll would take the link again before a
    // stop request waiting for it is woken: it goes first.
    while (linkWaiters_.load() != 0) std::this_thread::yield();
  }
  EndRun();
  if (!ok) flags_.SetFatal();
  return ok;
}

void CIceUsb::EndRun() {
  std::lock_guard run(runMutex_);
  runPhase_ = RunPhase::kIdle;
}

bool CIceUsb::Stop() {
  {
    std::lock_guard run(runMutex_);
    if (runPhase_ == RunPhase::kStarting) return true;
  }
  if (!StopFeatureOn()) {
    if (!prompter_.Question(texts::kCaption, texts::kStopUnavailable)) return false;
    return ForceStop();
  }
  if (SendOnly(EC_STOP_REQUEST) != Outcome::kOk) {
    CommError();
    return false;
  }
  clock_.SleepMs(kStopWaitMs);
  if (ReadStatus() != kTargetRunning) return true;
  if (!prompter_.Question(texts::kCaption, texts::kStopFailed)) return false;
  return ForceStop();
}

bool CIceUsb::ForceStop() {
  const Outcome o = Simple(EC_FORCE_STOP, 0, 0, emu_timeout::kForceStop);
  if (o == Outcome::kOk) return true;
  if (o != Outcome::kMalformed) CommError();  // a malformed reply has shown the box already
  return false;
}

}  // namespace orven::emulator
