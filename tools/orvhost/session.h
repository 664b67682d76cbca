// orvhost's commands: one line at a time, each turned into the entry point calls an IDE would make.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tools/orvhost/debug_host.h"

namespace orven::orvhost {

enum class Outcome { kOk, kFailed, kUsage, kQuit };

class Session {
 public:
  explicit Session(DebugHost& host) : host_(host) {}
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Runs one command line. Blank lines and comments are kOk. Complaints go to standard error.
  Outcome Execute(const std::string& line);
  // Ends a go still running in the background (stop request, then waits for it). kFailed if that go or
  // the stop failed.
  Outcome Finish();
  // Ends the debug session as the IDE does when debugging stops: shutdown, if an initialisation left the
  // driver connected (nothing is printed). Called after Finish.
  void Close();
  // Ctrl-C: a stop request from the calling (second) thread if a go or step is in progress; false if
  // nothing runs.
  bool Interrupt();
  // True after Finish had to leave a go running in the driver: the process must end without unloading it.
  bool Abandoned() const { return abandoned_; }

 private:
  using Words = std::vector<std::string>;
  Outcome Init(const Words& w);
  Outcome Load(const Words& w);
  Outcome Download(const Words& w);
  Outcome Breakpoint(const Words& w);
  Outcome BreakpointChange(const Words& w);
  Outcome Go(const Words& w);
  Outcome Step(const Words& w);
  Outcome Stop(const Words& w);
  Outcome Sleep(const Words& w);
  Outcome Regs(const Words& w);
  Outcome Dump(const Words& w);
  Outcome Write(const Words& w);
  Outcome Set(const Words& w);
  Outcome Reset(const Words& w);
  Outcome Options(const Words& w);
  Outcome Setup(const Words& w);
  Outcome Shutdown(const Words& w);
  void ShutDown();

  Outcome Fail(const std::string& command, const std::string& reason);
  Outcome Usage(const std::string& command);
  // A fatal notice since `before` fails the command: the driver has closed the link.
  Outcome CheckFatal(const std::string& command, uint32_t before);
  bool BackgroundRunning() const { return background_.joinable(); }
  // Waits for the background go; its outcome.
  Outcome JoinBackground();
  void PrintStopped();
  // After a go or step returned: fails on a fatal notice, else refreshes the register window and prints
  // "stopped C:XXXX".
  Outcome AfterRun(const std::string& command, uint32_t before);

  DebugHost& host_;
  std::thread background_;
  std::atomic<bool> runInProgress_{false};     // a go or step on the command thread
  std::atomic<bool> backgroundActive_{false};  // background_ runs (readable from the interrupt thread)
  uint32_t backgroundBefore_ = 0;  // fatal notices when the background go started
  bool abandoned_ = false;
  bool connected_ = false;  // init succeeded and no shutdown since
};

}  // namespace orven::orvhost
