// The driver's ways back to the host and the user: the host window messages, the host callback, PrintLine,
// and the user-interface hook. Implements the emulator layer's HostChannel, Prompter and DriverFlags.
//
// Texts inside the driver are UTF-8; what goes to the host is converted to GBK here. Breakpoint command texts
// come from the host and go back unchanged. None of these is called with a lock of the driver or the link held.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <mutex>

#include "driver/driver_state.h"
#include "emulator/driver_seams.h"
#include "orvend/orvend.h"

namespace orven::driver {

inline constexpr size_t kPrintLineBuffer = 2048;  // at most 2,047 bytes of GBK text reach the host
// UTF-8 formatted before the conversion: four bytes at most per character, so never the shorter cut.
inline constexpr size_t kPrintLineFormatBuffer = 4 * kPrintLineBuffer;

class HostLink final : public emulator::HostChannel, public emulator::Prompter, public emulator::DriverFlags {
 public:
  explicit HostLink(DriverState& state) : state_(state) {}

  // HostChannel
  void SendText(uint32_t kind, const char* utf8) override;
  void Post(uint32_t kind) override;
  void ShowProgress(const emulator::ProgressBar& bar) override;
  bool NextFlashSegment(bool first, emulator::FlashSegment* segment) override;

  // Prompter: through the installed UI, else caption and text on standard error with the safe answer.
  void ErrorBox(const char* caption, const char* text) override;
  void WarningBox(const char* caption, const char* text) override;
  bool Question(const char* caption, const char* text) override;

  // DriverFlags
  int32_t OptionE() const override { return state_.options.e.load(); }
  void SetOptionE(int32_t value) override { state_.options.e.store(value); }
  int32_t OptionF() const override { return state_.options.f.load(); }
  int32_t OptionV() const override { return state_.options.v.load(); }
  int32_t OptionC() const override { return state_.options.c.load(); }
  bool Fatal() const override { return state_.fatal.load(); }
  void SetFatal() override { state_.fatal.store(true); }

  // Host callback; null result when no callback is bound.
  void* Callback(uint32_t code, void* argument);
  // Kind 3 with the serial output record (sent).
  void SendSerial(OrvendSerialOutput* record);
  // Formats printf-style and sends it to the output window (kind 12). Every text to the host (kinds 6 and 12)
  // is cut at 2,047 bytes of GBK, on a character boundary.
  void PrintLine(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void VPrintLine(const char* format, va_list args);

  // The UI hook: the record is copied; null removes it.
  void SetUi(const OrvendUi* ui);
  // A copy of the installed hook (all null when none).
  OrvendUi Ui() const;

 private:
  int MessageBox(int kind, const char* caption, const char* text);

  DriverState& state_;
  mutable std::mutex uiMutex_;
  OrvendUi ui_{};
  OrvendFlashSegment* lastSegment_ = nullptr;  // the record the host handed out last (callback 15)
};

// The library's instance, over State().
HostLink& Link();

}  // namespace orven::driver
