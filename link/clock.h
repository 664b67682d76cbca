// Time seam: every wait and time-out of the host goes through a Clock so tests can run them in virtual time.
#pragma once

#include <atomic>
#include <cstdint>

namespace orven {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; never goes backwards.
  virtual uint64_t NowMs() const = 0;
  // Blocks the calling thread for ms milliseconds (virtual clocks return at once, with time advanced).
  virtual void SleepMs(uint32_t ms) = 0;
};

// The real monotonic clock.
class SteadyClock final : public Clock {
 public:
  uint64_t NowMs() const override;
  void SleepMs(uint32_t ms) override;
  // One process-wide instance for the programs' real runs.
  static SteadyClock& Instance();
};

// Virtual time: SleepMs and Advance move the time forward instantly. Thread-safe: the simulator, the worker
// thread and the test may all read and advance it.
class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(uint64_t startMs = 0) : now_(startMs) {}
  uint64_t NowMs() const override { return now_.load(std::memory_order_acquire); }
  void SleepMs(uint32_t ms) override { Advance(ms); }
  void Advance(uint64_t ms) { now_.fetch_add(ms, std::memory_order_acq_rel); }
  // Moves time forward to t if it is still earlier.
  void AdvanceTo(uint64_t t) {
    uint64_t cur = now_.load(std::memory_order_acquire);
    while (cur < t && !now_.compare_exchange_weak(cur, t, std::memory_order_acq_rel)) {
    }
  }

 private:
  std::atomic<uint64_t> now_;
};

}  // namespace orven
