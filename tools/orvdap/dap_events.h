// What the driver tells the user, turned into the editor's events: output window texts and boxes go to the
// debug console, the target's serial output to the program's output (stdout), a download's progress bar to
// progressStart/progressUpdate/progressEnd. The driver's questions are answered as the launch said, and each
// question and its answer also appear on the debug console. Any method may be called from the go thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "host/host_events.h"
#include "tools/orvdap/message_writer.h"

namespace orven::orvdap {

class DapEvents : public host::HostEvents {
 public:
  explicit DapEvents(MessageWriter& writer) : writer_(writer) {}

  // Set before the driver is loaded (the editor's initialize and the launch arguments).
  void SetProgressReporting(bool supported) { progressEvents_ = supported; }
  void SetAnswer(bool yes) { answerYes_ = yes; }

  // True once the driver closed the emulator link unasked.
  bool LinkLost() const { return linkLost_.load(); }
  // How many of the driver's questions were answered No so far.
  int AnsweredNo() const { return answeredNo_.load(); }

  // A line (or text) on the debug console.
  void Console(const std::string& text);

  void OutputText(const std::string& text) override;
  void SerialOutput(uint32_t channel, const std::string& data) override;
  void BreakpointCommand(const std::string& command) override;
  void ProgressShown(const std::string& label, int32_t high) override;
  void ProgressMoved(int32_t position, int32_t high) override;
  void ProgressRemoved(int32_t position, int32_t high) override;
  void LinkClosed() override;
  void Notice(bool error, const std::string& caption, const std::string& text) override;
  bool Ask(const std::string& caption, const std::string& text) override;
  bool ConfirmSetup(const OrvendSetupDialog& dialog) override;

 private:
  void Output(const char* category, const std::string& text);
  void Event(const char* name, nlohmann::json body);

  MessageWriter& writer_;
  std::atomic<bool> progressEvents_{false};
  std::atomic<bool> answerYes_{false};
  std::atomic<bool> linkLost_{false};
  std::atomic<int> answeredNo_{0};
  std::mutex progressMutex_;
  int progressCount_ = 0;      // guarded: ids of bars shown so far
  std::string progressId_;     // guarded: the bar shown now, empty when none
};

}  // namespace orven::orvdap
