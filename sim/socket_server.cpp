#include "sim/socket_server.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "link/bytes.h"

namespace orven::sim {

namespace {
constexpr int kMaxConnections = 8;
constexpr int kHousekeepingMs = 20;
}  // namespace

SocketServer::SocketServer(std::shared_ptr<SimDevice> device, std::string path)
    : device_(std::move(device)), path_(std::move(path)) {}

SocketServer::~SocketServer() { CloseAll(); }

bool SocketServer::Listen() {
  sockaddr_un addr{};
  if (path_.size() >= sizeof addr.sun_path) return false;
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path_.c_str(), path_.size() + 1);
  unlink(path_.c_str());
  listenFd_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listenFd_ < 0) return false;
  if (bind(listenFd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || listen(listenFd_, 8) != 0) {
    close(listenFd_);
    listenFd_ = -1;
    return false;
  }
  return true;
}

void SocketServer::CloseAll() {
  for (int i = 0; i < connCount_; ++i) close(connFd_[i]);
  connCount_ = 0;
  owner_ = -1;
  if (listenFd_ >= 0) {
    close(listenFd_);
    listenFd_ = -1;
    unlink(path_.c_str());
  }
}

bool SocketServer::Run() {
  if (!Listen()) return false;
  uint32_t generation = device_->Generation();
  Clock& clock = device_->GetClock();

  while (!stop_.load()) {
    // A device that left the bus drops every connection and accepts none until it is back.
    if (device_->Generation() != generation || !device_->Present()) {
      if (listenFd_ >= 0) CloseAll();
      if (!device_->Present()) {
        clock.SleepMs(kHousekeepingMs);
        continue;
      }
      generation = device_->Generation();
      if (!Listen()) return false;
    }

    pollfd fds[kMaxConnections + 1];
    fds[0] = {listenFd_, POLLIN, 0};
    for (int i = 0; i < connCount_; ++i) fds[i + 1] = {connFd_[i], POLLIN, 0};
    int timeout = kHousekeepingMs;
    const uint64_t next = device_->NextOutputTime();
    if (next != std::numeric_limits<uint64_t>::max()) {
      const uint64_t now = clock.NowMs();
      timeout = next <= now ? 0 : static_cast<int>(std::min<uint64_t>(next - now, kHousekeepingMs));
    }
    int r = poll(fds, static_cast<nfds_t>(connCount_ + 1), timeout);
    if (r < 0 && errno != EINTR) return false;

    if (r > 0 && (fds[0].revents & POLLIN)) {
      int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) {
        uint8_t hello[4];
        PutU16Le(hello, device_->VendorId());
        PutU16Le(hello + 2, device_->ProductId());
        if (connCount_ < kMaxConnections && send(fd, hello, sizeof hello, MSG_NOSIGNAL) == 4) {
          connFd_[connCount_++] = fd;
        } else {
          close(fd);
        }
      }
    }
    for (int i = connCount_ - 1; r > 0 && i >= 0; --i) {
      if (!(fds[i + 1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      uint8_t report[128];
      ssize_t n = recv(connFd_[i], report, sizeof report, MSG_DONTWAIT);
      if (n > 0) {
        owner_ = connFd_[i];
        device_->Receive(report, static_cast<size_t>(n), generation);
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (owner_ == connFd_[i]) owner_ = -1;
      close(connFd_[i]);
      connFd_[i] = connFd_[--connCount_];
    }

    // Hand over every reply report that is due.
    uint8_t out[65];
    uint64_t readyAt = 0;
    while (device_->TakeOutput(generation, clock.NowMs(), out, &readyAt) == SimDevice::Output::kReport) {
      if (owner_ >= 0) send(owner_, out, sizeof out, MSG_NOSIGNAL);
    }
  }
  CloseAll();
  return true;
}

}  // namespace orven::sim
