// Runs the target for the editor: each continue or step goes to a worker thread, so the request loop keeps
// reading (a pause from the editor's button arrives while the go waits in the driver). When the run ends the
// worker reports it through the stop handler, after the target is free again for the request loop.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "host/target.h"

namespace orven::orvdap {

enum class RunKind { kContinue, kStepInstruction, kLine };

// How a run ended, as the stop handler gets it.
struct RunEnd {
  RunKind kind = RunKind::kContinue;
  bool ok = true;          // false: the run failed (reason), the target may be lost
  std::string reason;
  bool pauseRequested = false;  // a pause came while it ran
  uint16_t pc = 0;         // where it stopped (ok only)
};

class RunControl {
 public:
  using StopHandler = std::function<void(const RunEnd&)>;

  // onStop is called on the worker thread, once per run, after Running() became false.
  RunControl(host::Target& target, StopHandler onStop) : target_(target), onStop_(std::move(onStop)) {}
  // Waits for a run still in progress (see Halt).
  ~RunControl();
  RunControl(const RunControl&) = delete;
  RunControl& operator=(const RunControl&) = delete;

  // A run as the worker performs it; by line, the source-level engine's own (over the same target).
  using Job = std::function<host::RunResult(host::Target&)>;

  // Starts a run on the worker: the kind's own request, or job when given. False if one is in progress.
  bool Start(RunKind kind, Job job = {});
  // True from Start until the run's end is reported. While it holds, the request loop uses the target only
  // for what may run beside a go (memory, the stop request).
  bool Running() const { return running_.load(); }
  // The driver's stop request for the run in progress; kNothingRuns when none is.
  host::InterruptOutcome Pause();
  // Stops a run in progress and waits for its end. False when the target would not stop: the worker is
  // then left inside the driver and the process must end without unloading it.
  bool Halt();
  // A Halt found the target would not stop: the worker was left inside the driver.
  bool Abandoned();

 private:
  void Work(RunKind kind, const Job& job);
  void Join();

  host::Target& target_;
  StopHandler onStop_;
  std::mutex mutex_;             // Start, Pause, Halt and the worker's handle
  std::thread worker_;
  std::atomic<bool> running_{false};
  std::atomic<bool> pauseRequested_{false};
  bool abandoned_ = false;
};

}  // namespace orven::orvdap
