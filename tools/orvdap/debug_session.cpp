#include "tools/orvdap/debug_session.h"

#include <cstdlib>
#include <fstream>

#include "host/texts.h"
#include "tools/orvdap/texts.h"

namespace orven::orvdap {

DebugSession::DebugSession(host::HostEvents& events, std::string libraryPath)
    : events_(events), libraryPath_(std::move(libraryPath)) {}

DebugSession::~DebugSession() { End(); }

void DebugSession::ChooseDevice(const LaunchArguments& args) {
  switch (args.device) {
    case LaunchArguments::Device::kSimulator:
      setenv("ORVEN_DEVICE", "sim", 1);
      break;
    case LaunchArguments::Device::kUsb:
      unsetenv("ORVEN_DEVICE");
      unsetenv("ORVEN_HID_SOCKET");
      break;
    case LaunchArguments::Device::kSocket:
      unsetenv("ORVEN_DEVICE");
      setenv("ORVEN_HID_SOCKET", args.socketPath.c_str(), 1);
      break;
  }
}

host::Result DebugSession::Start(const LaunchArguments& args) {
  host::HexImage image;
  if (host::Result r = host::Target::ReadProgram(args.program, image); !r.ok) {
    return host::Result::Failed(texts::kLaunchFailed + r.reason);
  }
  if (!args.cdb.empty() && !std::ifstream(args.cdb)) return host::Result::Failed(texts::kNoCdb + args.cdb);

  // The driver reads the environment when it first needs its emulator, which is after it is loaded.
  ChooseDevice(args);
  library_ = std::make_unique<host::DriverLibrary>();
  std::string error;
  if (!library_->Load(libraryPath_.empty() ? host::DriverLibrary::DefaultPath() : libraryPath_, error)) {
    library_.reset();
    return host::Result::Failed(texts::kLibraryFailed + error);
  }
  host_ = std::make_unique<host::DebugHost>(library_->Api(), events_);
  host_->Bind();
  target_ = std::make_unique<host::Target>(*host_);
  // The project's options reach the driver when the IDE enumerates it, before anything else.
  if (host::Result r = target_->SetOptions(args.options); !r.ok) return host::Result::Failed(texts::kLaunchFailed + r.reason);
  if (host::Result r = target_->Connect(); !r.ok) {
    target_->Close();
    return host::Result::Failed(r.reason == host::texts::kCannotConnect ? std::string(texts::kCannotConnect)
                                                                        : texts::kLaunchFailed + r.reason);
  }
  host::Result r = target_->LoadProgram(image);
  if (r.ok && args.download) r = target_->Download();
  if (!r.ok) {
    target_->Close();
    return host::Result::Failed(texts::kLaunchFailed + r.reason);
  }
  return host::Result::Ok();
}

void DebugSession::End() {
  if (target_ != nullptr && !target_->Abandoned()) target_->Close();
}

}  // namespace orven::orvdap
