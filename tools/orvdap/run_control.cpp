#include "tools/orvdap/run_control.h"

namespace orven::orvdap {

RunControl::~RunControl() { Halt(); }

void RunControl::Join() {
  if (worker_.joinable()) worker_.join();
}

bool RunControl::Start(RunKind kind, Job job) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (running_ || abandoned_) return false;
  // The last run's worker has reported its end and is leaving.
  Join();
  pauseRequested_ = false;
  running_ = true;
  worker_ = std::thread([this, kind, job = std::move(job)] { Work(kind, job); });
  return true;
}

void RunControl::Work(RunKind kind, const Job& job) {
  const host::RunResult run = job ? job(target_) : kind == RunKind::kContinue ? target_.Go() : target_.Step(1);
  RunEnd end;
  end.kind = kind;
  end.ok = run.result.ok && run.stopped;
  end.reason = run.result.reason;
  end.pc = target_.Pc();
  end.pauseRequested = pauseRequested_;
  // From here the request loop may use the target again: nothing below touches it.
  running_ = false;
  onStop_(end);
}

host::InterruptOutcome RunControl::Pause() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!running_) return host::InterruptOutcome::kNothingRuns;
  pauseRequested_ = true;
  // The worker may not have entered the driver yet: the stop request is sent once it has (a request sent
  // before would be taken by the driver for the next run instead).
  for (;;) {
    const host::InterruptOutcome outcome = target_.InterruptRun();
    if (outcome != host::InterruptOutcome::kNothingRuns || !running_) return outcome;
    std::this_thread::yield();
  }
}

bool RunControl::Halt() {
  if (Pause() == host::InterruptOutcome::kStillRunning) {
    std::lock_guard<std::mutex> lock(mutex_);
    worker_.detach();
    abandoned_ = true;
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (abandoned_) return false;
  Join();
  return true;
}

bool RunControl::Abandoned() {
  std::lock_guard<std::mutex> lock(mutex_);
  return abandoned_;
}

}  // namespace orven::orvdap
