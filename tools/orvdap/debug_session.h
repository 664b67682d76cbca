// The debugged target behind orvdap: the driver library loaded for the emulator the launch chose, bound as an
// IDE binds it, connected, with the program loaded (and downloaded when asked). One per process: the driver
// chooses its emulator once, from the environment, at its first request.
#pragma once

#include <memory>
#include <string>

#include "host/debug_host.h"
#include "host/driver_library.h"
#include "host/target.h"
#include "tools/orvdap/launch_arguments.h"

namespace orven::orvdap {

class DebugSession {
 public:
  // events receives what the driver says; it must outlive the session. libraryPath empty: the library
  // installed beside orvdap.
  DebugSession(host::HostEvents& events, std::string libraryPath);
  ~DebugSession();
  DebugSession(const DebugSession&) = delete;
  DebugSession& operator=(const DebugSession&) = delete;

  // Chooses the emulator, loads and binds the driver, hands it the options, connects, loads the program and
  // downloads it when asked. On failure the reason says what to do; whatever was connected is shut down.
  host::Result Start(const LaunchArguments& args);
  bool Started() const { return target_ != nullptr && target_->Connected(); }
  // Only after a successful Start.
  host::Target& Target() { return *target_; }
  host::DebugHost& Host() { return *host_; }
  // Ends debugging as an IDE does: shutdown, unless a go is still in progress.
  void End();
  // A go left running in the driver: the process must end without tearing the driver down.
  bool Abandoned() const { return target_ != nullptr && target_->Abandoned(); }

  // The environment that makes the driver talk to the launch's emulator.
  static void ChooseDevice(const LaunchArguments& args);

 private:
  host::HostEvents& events_;
  std::string libraryPath_;
  std::unique_ptr<host::DriverLibrary> library_;
  std::unique_ptr<host::DebugHost> host_;
  std::unique_ptr<host::Target> target_;
};

}  // namespace orven::orvdap
