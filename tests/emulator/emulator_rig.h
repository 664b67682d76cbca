// Recording fakes of the emulator layer's ways out (host, user, driver state), and a CIceUsb wired to them.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/driver_seams.h"
#include "emulator/ice_usb.h"
#include "link/clock.h"

namespace orven::testing {

struct HostEvent {
  uint32_t kind;  // 6 or 12 for texts, 5 for the posted notice
  std::string text;
};

struct BarEvent {
  int32_t job, position, low, high;
  std::string label;
  bool operator==(const BarEvent&) const = default;
};

// Virtual time with a hook that runs after every sleep (a device leaving the bus at the right moment).
class HookClock final : public Clock {
 public:
  uint64_t NowMs() const override { return time_.NowMs(); }
  void SleepMs(uint32_t ms) override {
    time_.Advance(ms);
    if (onSleep) onSleep(ms);
  }
  std::function<void(uint32_t)> onSleep;

 private:
  VirtualClock time_;
};

class RecordingHost final : public emulator::HostChannel {
 public:
  void SendText(uint32_t kind, const char* utf8) override {
    std::lock_guard lock(mutex_);
    events.push_back({kind, utf8});
  }
  void Post(uint32_t kind) override {
    std::lock_guard lock(mutex_);
    events.push_back({kind, ""});
  }
  void ShowProgress(const emulator::ProgressBar& bar) override {
    std::lock_guard lock(mutex_);
    bars.push_back({bar.job, bar.position, bar.low, bar.high, bar.label ? bar.label : ""});
  }
  bool NextFlashSegment(bool first, emulator::FlashSegment* segment) override {
    std::lock_guard lock(mutex_);
    if (first) next_ = 0;
    if (next_ >= segments.size()) return false;
    *segment = segments[next_++];
    return true;
  }

  // All texts of one kind, joined.
  std::string Texts(uint32_t kind) const {
    std::lock_guard lock(mutex_);
    std::string out;
    for (const HostEvent& e : events) {
      if (e.kind == kind) out += e.text;
    }
    return out;
  }
  int Posts() const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const HostEvent& e : events) n += e.kind == emulator::kHostFatalNotice;
    return n;
  }

  std::vector<HostEvent> events;
  std::vector<BarEvent> bars;
  std::vector<emulator::FlashSegment> segments;  // handed out in order on callback 15

 private:
  mutable std::mutex mutex_;
  size_t next_ = 0;
};

struct Box {
  char kind;  // 'E' error, 'W' warning, 'Q' question
  std::string caption;
  std::string text;
  bool operator==(const Box&) const = default;
};

class ScriptedPrompter final : public emulator::Prompter {
 public:
  void ErrorBox(const char* caption, const char* text) override { Record('E', caption, text); }
  void WarningBox(const char* caption, const char* text) override { Record('W', caption, text); }
  bool Question(const char* caption, const char* text) override {
    Record('Q', caption, text);
    std::lock_guard lock(mutex_);
    if (answers.empty()) return false;
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
  std::vector<Box> Boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    boxes_.clear();
  }
  std::deque<bool> answers;  // Yes/No for the questions, in order; No when none is left
  std::function<void()> onQuestion;

 private:
  void Record(char kind, const char* caption, const char* text) {
    {
      std::lock_guard lock(mutex_);
      boxes_.push_back({kind, caption, text});
    }
    if (kind == 'Q' && onQuestion) onQuestion();
  }
  mutable std::mutex mutex_;
  std::vector<Box> boxes_;
};

class TestFlags final : public emulator::DriverFlags {
 public:
  int32_t OptionE() const override { return e.load(); }
  void SetOptionE(int32_t value) override { e.store(value); }
  int32_t OptionF() const override { return f.load(); }
  int32_t OptionV() const override { return v.load(); }
  int32_t OptionC() const override { return c.load(); }
  bool Fatal() const override { return fatal.load(); }
  void SetFatal() override { fatal.store(true); }

  std::atomic<int32_t> e{1}, f{15}, v{0}, c{0};
  std::atomic<bool> fatal{false};
};

}  // namespace orven::testing
