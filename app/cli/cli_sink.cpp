#include "app/cli/cli_sink.h"

#include <unistd.h>

#include <algorithm>
#include <string>

namespace orven::app {

CliSink::CliSink(FILE* out, FILE* err) : out_(out), err_(err), tty_(isatty(fileno(err)) != 0) {}

void CliSink::Notify(const programmer::Notification& n) {
  switch (n.code) {
    case programmer::kNotifyLog:
      ClearBar();
      std::fputs(n.text, out_);
      std::fflush(out_);
      DrawBar();
      break;
    case programmer::kNotifyProgressCount:
      total_ = n.value;
      done_ = 0;
      showing_ = true;
      DrawBar();
      break;
    case programmer::kNotifyProgressStep:
      ++done_;
      DrawBar();
      break;
    case programmer::kNotifyFinished:
      ClearBar();
      showing_ = false;
      break;
    case programmer::kNotifyFirmwareUpdated:
      firmwareUpdated_ = true;
      break;
    default:
      break;
  }
}

void CliSink::DrawBar() {
  if (!tty_ || !showing_) return;
  constexpr uint32_t kWidth = 40;
  const uint32_t filled = total_ == 0 ? kWidth : std::min<uint32_t>(kWidth, done_ * kWidth / total_);
  std::fprintf(err_, "\r[%s%s] %u/%u", std::string(filled, '#').c_str(), std::string(kWidth - filled, '.').c_str(),
               done_, total_);
  std::fflush(err_);
  barDrawn_ = true;
}

void CliSink::ClearBar() {
  if (!barDrawn_) return;
  std::fputs("\r\033[K", err_);
  std::fflush(err_);
  barDrawn_ = false;
}

}  // namespace orven::app
