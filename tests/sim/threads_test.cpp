// The driver's two host threads on one simulated emulator: one runs the target and polls its status, the
// other sends the stop request. Whole exchanges are serialised as the driver does; the device, its pod and the
// virtual clock are shared.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "link/command_codes.h"
#include "link/frame.h"
#include "link/hid.h"
#include "sim/emulator_backend.h"
#include "tests/support/holding_clock.h"

namespace orven::testing {
namespace {

using namespace orven::cmd;

class Host {
 public:
  Host(link::HidBackend& backend, std::mutex& exchange)
      : hid_(backend), frame_(hid_, link::FrameFlavour::kEmulator), exchange_(exchange) {
    EXPECT_TRUE(hid_.OpenDevice(link::kProductQx410));
  }
  // Sends and, unless timeoutMs is 0, awaits the reply; returns the reply value or -1.
  int64_t Exchange(uint8_t code, uint32_t address, uint32_t length, uint8_t extra, uint32_t timeoutMs) {
    std::lock_guard lock(exchange_);
    link::FrameReport command = link::FrameReport::Command(code, address, length);
    command.Params()[0] = extra;
    if (!frame_.SendCommand(command, nullptr, 0)) return -1;
    if (timeoutMs == 0) return 0;
    link::FrameReport response;
    if (!frame_.ReceiveResponse(response, nullptr, 0, code, timeoutMs) || response.Status() != 0) return -1;
    return response.Result();
  }

 private:
  link::CHid hid_;
  link::CommandFrame frame_;
  std::mutex& exchange_;
};

TEST(EmulatorThreads, StopFromAnotherThreadWhileGoPolls) {
  // The go thread is held in its first polling wait while this thread sends the stop request: in virtual time
  // its loop would otherwise take the lock again at once and could keep the request out for good.
  HoldingClock clock;
  sim::SimulatedEmulatorBackend backend(clock, {});
  backend.Device()->LoadPodCode(0, {0xD2, 0xAF, 0x80, 0xFE});  // SETB EA; SJMP $
  std::mutex exchange;
  std::atomic<int64_t> goStatus{-2};
  std::atomic<bool> halted{false};

  clock.HoldOtherThreads();
  std::thread go([&] {
    Host host(backend, exchange);
    goStatus = host.Exchange(EC_GO, 0xFFFF, 1, 1, emu_timeout::kGoReset);
    for (int poll = 0; poll < 100; ++poll) {
      const int64_t status = host.Exchange(EC_STATUS, 0, 0, 0, emu_timeout::kStatus);
      if (status < 0) return;
      if (!(status & kEmulatorRunning)) {
        halted = true;
        return;
      }
      clock.SleepMs(500);
    }
  });
  clock.WaitUntilHeld();
  EXPECT_TRUE(backend.Device()->PodRunning());
  {
    Host host(backend, exchange);
    EXPECT_EQ(host.Exchange(EC_STOP_REQUEST, 0, 0, 0, 0), 0);
  }
  clock.Release();
  go.join();
  EXPECT_EQ(goStatus.load(), 0);
  EXPECT_TRUE(halted);
  EXPECT_FALSE(backend.Device()->PodRunning());
  EXPECT_EQ(clock.NowMs(), 500u) << "halted at the first poll after the request";
}

}  // namespace
}  // namespace orven::testing
