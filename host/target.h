// The target as a debugger drives it through the bound driver: connection, program load and download,
// breakpoints, run control with the go thread and the stop request, registers, memory and options. Every
// request answers a Result with the reason a user reads; nothing here prints. Requests come from one thread
// at a time (the client's command thread, or a worker of its own while another thread keeps serving the
// user). While a run is in progress on another thread only Interrupt, Stop, ReadMemory and WriteMemory may
// be asked for (the driver refuses memory access while the target runs).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "host/debug_host.h"
#include "host/hex_image.h"

namespace orven::host {

struct Result {
  bool ok = true;
  std::string reason;  // empty when ok

  static Result Ok() { return {}; }
  static Result Failed(std::string reason) { return {false, std::move(reason)}; }
};

// The end of a run request. stopped: the target stopped and Target::Pc() says where. backgroundGo: the
// result is that of the go that ran in the background (a stop request ended it), not of the request itself.
struct RunResult {
  Result result;
  bool stopped = false;
  bool backgroundGo = false;
};

// The 8051 registers as the driver's register window holds them.
struct Registers {
  uint16_t pc = 0;
  uint8_t acc = 0, b = 0, psw = 0, sp = 0;
  uint16_t dptr = 0;
  uint8_t r[8] = {};
};

// A register the user names, with the register window item that holds it.
struct RegisterName {
  const char* name;  // lower case: r0-r7, a, b, sp, dptr, pc, psw
  uint16_t item;
  bool wide;  // 16 bits (dptr, pc), else 8
};

enum class BreakpointChange { kDisable, kEnable, kClear };

// What a stop request from a second thread did.
enum class InterruptOutcome {
  kNothingRuns,   // no go or step was in progress: nothing was sent to the driver
  kStopped,       // the driver stopped the target; the run request returns
  kStillRunning,  // the driver could not stop it (the forced reset was declined): the run goes on
};

class Target {
 public:
  explicit Target(DebugHost& host) : host_(host) {}
  // Ends a go still running in the background (Finish).
  ~Target();
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;

  // The register of a name (lower case), or null.
  static const RegisterName* FindRegister(std::string_view name);

  // --- connection
  bool Connected() const { return connected_; }
  // Initialisation: connects to the emulator, then refreshes the register window as the IDE does when it
  // first shows it (run control starts from the PC read there).
  Result Connect();
  // Connect, unless an initialisation already connected and no shutdown followed.
  Result EnsureConnected();
  Result Reset();
  // Shutdown; the fatal notice it always ends with is not reported. The driver writes the options back.
  void Shutdown();
  // Ends the debug session as the IDE does when debugging stops: shutdown if still connected and no go runs.
  void Close();

  // --- program
  // Reads a HEX file into image; a program must fit code bank 0.
  static Result ReadProgram(const std::string& path, HexImage& image);
  // Writes a program to the pod's code memory for debugging; it becomes the image a later Download hands out.
  Result LoadProgram(const HexImage& image);
  // Flash download of the last loaded program (pod or chip, as the options choose).
  Result Download();

  // --- breakpoints at code addresses
  // count: stop at the count-th arrival; kind 1 and 2 are conditional; command: handed to the host instead of
  // a stop.
  Result AddBreakpoint(uint32_t address, uint32_t kind, int32_t count, const std::string& command);
  Result ChangeBreakpoint(uint32_t address, BreakpointChange change);

  // --- run control. Each request runs on the calling thread and returns once the target stopped.
  RunResult Go();
  RunResult GoUntil(uint32_t address);
  RunResult Step(uint32_t count);
  // A go on a thread of its own; Stop (or Finish) ends it.
  void GoInBackground();
  bool BackgroundRunning() const { return background_.joinable(); }
  // The stop request; then waits for a background go and answers its result.
  RunResult Stop();
  // Ends a background go (stop request, then waits). If the target does not stop, the go thread is left
  // running in the driver: Abandoned() holds and the process must end without unloading the driver.
  RunResult Finish();
  // A stop request from a second thread if a go or step is in progress (Ctrl-C, a stop button); false if
  // nothing runs. Safe to call from any thread.
  bool Interrupt() { return InterruptRun() != InterruptOutcome::kNothingRuns; }
  // The same, saying whether the driver stopped the target.
  InterruptOutcome InterruptRun();
  bool Abandoned() const { return abandoned_; }
  // The code address of the last stop.
  uint16_t Pc() const { return static_cast<uint16_t>(host_.CurrentPc() & 0xFFFF); }

  // --- registers and memory
  Result ReadRegisters(Registers& out);
  Result SetRegister(const RegisterName& reg, uint64_t value);
  // tagged: the driver's address form (ORVEND_TAG).
  Result ReadMemory(uint32_t tagged, uint8_t* buffer, uint32_t count);
  Result WriteMemory(uint32_t tagged, const std::vector<uint8_t>& bytes);

  // --- the project's option text
  // Hands the driver a new option text as the IDE does when it enumerates it; fails if the library does not
  // answer as an 8051 driver.
  Result SetOptions(const std::string& text);
  std::string OptionText() const { return host_.OptionText(); }
  // The driver's setup dialog; OK writes its choice into the option text.
  void Setup();

 private:
  // A fatal notice since `before` fails the request: the driver has closed the link.
  Result LinkCheck(uint32_t before) const;
  RunResult Run(uint16_t code, uint32_t count, uint32_t tagged);
  // After a go or step returned: the register window refreshed and the dialogs updated, as the IDE does
  // after every stop.
  RunResult AfterRun(uint32_t before);
  // Reads the registers through the driver (whose answer says whether the emulator answered) and into the
  // register window, where their values are taken from.
  Result ReadRegisterWindow(Registers& out, uint32_t before);
  RunResult JoinBackground();

  DebugHost& host_;
  std::thread background_;
  // Held while a stop request is in the driver and while a run request starts or ends, so that a stop
  // request meant for one run cannot be left pending for the next.
  std::mutex interruptMutex_;
  bool stopSentDuringRun_ = false;             // guarded by interruptMutex_
  std::atomic<bool> runInProgress_{false};     // a go or step on the calling thread
  std::atomic<bool> backgroundActive_{false};  // background_ runs (readable from an interrupting thread)
  uint32_t backgroundBefore_ = 0;              // fatal notices when the background go started
  bool abandoned_ = false;
  bool connected_ = false;  // an initialisation succeeded and no shutdown since
  // The registers as read after the last stop, until anything that may change them: a run or step, a
  // register or memory write, a load, reset or download. Read and written on the requesting thread only.
  Registers cachedRegisters_;
  bool registersCached_ = false;
};

}  // namespace orven::host
