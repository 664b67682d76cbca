// The single programmer's window on the command line: the log as the window shows it, and a progress bar
// drawn on a terminal.
#pragma once

#include <cstdint>
#include <cstdio>

#include "programmer/notification.h"

namespace orven::app {

class CliSink final : public programmer::NotificationSink {
 public:
  // out: the log lines; err: the progress bar, drawn only when it is a terminal. Both borrowed.
  CliSink(FILE* out, FILE* err);

  void Notify(const programmer::Notification& n) override;
  bool FirmwareUpdated() const { return firmwareUpdated_; }

 private:
  void DrawBar();
  void ClearBar();

  FILE* out_;
  FILE* err_;
  bool tty_;
  bool showing_ = false;
  bool barDrawn_ = false;
  bool firmwareUpdated_ = false;
  uint32_t total_ = 0;
  uint32_t done_ = 0;
};

}  // namespace orven::app
