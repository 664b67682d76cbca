// CIceUsb: the exchange every command goes through, the output window and the progress bar.
#include "emulator/ice_usb.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "emulator/texts.h"
#include "firmware/carried_firmware.h"
#include "link/command_codes.h"

namespace orven::emulator {

using link::FrameReport;

CIceUsb::CIceUsb(link::HidBackend& backend, Clock& clock, HostChannel& host, Prompter& prompter,
                 DriverFlags& flags)
    : backend_(backend),
      clock_(clock),
      host_(host),
      prompter_(prompter),
      flags_(flags),
      hid_(backend),
      frame_(hid_, link::FrameFlavour::kEmulator) {
  // Called inside ReceiveResponse, so under the link lock: only note it; the box comes after the lock.
  frame_.SetCommErrorHandler([this](const char*) { commErrorPending_ = true; });
}

CIceUsb::~CIceUsb() {
  std::lock_guard lock(linkMutex_);
  hid_.CloseDevice();
}

CIceUsb::Outcome CIceUsb::Transact(Exchange& x) {
  if (x.read && x.wanted > kMaxReplyData) return Outcome::kSendFailed;  // no operation asks for more
  Outcome outcome = Outcome::kOk;
  {
    linkWaiters_.fetch_add(1);
    std::lock_guard lock(linkMutex_);
    linkWaiters_.fetch_sub(1);
    commErrorPending_ = false;
    const uint8_t code = x.command.Code();
    if (!frame_.SendCommand(x.command, x.payload, x.payloadLength)) return Outcome::kSendFailed;
    if (!x.reply) return Outcome::kOk;
    // Reads land in a scratch block first: a reply that announces another count than asked is not target
    // memory, and stale bytes must never reach the caller.
    uint8_t data[kMaxReplyData];
    const uint32_t capacity = x.read ? x.wanted : 0;
    if (!frame_.ReceiveResponse(x.response, x.read ? data : nullptr, capacity, code, x.timeoutMs)) {
      outcome = commErrorPending_ ? Outcome::kMalformed : Outcome::kNoReply;
    } else if (x.read && x.response.Length() != x.wanted && !(x.dataOptional && x.response.Length() == 0)) {
      outcome = Outcome::kMalformed;
    } else if (x.statusMustBeZero && x.response.Status() != 0) {
      outcome = Outcome::kRefused;
    } else if (x.read && x.response.Length() != 0) {
      std::memcpy(x.dest, data, x.response.Length());
    }
  }
  if (outcome == Outcome::kMalformed && !x.boxByCaller) CommError(x.malformedSetsFatal);
  return outcome;
}

CIceUsb::Outcome CIceUsb::Simple(uint8_t code, uint32_t address, uint32_t length, uint32_t timeoutMs,
                                 FrameReport* response, bool statusMustBeZero) {
  Exchange x;
  x.command = FrameReport::Command(code, address, length);
  x.timeoutMs = timeoutMs;
  x.statusMustBeZero = statusMustBeZero;
  const Outcome outcome = Transact(x);
  if (response != nullptr) *response = x.response;
  return outcome;
}

CIceUsb::Outcome CIceUsb::SendOnly(uint8_t code) {
  Exchange x;
  x.command = FrameReport::Command(code);
  x.reply = false;
  return Transact(x);
}

void CIceUsb::CommError(bool setFatal) {
  prompter_.ErrorBox(texts::kCaptionCommError, texts::kCommError);
  if (setFatal) flags_.SetFatal();
}

bool CIceUsb::OpenLink() {
  std::lock_guard lock(linkMutex_);
  return hid_.OpenDevice(link::kVendorId, link::kProductQx410);
}

void CIceUsb::CloseLink() {
  std::lock_guard lock(linkMutex_);
  hid_.CloseDevice();
}

bool CIceUsb::IsOpen() const {
  std::lock_guard lock(linkMutex_);
  return hid_.IsConnected();
}

link::FrameError CIceUsb::LastFrameError() const {
  std::lock_guard lock(linkMutex_);
  return frame_.LastError();
}

bool CIceUsb::StopFeatureOn() const { return (flags_.OptionE() & 1) != 0; }

bool CIceUsb::TestImageBlocked(const uint8_t* image) const {
  const firmware::FirmwareDescriptor& carried = firmware::EmulatorFirmware();
  return carried.isTestImage && image == carried.Image() && backend_.ReachesPhysicalDevices();
}

void CIceUsb::Print(uint32_t kind, const char* format, ...) {
  // The host channel cuts what it sends at 2,047 bytes of the host's code page; a character there is at least
  // one byte, here at most four, so this buffer never makes the cut shorter.
  char text[4 * 2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  host_.SendText(kind, text);
}

void CIceUsb::ShowBar(const char* label, int32_t maximum) {
  bar_.job = ProgressBar::kShow;
  bar_.position = 0;
  bar_.low = 0;
  bar_.high = maximum;
  bar_.label = label;
  host_.ShowProgress(bar_);
}

void CIceUsb::AdvanceBar(int32_t step) {
  bar_.job = ProgressBar::kSetPosition;
  bar_.position += step;
  host_.ShowProgress(bar_);
}

void CIceUsb::RemoveBar() {
  bar_.job = ProgressBar::kRemove;
  host_.ShowProgress(bar_);
}

}  // namespace orven::emulator
