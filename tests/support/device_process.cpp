#include "tests/support/device_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "link/socket_backend.h"

namespace orven::testing {

std::string BinDir() { return ORVEN_TEST_BIN_DIR; }

DeviceProcess::DeviceProcess(const std::vector<std::string>& args) {
  char templ[] = "/tmp/orven-dev-XXXXXX";
  if (mkdtemp(templ) == nullptr) return;
  dir_ = templ;
  path_ = dir_ + "/dev.sock";
  std::vector<std::string> argv = {BinDir() + "/orven-sim", "--listen", path_};
  argv.insert(argv.end(), args.begin(), args.end());
  pid_ = fork();
  if (pid_ == 0) {
    std::vector<char*> cargs;
    for (std::string& a : argv) cargs.push_back(a.data());
    cargs.push_back(nullptr);
    execv(cargs[0], cargs.data());
    _exit(127);
  }
  // Waiting for another process to come up is the one place a test waits in real time.
  for (int i = 0; i < 500 && !ok_; ++i) {
    uint16_t vid = 0, pid = 0;
    int fd = link::ConnectDeviceSocket(path_, &vid, &pid);
    if (fd >= 0) {
      close(fd);
      ok_ = true;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
}

DeviceProcess::~DeviceProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  if (!path_.empty()) unlink(path_.c_str());
  if (!dir_.empty()) rmdir(dir_.c_str());
}

}  // namespace orven::testing
