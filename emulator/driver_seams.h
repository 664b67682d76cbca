// The emulator layer's ways out to the host and the user. The emulator layer defines them; the driver library
// implements them over the host's window, callback and user-interface hook; tests script them.
//
// Texts handed through these interfaces are UTF-8. The implementation converts them to the host's code page
// (GBK) where they leave for the host. None of these is ever called while the link lock is held.
#pragma once

#include <cstdint>

namespace orven::emulator {

// Host message kinds (the first message parameter).
inline constexpr uint32_t kHostSerialOutput = 3;  // sent: serial output record
inline constexpr uint32_t kHostFatalNotice = 5;   // posted: the emulator link was closed after a failure
inline constexpr uint32_t kHostProgressText = 6;  // sent: progress text
inline constexpr uint32_t kHostOutputText = 12;   // sent: text for the host's output window

// Host callback codes.
inline constexpr uint32_t kCallbackProgressBar = 2;
inline constexpr uint32_t kCallbackNextSegment = 15;

// The progress bar handed to the host callback with code 2.
struct ProgressBar {
  enum Job : int32_t { kShow = 1, kRemove = 2, kSetPosition = 3 };
  int32_t job = 0;
  int32_t position = 0;
  int32_t low = 0;
  int32_t high = 0;
  const char* label = nullptr;  // UTF-8; the driver converts it for the host
};

// One flash segment of the program the host downloads (host callback code 15).
struct FlashSegment {
  uint32_t start = 0;
  uint32_t length = 0;
  const uint8_t* data = nullptr;  // borrowed from the host; `length` bytes
  uint32_t total = 0;             // bytes of the whole download (the progress maximum)
};

class HostChannel {
 public:
  virtual ~HostChannel() = default;
  // Kinds 6 and 12: sends the text and returns when the host has handled it.
  virtual void SendText(uint32_t kind, const char* utf8) = 0;
  // Kind 5: posts the notice with argument 0 and returns at once.
  virtual void Post(uint32_t kind) = 0;
  // Host callback code 2 with the progress-bar record.
  virtual void ShowProgress(const ProgressBar& bar) = 0;
  // Host callback code 15: first == true asks for the first segment, otherwise the one after the segment last
  // handed out. False when the host has no (more) segments; *segment is then untouched.
  virtual bool NextFlashSegment(bool first, FlashSegment* segment) = 0;
};

// Message boxes, answered by the user interface (scripted in tests).
class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual void ErrorBox(const char* caption, const char* text) = 0;
  // Warning box with an OK button only.
  virtual void WarningBox(const char* caption, const char* text) = 0;
  // Question with Yes and No buttons: true for Yes.
  virtual bool Question(const char* caption, const char* text) = 0;
};

// The driver state the emulator layer reads and sets: the options and the fatal flag. Implementations are
// safe to call from any host thread.
class DriverFlags {
 public:
  virtual ~DriverFlags() = default;
  virtual int32_t OptionE() const = 0;  // bit 0: the stop-while-running feature
  virtual void SetOptionE(int32_t value) = 0;
  virtual int32_t OptionF() const = 0;  // bit 4: download to the VELM5 pod
  virtual int32_t OptionV() const = 0;  // chip vendor index
  virtual int32_t OptionC() const = 0;  // chip index among the vendor's chips
  virtual bool Fatal() const = 0;
  virtual void SetFatal() = 0;
};

}  // namespace orven::emulator
