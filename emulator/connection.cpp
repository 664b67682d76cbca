// Connecting to the emulator: open, identify, upgrade old firmware from the carried image, attach the pod.
#include <algorithm>
#include <cstdio>

#include "emulator/ice_usb.h"
#include "emulator/texts.h"
#include "firmware/carried_firmware.h"
#include "link/command_codes.h"

namespace orven::emulator {

using link::FrameReport;
using namespace cmd;

namespace {
constexpr uint32_t kFirmwareChunk = 1024;
constexpr int kReopenTries = 10;
constexpr uint32_t kDownloadToPod = 0x10;  // option F
}  // namespace

CIceUsb::Outcome CIceUsb::Identify(IdentificationBlock* out, bool malformedSetsFatal) {
  Exchange x;
  x.command = FrameReport::Command(EC_IDENTIFY, 0, sizeof out->bytes);
  x.timeoutMs = emu_timeout::kIdentify;
  x.read = true;
  x.dest = out->bytes;
  x.wanted = sizeof out->bytes;
  x.malformedSetsFatal = malformedSetsFatal;
  return Transact(x);
}

bool CIceUsb::Connect() {
  stopVectorConflict_.store(false);
  identified_.store(false);

  if (!OpenLink()) {
    prompter_.ErrorBox(texts::kCaption, texts::kNoDevice);
    return false;
  }
  {
    std::lock_guard lock(linkMutex_);
    identity_ = IdentificationBlock{};
  }
  IdentificationBlock id;
  // The first exchange of a session: a broken link is reported, but the session has not begun to fail.
  const Outcome identified = Identify(&id, false);
  if (identified == Outcome::kSendFailed) prompter_.ErrorBox(texts::kCaptionCommError, texts::kCommError);
  if (identified != Outcome::kOk) return false;
  {
    std::lock_guard lock(linkMutex_);
    identity_ = id;
  }
  if (id.ModelWord() != kModelQx410) return false;
  identified_.store(true);

  CheckFirmware(id);
  // An upgrade that could not bring the emulator back leaves nothing to talk to.
  if (!IsOpen()) return false;

  if (podDeferred_.load() && (flags_.OptionF() & kDownloadToPod) == 0) return true;

  Outcome o = Simple(EC_POD_CHECK, 0, 0, emu_timeout::kPodCheck, nullptr, true);
  if (o == Outcome::kSendFailed) {
    CommError();
    return false;
  }
  if (o != Outcome::kOk) {
    // Lost or garbled, the user is told what to check on the pod.
    prompter_.ErrorBox(texts::kCaption, texts::kPodFailed);
    return false;
  }

  Exchange info;
  uint8_t podInfo[32];
  info.command = FrameReport::Command(EC_POD_INFO);
  info.timeoutMs = emu_timeout::kPodInfo;
  info.read = true;
  info.dest = podInfo;
  info.wanted = sizeof podInfo;
  o = Transact(info);
  if (o == Outcome::kSendFailed) {
    CommError();
    return false;
  }
  if (o != Outcome::kOk) {
    prompter_.ErrorBox(texts::kCaption, texts::kPodFailed);
    Disconnect();
    return false;
  }

  o = Simple(EC_POD_START, 0, 0, emu_timeout::kPodStart, nullptr, true);
  if (o == Outcome::kSendFailed) {
    CommError();
    return false;
  }
  if (o != Outcome::kOk) {
    flags_.SetFatal();
    return false;
  }
  return true;
}

void CIceUsb::CheckFirmware(const IdentificationBlock& id) {
  const uint32_t build = id.Build();
  if (build >= kDriverFirmwareBuild) return;
  const firmware::FirmwareDescriptor& carried = firmware::EmulatorFirmware();
  if (TestImageBlocked(carried.Image())) {
    Print(kHostOutputText, "%s", texts::kTestImageSkipped);
    return;
  }
  if (build == 0) {
    if (!prompter_.Question(texts::kCaption, texts::kFirmwareInvalid)) return;
  } else {
    char notice[512];
    std::snprintf(notice, sizeof notice, texts::kFirmwareOutdated, kDriverFirmwareMajor, kDriverFirmwareMinor,
                  kDriverFirmwareBuild, id.Major(), id.Minor(), build);
    prompter_.WarningBox(texts::kCaption, notice);
  }
  UpgradeFirmware(carried.Image(), firmware::kImageSize);  // Connect goes on whatever the outcome
}

void CIceUsb::Disconnect() {
  std::lock_guard lock(linkMutex_);
  if (!hid_.IsConnected()) return;
  FrameReport command = FrameReport::Command(EC_DISCONNECT);
  frame_.SendCommand(command, nullptr, 0);  // the emulator does not answer
  hid_.CloseDevice();
}

bool CIceUsb::GetIdentification(IdentificationBlock* out) {
  if (identified_.load()) {
    std::lock_guard lock(linkMutex_);
    *out = identity_;
    return true;
  }
  if (!OpenLink()) return false;
  {
    std::lock_guard lock(linkMutex_);
    identity_ = IdentificationBlock{};
  }
  IdentificationBlock id;
  const Outcome o = Identify(&id, true);
  if (o == Outcome::kSendFailed) CommError();
  if (o != Outcome::kOk) return false;
  *out = id;  // only to the caller: the session is not identified by this
  return true;
}

bool CIceUsb::UpgradeFirmware(const uint8_t* image, uint32_t length) {
  if (TestImageBlocked(image)) {
    Print(kHostOutputText, "%s", texts::kTestImageSkipped);
    return false;
  }
  auto fail = [this] {
    RemoveBar();
    return false;
  };

  ShowBar(texts::kBarStartUpgrade, static_cast<int32_t>(firmware::kImageSize));
  FrameReport status;
  if (Simple(EC_STATUS, 0, 0, emu_timeout::kStatus, &status) != Outcome::kOk || status.Status() != 0) return fail();
  if ((status.Result() & kFirmwareStateLoader) == 0) {
    // The emulator runs its application: restart it into the loader and wait for it to come back.
    if (SendOnly(EC_ENTER_LOADER) != Outcome::kOk) return fail();
    clock_.SleepMs(600);
    CloseLink();
    clock_.SleepMs(2000);
    bool back = false;
    for (int i = 0; i < kReopenTries && !back; ++i) {
      back = OpenLink();
      if (!back) clock_.SleepMs(1000);
    }
    if (!back) return fail();
  }

  ShowBar(texts::kBarDownloadFirmware, static_cast<int32_t>(firmware::kImageSize));
  if (Simple(EC_FW_BEGIN, 0, 0, emu_timeout::kFwBegin, &status) != Outcome::kOk || status.Status() != 0) {
    return fail();
  }
  for (uint32_t offset = 0; offset < length;) {
    const uint32_t chunk = std::min(kFirmwareChunk, length - offset);
    Exchange x;
    x.command = FrameReport::Command(EC_FW_DATA, offset);
    x.payload = image + offset;
    x.payloadLength = chunk;
    x.timeoutMs = emu_timeout::kFwData;
    if (Transact(x) != Outcome::kOk || x.response.Status() != 0) return fail();
    AdvanceBar(static_cast<int32_t>(chunk));
    offset += chunk;
  }
  if (Simple(EC_FW_END, 0, 0, emu_timeout::kFwEnd, &status) != Outcome::kOk || status.Status() != 0) return fail();

  ShowBar(texts::kBarRestart, 10);
  if (SendOnly(EC_RESTART) != Outcome::kOk) return fail();
  clock_.SleepMs(500);
  AdvanceBar(1);
  CloseLink();
  clock_.SleepMs(1000);
  AdvanceBar(1);
  clock_.SleepMs(1000);
  AdvanceBar(1);
  bool back = false;
  for (int i = 0; i < kReopenTries && !back; ++i) {
    clock_.SleepMs(500);
    AdvanceBar(1);
    back = OpenLink();
  }
  if (!back) return fail();
  if (!OpenLink()) return fail();  // reopening closes the handle of the polling loop: one handle remains

  IdentificationBlock id;
  const Outcome o = Identify(&id, true);
  if (o == Outcome::kSendFailed) {
    RemoveBar();
    prompter_.ErrorBox(texts::kCaptionCommError, texts::kCommError);
    return false;
  }
  if (o != Outcome::kOk) return fail();
  {
    std::lock_guard lock(linkMutex_);
    identity_ = id;
  }
  RemoveBar();
  return true;
}

void CIceUsb::PostFatalNotice() {
  Disconnect();
  host_.Post(kHostFatalNotice);
}

void CIceUsb::FatalCheck() {
  if (flags_.Fatal()) PostFatalNotice();
}

}  // namespace orven::emulator
