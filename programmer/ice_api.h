// CIceAPI: the programmer connection. Owns the report link, connects and identifies the programmer, and runs
// chip operations and the firmware update on a worker thread that reports through notifications.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "link/clock.h"
#include "link/frame.h"
#include "link/hid.h"
#include "link/identification_block.h"
#include "programmer/chip_entry.h"
#include "programmer/notification.h"

namespace orven::programmer {

// Operation mask bits. The steps run in this order whatever the order of the bits.
enum OperationMask : uint32_t {
  kOpSignature = 0x80,
  kOpErase = 0x01,
  kOpBlankCheck = 0x04,
  kOpProgram = 0x02,
  kOpRead = 0x08,
  kOpVerify = 0x10,
  kOpWriteConfig = 0x20,
  kOpReadConfig = 0x40,
};

inline constexpr uint32_t kFlashBlock = 256;
inline constexpr uint32_t kConfigSize = 32;
inline constexpr uint32_t kFirmwareBlock = 1024;
inline constexpr uint32_t kFirmwareSize = 65536;

class CIceAPI {
 public:
  // backend and clock are borrowed and must outlive the object.
  CIceAPI(link::HidBackend& backend, Clock& clock);
  // Waits for a running worker, then closes the link.
  ~CIceAPI();
  CIceAPI(const CIceAPI&) = delete;
  CIceAPI& operator=(const CIceAPI&) = delete;

  // Where notifications go (borrowed; may be null until set).
  void SetWindow(NotificationSink* sink) { window_ = sink; }
  // The image buffer (chip address A at offset A) and the 32-byte configuration buffer (borrowed).
  void SetBuffers(uint8_t* image, uint8_t* config) {
    image_ = image;
    config_ = config;
  }

  // Opens the device of the model (0x5295 → product 0x5120, 0x520D → 0x5121, otherwise any product of the
  // vendor) and identifies it. Returns the model word the device reports, or 0 (no device, or the identify
  // exchange failed; the device then stays open).
  uint16_t Connect(uint16_t modelWord);
  // Opens the device again by the stored identity's model word; true when one matched.
  bool Reopen();
  // Clears the identified flag and closes the link.
  void Disconnect();
  // Copies the identity if one was received since the last disconnect.
  bool GetIdentity(IdentificationBlock* dest) const;

  bool IsIdentified() const { return identified_.load(); }
  bool IsBusy() const { return busy_.load(); }
  // Whether the last operation or firmware update ran every step to its end (for callers without a log
  // reader, like the command-line program). Valid once the worker has sent "finished".
  bool LastRunSucceeded() const { return succeeded_.load(); }

  // Starts a chip operation on the worker thread; ignored while busy. chip is borrowed until "finished".
  void StartOperation(uint32_t mask, const ChipEntry* chip);
  // Starts the firmware update with a 65,536-byte image (borrowed until "finished"). The caller starts it only
  // right after a connect, never while busy.
  void StartFirmwareUpdate(const uint8_t* image);
  // Blocks until the current worker (if any) has ended. For the command-line program and tests.
  void WaitIdle();

  link::HidBackend& Backend() const { return backend_; }
  // Why the last exchange of the last operation failed (diagnostics and tests).
  link::FrameError LastFrameError() const { return frame_.LastError(); }

 private:
  void StartWorker(void (CIceAPI::*body)());
  void RunOperation();
  void RunFirmwareUpdate();

  // One command/response exchange. dest may be null when no data are expected.
  bool Exchange(link::FrameReport& command, const uint8_t* data, uint32_t length, link::FrameReport& response,
                uint8_t* dest, uint32_t destCapacity, uint32_t timeoutMs);
  bool Simple(uint8_t code, uint32_t timeoutMs, link::FrameReport* response = nullptr);
  bool Identify();

  bool StepSignature();
  bool StepErase();
  bool StepBlankCheck();
  bool StepProgram();
  bool StepRead(bool verify);
  bool StepWriteConfig();
  bool StepReadConfig();

  void Notify(uint32_t code, uint32_t value = 0, const char* text = nullptr);
  void Log(const char* text) { Notify(kNotifyLog, 0, text); }
  void Finish(bool succeeded);

  link::HidBackend& backend_;
  Clock& clock_;
  link::CHid hid_;
  link::CommandFrame frame_;
  IdentificationBlock identity_;
  std::atomic<bool> identified_{false};
  std::atomic<bool> busy_{false};
  std::atomic<bool> succeeded_{false};
  NotificationSink* window_ = nullptr;
  uint8_t* image_ = nullptr;
  uint8_t* config_ = nullptr;
  uint32_t mask_ = 0;
  const ChipEntry* chip_ = nullptr;
  const uint8_t* firmware_ = nullptr;
  uint32_t firmwareSize_ = kFirmwareSize;
  std::thread worker_;
};

}  // namespace orven::programmer
