// Runs orven-sim as a separate device process on a fresh socket path for the duration of a test.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace orven::testing {

class DeviceProcess {
 public:
  // Starts orven-sim with the extra arguments and waits until its socket accepts connections.
  explicit DeviceProcess(const std::vector<std::string>& args = {});
  ~DeviceProcess();
  DeviceProcess(const DeviceProcess&) = delete;
  DeviceProcess& operator=(const DeviceProcess&) = delete;

  bool Ok() const { return ok_; }
  const std::string& Path() const { return path_; }

 private:
  std::string dir_;
  std::string path_;
  pid_t pid_ = -1;
  bool ok_ = false;
};

// The build's bin directory (where orven-sim, tormik-cli and the data files are).
std::string BinDir();

}  // namespace orven::testing
