// Virtual time in which a go can be held in its polling wait, so that a test's own thread sends its stop request
// at the same point of the run every time. Without the hold, the go's polling loop, whose waits cost no time,
// takes the link lock again at once and can keep a stop request waiting for as long as it likes, or send it
// before the target has run a single instruction.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "link/clock.h"

namespace orven::testing {

class HoldingClock final : public Clock {
 public:
  uint64_t NowMs() const override { return time_.NowMs(); }
  void SleepMs(uint32_t ms) override {
    time_.Advance(ms);
    std::unique_lock lock(mutex_);
    if (!holding_ || std::this_thread::get_id() == freeThread_) return;
    held_ = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return !holding_; });
    held_ = false;
  }
  // From now on a sleep on any other thread than the caller's waits until Release().
  void HoldOtherThreads() {
    std::lock_guard lock(mutex_);
    holding_ = true;
    freeThread_ = std::this_thread::get_id();
  }
  void WaitUntilHeld() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return held_; });
  }
  void Release() {
    {
      std::lock_guard lock(mutex_);
      holding_ = false;
    }
    changed_.notify_all();
  }

 private:
  VirtualClock time_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool holding_ = false;
  bool held_ = false;
  std::thread::id freeThread_;
};

}  // namespace orven::testing
