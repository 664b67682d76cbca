#include "tormik/gang_runner.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "programmer/ice_api.h"
#include "programmer/texts.h"
#include "tormik/device_choice.h"
#include "tormik/image_buffer.h"
#include "tormik/session.h"
#include "tormik/texts.h"

namespace orven::app {
namespace {

std::string WithoutNewline(std::string line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

// One worker's window: forwards the connection's notifications to the observer under the target's index and
// keeps the last log line for the result table.
class TargetSink final : public programmer::NotificationSink {
 public:
  TargetSink(GangObserver* observer, size_t index) : observer_(observer), index_(index) {}

  void Notify(const programmer::Notification& n) override {
    switch (n.code) {
      case programmer::kNotifyLog:
        Log(n.text != nullptr ? n.text : "");
        break;
      case programmer::kNotifyProgressCount:
        total_ = n.value;
        done_ = 0;
        if (observer_) observer_->OnProgress(index_, done_, total_);
        break;
      case programmer::kNotifyProgressStep:
        ++done_;
        if (observer_) observer_->OnProgress(index_, done_, total_);
        break;
      default:
        break;
    }
  }
  void Log(const std::string& text) {
    // A notification may carry several lines; the table wants the last one.
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      end = end == std::string::npos ? text.size() : end + 1;
      const std::string line = text.substr(start, end - start);
      if (observer_) observer_->OnLog(index_, line);
      if (!WithoutNewline(line).empty()) last_ = WithoutNewline(line);
      start = end;
    }
  }
  const std::string& LastLine() const { return last_; }

 private:
  GangObserver* observer_;
  size_t index_;
  uint32_t total_ = 0;
  uint32_t done_ = 0;
  std::string last_;
};

// The workers open their devices at the same moment; platform enumeration is not made for that, so the
// enumerate and open calls take turns. Transfers on the opened handles run freely.
class TakingTurnsBackend final : public link::HidBackend {
 public:
  explicit TakingTurnsBackend(link::HidBackend& inner) : inner_(inner) {}
  std::vector<link::HidDeviceInfo> Enumerate() override {
    std::lock_guard lock(mutex_);
    return inner_.Enumerate();
  }
  std::unique_ptr<link::HidHandle> Open(const std::string& path) override {
    std::lock_guard lock(mutex_);
    return inner_.Open(path);
  }
  bool ReachesPhysicalDevices() const override { return inner_.ReachesPhysicalDevices(); }

 private:
  link::HidBackend& inner_;
  std::mutex mutex_;
};

}  // namespace

uint64_t BytesMoved(uint32_t mask, uint32_t flashSize) {
  uint64_t bytes = 0;
  for (uint32_t bit : {programmer::kOpBlankCheck, programmer::kOpProgram, programmer::kOpRead, programmer::kOpVerify}) {
    if (mask & bit) bytes += flashSize;
  }
  for (uint32_t bit : {programmer::kOpWriteConfig, programmer::kOpReadConfig}) {
    if (mask & bit) bytes += programmer::kConfigSize;
  }
  return bytes;
}

std::vector<GangResult> GangRunner::Run(const GangJob& job, const std::vector<GangTarget>& targets,
                                        GangObserver* observer) {
  TakingTurnsBackend backend(backend_);
  std::vector<GangResult> results(targets.size());
  std::vector<std::thread> workers;
  workers.reserve(targets.size());
  for (size_t i = 0; i < targets.size(); ++i) {
    workers.emplace_back([&, i] { results[i] = RunOne(backend, job, i, targets[i], observer); });
  }
  for (std::thread& w : workers) w.join();
  return results;
}

GangResult GangRunner::RunOne(link::HidBackend& backend, const GangJob& job, size_t index, const GangTarget& target, GangObserver* observer) {
  GangResult result;
  result.serial = target.serial;
  result.path = target.path;
  Clock& clock = *target.clock;
  const uint64_t start = clock.NowMs();
  TargetSink sink(observer, index);
  auto finish = [&](bool ok) {
    result.ok = ok;
    result.milliseconds = clock.NowMs() - start;
    if (!ok) result.failureLine = sink.LastLine();
    if (done_) done_(index, result);
    if (observer) observer->OnFinished(index, result);
    return result;
  };

  ChosenDeviceBackend one(backend, target.path);
  ImageBuffer buffer;
  if (job.config != nullptr) std::memcpy(buffer.Config(), job.config, ImageBuffer::kConfigSize);
  programmer::CIceAPI api(one, clock);
  api.SetWindow(&sink);
  api.SetBuffers(buffer.Image(), buffer.Config());

  const uint16_t reported = api.Connect(job.modelWord);
  sink.Log(ConnectLogLine(reported));
  if (reported == 0) return finish(false);
  if (reported != job.modelWord) {
    char line[96];
    std::snprintf(line, sizeof line, texts::kGangOtherModelFmt, ModelName(reported), ModelName(job.modelWord));
    sink.Log(line);
    return finish(false);
  }
  for (const GangStep& step : job.steps) {
    if (step.image != nullptr) {
      std::memcpy(buffer.Image(), step.image, ImageBuffer::kImageSize);
      std::string why;
      if (hook_ && !hook_(index, buffer.Image(), &why)) {
        sink.Log(why + "\n");
        return finish(false);
      }
    }
    api.StartOperation(step.mask, job.chip);
    api.WaitIdle();
    if (!api.LastRunSucceeded()) return finish(false);
    result.bytes += BytesMoved(step.mask, job.chip->FlashSize());
  }
  return finish(true);
}

}  // namespace orven::app
