// How an operation's worker reaches the window: synchronous notifications (the worker waits until the window
// has handled each one).
#pragma once

#include <cstdint>

namespace orven::programmer {

enum NotifyCode : uint32_t {
  kNotifyStarted = 0,         // operation started
  kNotifyFinished = 1,        // operation finished (success or failure)
  kNotifyProgressStep = 2,    // one progress step done
  kNotifyProgressCount = 3,   // value = number of steps to come
  kNotifyFirmwareUpdated = 4, // firmware update completed
  kNotifyLog = 5,             // text = line(s) to append to the log, "\n"-separated
};

struct Notification {
  uint32_t code = 0;
  uint32_t value = 0;
  const char* text = nullptr;  // UTF-8, valid only during the call
};

class NotificationSink {
 public:
  virtual ~NotificationSink() = default;
  // Handles one notification before returning. Called from the window's own thread for "started" and from the
  // worker thread for everything else.
  virtual void Notify(const Notification& notification) = 0;
};

}  // namespace orven::programmer
