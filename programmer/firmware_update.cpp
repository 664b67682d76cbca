// The firmware update: switch the programmer into its loader if needed, write the image in 1,024-byte blocks,
// restart it into the new firmware, reconnect and identify it again.
#include <algorithm>

#include "link/command_codes.h"
#include "programmer/ice_api.h"
#include "programmer/texts.h"

namespace orven::programmer {

using link::FrameReport;

namespace {
constexpr uint32_t kSettleMs = 500;    // the programmer acts on a restart command before it drops off
constexpr uint32_t kRestartMs = 5000;  // time the programmer needs to come back on the bus
}  // namespace

void CIceAPI::RunFirmwareUpdate() {
  const bool ok = [&] {
    Notify(kNotifyProgressCount, firmwareSize_ / kFirmwareBlock);
    Log(texts::kUpdatingFirmware);
    FrameReport state;
    if (!Simple(cmd::kQueryFirmwareState, cmd::timeout::kQueryFirmwareState, &state)) return false;
    if ((state.Result() & cmd::kFirmwareStateLoader) == 0) {
      // The application is running: restart into the loader first.
      FrameReport enter = FrameReport::Command(cmd::kEnterLoader);
      if (!frame_.SendCommand(enter, nullptr, 0)) return false;
      clock_.SleepMs(kSettleMs);
      hid_.CloseDevice();
      clock_.SleepMs(kRestartMs);
      if (!Reopen()) return false;
    }
    if (!Simple(cmd::kLoaderPrepare, cmd::timeout::kLoaderPrepare)) return false;
    for (uint32_t offset = 0; offset < firmwareSize_; offset += kFirmwareBlock) {
      FrameReport command = FrameReport::Command(cmd::kLoaderWrite, offset);
      FrameReport response;
      const uint32_t length = std::min(kFirmwareBlock, firmwareSize_ - offset);
      if (!Exchange(command, firmware_ + offset, length, response, nullptr, 0, cmd::timeout::kLoaderWrite)) return false;
      Notify(kNotifyProgressStep);
    }
    if (!Simple(cmd::kLoaderFinish, cmd::timeout::kLoaderFinish)) return false;
    FrameReport start = FrameReport::Command(cmd::kStartApplication);
    if (!frame_.SendCommand(start, nullptr, 0)) return false;
    clock_.SleepMs(kSettleMs);
    hid_.CloseDevice();
    clock_.SleepMs(kRestartMs);
    if (!Reopen()) return false;
    if (!Identify()) return false;
    Log(texts::kFirmwareUpdated);
    Notify(kNotifyFirmwareUpdated);
    return true;
  }();
  Finish(ok);
}

}  // namespace orven::programmer
