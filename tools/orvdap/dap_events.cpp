#include "tools/orvdap/dap_events.h"

#include "tools/orvdap/texts.h"

namespace orven::orvdap {

using nlohmann::json;

namespace {

std::string WithLineEnd(std::string text) {
  if (text.empty() || text.back() != '\n') text += '\n';
  return text;
}

}  // namespace

void DapEvents::Event(const char* name, json body) {
  writer_.Send(json{{"type", "event"}, {"event", name}, {"body", std::move(body)}});
}

void DapEvents::Output(const char* category, const std::string& text) {
  Event("output", json{{"category", category}, {"output", text}});
}

void DapEvents::Console(const std::string& text) { Output("console", WithLineEnd(text)); }

// The driver's texts arrive as the output window shows them, some without a line break: kept as they are.
void DapEvents::OutputText(const std::string& text) { Output("console", text); }

void DapEvents::SerialOutput(uint32_t, const std::string& data) { Output("stdout", data); }

void DapEvents::BreakpointCommand(const std::string& command) { Console(command); }

void DapEvents::ProgressShown(const std::string& label, int32_t) {
  if (!progressEvents_) {
    Console(label);
    return;
  }
  std::lock_guard<std::mutex> lock(progressMutex_);
  // The driver shows the verify bar over the programming bar without removing it first.
  if (!progressId_.empty()) Event("progressEnd", json{{"progressId", progressId_}});
  progressId_ = "orven-progress-" + std::to_string(++progressCount_);
  Event("progressStart", json{{"progressId", progressId_}, {"title", label}, {"percentage", 0}});
}

void DapEvents::ProgressMoved(int32_t position, int32_t high) {
  if (!progressEvents_ || high <= 0) return;
  std::lock_guard<std::mutex> lock(progressMutex_);
  if (progressId_.empty()) return;
  const int64_t percent = position <= 0 ? 0 : position >= high ? 100 : int64_t{position} * 100 / high;
  Event("progressUpdate", json{{"progressId", progressId_}, {"percentage", percent}});
}

void DapEvents::ProgressRemoved(int32_t, int32_t) {
  if (!progressEvents_) return;
  std::lock_guard<std::mutex> lock(progressMutex_);
  if (progressId_.empty()) return;
  Event("progressEnd", json{{"progressId", progressId_}});
  progressId_.clear();
}

void DapEvents::LinkClosed() {
  linkLost_ = true;
  Console(texts::kLinkLost);
}

void DapEvents::Notice(bool, const std::string& caption, const std::string& text) {
  Console(caption.empty() ? text : caption + ": " + text);
}

bool DapEvents::Ask(const std::string& caption, const std::string& text) {
  const bool yes = answerYes_;
  if (!yes) ++answeredNo_;
  Console((caption.empty() ? text : caption + ": " + text) + texts::kAnswered + (yes ? "Yes" : "No"));
  return yes;
}

bool DapEvents::ConfirmSetup(const OrvendSetupDialog&) {
  const bool ok = answerYes_;
  Console(std::string(texts::kSetupDialog) + texts::kAnswered + (ok ? "OK" : "Cancel"));
  return ok;
}

}  // namespace orven::orvdap
