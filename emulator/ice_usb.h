// CIceUsb: the debugger driver's conversation with the QX410 emulator and its VELM5 pod. One instance lives
// as long as the driver; it owns the report link and runs every emulator command over it: connection,
// identification and firmware upgrade, memory, registers, breakpoints, run control, and the code download to
// the pod or to a target chip.
//
// Threads: the host calls in from several threads (a stop request arrives while a go request polls). One
// mutex serialises whole command/reply exchanges; it is never held across a wait, a message box or a call to
// the host. The flags two threads touch are atomics.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "emulator/driver_seams.h"
#include "link/clock.h"
#include "link/frame.h"
#include "link/hid.h"
#include "link/identification_block.h"

namespace orven::emulator {

// The 16-byte register image of EC_READ_REGS / EC_WRITE_REGS.
//   @0 ACC  @1 PSW  @2 DPH  @3 DPL  @4 SP  @5 PC high  @6 PC low  @7 B  @8..15 R0..R7 of the current bank
struct RegisterImage {
  uint8_t bytes[16] = {};

  uint8_t Acc() const { return bytes[0]; }
  uint8_t Psw() const { return bytes[1]; }
  uint8_t Dph() const { return bytes[2]; }
  uint8_t Dpl() const { return bytes[3]; }
  uint8_t Sp() const { return bytes[4]; }
  uint16_t Pc() const { return static_cast<uint16_t>((bytes[5] << 8) | bytes[6]); }
  uint8_t B() const { return bytes[7]; }
  uint8_t R(int n) const { return bytes[8 + (n & 7)]; }

  void SetAcc(uint8_t v) { bytes[0] = v; }
  void SetPsw(uint8_t v) { bytes[1] = v; }
  void SetDph(uint8_t v) { bytes[2] = v; }
  void SetDpl(uint8_t v) { bytes[3] = v; }
  void SetSp(uint8_t v) { bytes[4] = v; }
  void SetPc(uint16_t v) {
    bytes[5] = static_cast<uint8_t>(v >> 8);
    bytes[6] = static_cast<uint8_t>(v);
  }
  void SetB(uint8_t v) { bytes[7] = v; }
  void SetR(int n, uint8_t v) { bytes[8 + (n & 7)] = v; }
};
static_assert(sizeof(RegisterImage) == 16);

// The driver's firmware version: the emulator's firmware is current from this build on.
inline constexpr uint8_t kDriverFirmwareMajor = 2;
inline constexpr uint8_t kDriverFirmwareMinor = 0x06;
inline constexpr uint32_t kDriverFirmwareBuild = 563;

inline constexpr uint32_t kCodeLimit = 0xFC00;   // 63K: the pod's code space the debugger may use
inline constexpr uint32_t kStopVector = 0x003B;  // three bytes the stop-while-running feature occupies
inline constexpr uint32_t kNoStopAddress = 0xFFFF;
inline constexpr int32_t kTargetPod = -1;        // selected target index: code goes to the VELM5 pod
inline constexpr int32_t kTargetInvalid = -2;    // the options V and C name no chip of the table

// SetBreakpoint modes and results.
inline constexpr int kBreakpointClear = 0;
inline constexpr int kBreakpointSet = 1;
inline constexpr int kBreakpointNone = 2;  // sends nothing, answers 0
inline constexpr int kBreakpointDone = 0;
inline constexpr int kBreakpointTooMany = 1;
inline constexpr int kBreakpointConflict = 2;
inline constexpr int kBreakpointLinkFailed = -1;

// ReadStatus results.
inline constexpr int kTargetRunning = 0;
inline constexpr int kTargetHalted = 1;
inline constexpr int kStatusFailed = -1;

class CIceUsb {
 public:
  // All five are borrowed and must outlive the object. The link starts closed.
  CIceUsb(link::HidBackend& backend, Clock& clock, HostChannel& host, Prompter& prompter, DriverFlags& flags);
  virtual ~CIceUsb();
  CIceUsb(const CIceUsb&) = delete;
  CIceUsb& operator=(const CIceUsb&) = delete;

  // --- Connection, identification, firmware upgrade ---

  // Opens and identifies the emulator, upgrades old firmware from the carried image, and (unless deferred)
  // checks, identifies and starts the pod. True when the emulator is ready; false after the box that says why
  // (or silently for a device that is not an emulator). False too when an upgrade left the link closed.
  bool Connect();
  // Sends EC_DISCONNECT and closes the link when it is open; otherwise nothing.
  void Disconnect();
  // The identity read by the last Connect, or (not yet identified) a fresh one; the link then stays open.
  bool GetIdentification(IdentificationBlock* out);
  // Rewrites the emulator's firmware with `length` bytes of image (borrowed) and reopens it. True when the
  // emulator came back and identified itself. A test image never goes to a physical device.
  bool UpgradeFirmware(const uint8_t* image, uint32_t length);
  // Disconnect, then post the fatal notice (host message kind 5) to the host.
  void PostFatalNotice();
  // The common exit of the driver's entry points: PostFatalNotice when the fatal flag is set.
  void FatalCheck();

  // --- Memory (addresses as the host passes them: tagged for the data spaces, 16-bit for code) ---

  // One command for the whole request (the driver never asks for more than 128 bytes of D:).
  bool ReadDataMemory(uint8_t* buffer, uint32_t address, uint32_t count);
  bool WriteDataMemory(const uint8_t* buffer, uint32_t address, uint32_t count);
  // 128 bytes per command.
  bool ReadCodeMemory(uint8_t* buffer, uint32_t address, uint32_t count);
  // Reduces address to its low 16 bits (the caller reports a failure there). Refuses a write that ends past
  // 0xFC00 (or, after a program load, reports it in the output window and answers true). Remembers a write
  // over C:0x003B while the stop-while-running feature is on.
  bool WriteCodeMemory(const uint8_t* data, uint32_t& address, uint32_t count);
  bool ReadXdataMemory(uint8_t* buffer, uint32_t address, uint32_t count);
  bool WriteXdataMemory(const uint8_t* buffer, uint32_t address, uint32_t count);
  bool ReadIdataMemory(uint8_t* buffer, uint32_t address, uint32_t count);
  bool WriteIdataMemory(const uint8_t* buffer, uint32_t address, uint32_t count);

  // --- Registers and run control ---

  // Clears *out first, so a failed read leaves zeros.
  bool ReadRegisters(RegisterImage* out);
  bool WriteRegisters(const RegisterImage& image);
  // The PC is the low 16 bits of the reply value. Emulators answer with the value alone or add the two data
  // bytes asked for; both are taken, any other count is a malformed reply. A refusal status is a failure.
  bool ReadPc(uint16_t* pc);
  bool WritePc(uint16_t pc);
  // One instruction; *pc receives the new program counter (16 bits). A refusal status is a failure.
  bool Step(uint32_t* pc);
  // mode 1 sets, 0 clears, 2 does nothing. Results: kBreakpointDone, kBreakpointTooMany (status 7),
  // kBreakpointConflict (status 8), kBreakpointLinkFailed: the command could not be sent (no box, no fatal),
  // or its reply was lost, malformed or carried another status (the box and fatal: the emulator's breakpoints
  // are not known, so no run may start on them).
  int SetBreakpoint(int mode, uint32_t address);
  // Clears (mode 0) every breakpoint that a mode-1 SetBreakpoint set since the last call, so a breakpoint
  // armed for one run never stops the next. kBreakpointLinkFailed when a command could not be sent.
  int ClearArmedBreakpoints();
  // kTargetHalted, kTargetRunning or kStatusFailed (no box).
  int ReadStatus();
  // Runs from the current PC until the target halts (breakpoint, stop address, Stop, ForceStop), polling
  // every 500 ms. stopAddress 0xFFFF = none. When *cancel is set before EC_GO goes out (a stop request while
  // the question box was open or the host's thread was slow), the target is not started: true, with
  // *started false. False, with fatal set, when the go could not be confirmed or a status poll failed (the
  // target may be running, nothing about it is known) and when the user declined to give up the
  // stop-while-running feature.
  bool Go(uint32_t stopAddress, const std::atomic<bool>* cancel = nullptr, bool* started = nullptr);
  // From another thread while Go runs: asks the target to stop; offers a forced reset when it cannot. While Go
  // has not yet started the target there is nothing to stop: true at once (the caller has set Go's cancel).
  bool Stop();
  // Halts the target by resetting it.
  bool ForceStop();

  // --- Flags ---

  // The host's reset request: Connect attaches the pod again even when downloads go to a chip.
  void ClearPodDeferred() { podDeferred_.store(false); }
  bool PodDeferred() const { return podDeferred_.load(); }
  // The host finished loading a program: code writes past 63K are reported, not refused.
  void SetQuietCodeRange() { quietCodeRange_.store(true); }
  bool QuietCodeRange() const { return quietCodeRange_.load(); }
  bool StopVectorConflict() const { return stopVectorConflict_.load(); }
  // The target of the last PrepareDownload: a TargetChipTable index, or kTargetPod.
  int32_t SelectedTargetIndex() const { return selectedTarget_.load(); }
  // True between a successful PrepareDownload and the DownloadImage that uses it.
  bool DownloadPrepared() const { return prepared_.load(); }

  // --- Download to the pod or a target chip ---

  // The TargetChipTable index the options V and C name, or kTargetPod when downloads go to the pod;
  // kTargetInvalid when V or C name no chip (PrepareDownload then refuses, never picks a neighbour).
  int32_t SelectedChipIndex() const;
  // Chooses the target; for a chip initialises and erases it. Prints its progress to the host.
  bool PrepareDownload();
  // Collects the host's flash segments, programs them to the prepared target, verifies and starts them. Refuses
  // (with a message) unless a PrepareDownload succeeded since the last download.
  bool DownloadImage();
  bool InitTargetChip();
  bool EraseTargetChip();
  // Writes length bytes in 256-byte chunks to the selected target; *failedAddress is the chunk that failed.
  bool ProgramImage(uint32_t start, const uint8_t* data, uint32_t length, uint32_t* failedAddress);
  // Reads back and compares; *failedAddress is the first differing byte (or the chunk that could not be read).
  bool VerifyImage(uint32_t start, const uint8_t* data, uint32_t length, uint32_t* failedAddress);
  // Starts the downloaded application (pod: reset and go; chip: end of the chip operation).
  bool ResetAndRun();

  // --- Diagnostics (tests, the setup dialog) ---

  bool IsOpen() const;
  bool IsIdentified() const { return identified_.load(); }
  // Why the last exchange failed.
  link::FrameError LastFrameError() const;

 private:
  enum class Outcome { kOk, kSendFailed, kNoReply, kMalformed, kRefused };

  // One command and (unless reply is false) its reply.
  struct Exchange {
    link::FrameReport command;
    const uint8_t* payload = nullptr;  // data reports after the command
    uint32_t payloadLength = 0;
    bool reply = true;
    uint32_t timeoutMs = 0;
    bool read = false;        // the reply must carry exactly `wanted` data bytes, copied to dest when accepted
    uint8_t* dest = nullptr;
    uint32_t wanted = 0;      // at most kMaxReplyData
    bool dataOptional = false;  // a read whose result is in the reply value: no data bytes is fine as well
    bool statusMustBeZero = false;  // any other status byte is a refusal (kRefused)
    bool malformedSetsFatal = true;
    bool boxByCaller = false;  // a malformed reply's box is left to the caller (it holds a lock of its own)
    link::FrameReport response;
  };
  static constexpr uint32_t kMaxReplyData = 256;

  // Runs one exchange under the link lock. A malformed reply shows the communication-error box (after the
  // lock is released) and sets fatal unless the exchange says otherwise.
  Outcome Transact(Exchange& x);
  Outcome Simple(uint8_t code, uint32_t address, uint32_t length, uint32_t timeoutMs,
                 link::FrameReport* response = nullptr, bool statusMustBeZero = false);
  Outcome SendOnly(uint8_t code);
  bool ChunkedRead(uint8_t code, uint8_t* buffer, uint32_t address, uint32_t count, bool code16,
                   bool replyFailureIsFatal);
  bool ChunkedWrite(uint8_t code, const uint8_t* buffer, uint32_t address, uint32_t count,
                    bool replyFailureIsFatal);
  // Box 5027 and (by default) the fatal flag.
  void CommError(bool setFatal = true);
  Outcome Identify(IdentificationBlock* out, bool malformedSetsFatal);
  void CheckFirmware(const IdentificationBlock& id);
  bool OpenLink();
  void CloseLink();
  bool TestImageBlocked(const uint8_t* image) const;
  bool StopFeatureOn() const;
  void EndRun();

  void Print(uint32_t kind, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void ShowBar(const char* label, int32_t maximum);
  void AdvanceBar(int32_t step);
  void RemoveBar();

  link::HidBackend& backend_;
  Clock& clock_;
  HostChannel& host_;
  Prompter& prompter_;
  DriverFlags& flags_;

  std::atomic<bool> podDeferred_{true};
  std::atomic<bool> quietCodeRange_{false};
  std::atomic<int32_t> selectedTarget_{0};
  std::atomic<bool> stopVectorConflict_{false};
  std::atomic<bool> prepared_{false};
  ProgressBar bar_;

  mutable std::mutex linkMutex_;  // guards hid_, frame_, identity_, armed_ and each whole exchange
  std::atomic<int> linkWaiters_{0};  // exchanges of other threads waiting for linkMutex_ (the stop request)
  link::CHid hid_;
  link::CommandFrame frame_;
  bool commErrorPending_ = false;  // set by the frame's handler during an exchange
  IdentificationBlock identity_;
  std::atomic<bool> identified_{false};
  std::vector<uint16_t> armed_;  // breakpoints a run set, cleared again by ClearArmedBreakpoints

  // Where Go is. Go checks its cancel flag and sends EC_GO under runMutex_; Stop reads the phase under it, so a
  // stop either finds the target started and stops it, or is seen by Go before the target starts.
  enum class RunPhase { kIdle, kStarting, kStarted };
  std::mutex runMutex_;  // taken before linkMutex_, never across a box or a wait
  RunPhase runPhase_ = RunPhase::kIdle;
};

}  // namespace orven::emulator
