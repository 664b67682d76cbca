// Serves one simulated device over the socket device protocol (see link/socket_backend.h), so programs can
// talk to a device in another process through ORVEN_HID_SOCKET.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "sim/sim_device.h"

namespace orven::sim {

class SocketServer {
 public:
  // The device's clock should be a real clock: restarts and slow replies take real time here.
  SocketServer(std::shared_ptr<SimDevice> device, std::string path);
  ~SocketServer();

  // Serves until Stop() is called (from another thread or a signal handler). False if the socket cannot be
  // created.
  bool Run();
  void Stop() { stop_.store(true); }

 private:
  bool Listen();
  void CloseAll();

  std::shared_ptr<SimDevice> device_;
  std::string path_;
  std::atomic<bool> stop_{false};
  int listenFd_ = -1;
  int connFd_[8];
  int connCount_ = 0;
  int owner_ = -1;  // the connection that sent the last report gets the replies
};

}  // namespace orven::sim
