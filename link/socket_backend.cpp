#include "link/socket_backend.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/bytes.h"

namespace orven::link {
namespace {

constexpr int kHelloTimeoutMs = 1000;

// Waits for the events on fd; 1 ready, 0 time-out, -1 error or hang-up without the event.
int WaitFor(int fd, short events, uint32_t timeoutMs) {
  pollfd p{fd, events, 0};
  for (;;) {
    int r = poll(&p, 1, static_cast<int>(timeoutMs));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return -1;
    if (r == 0) return 0;
    if (p.revents & events) return 1;
    return -1;
  }
}

class SocketHandle final : public HidHandle {
 public:
  explicit SocketHandle(int fd) : fd_(fd) {}
  ~SocketHandle() override { close(fd_); }

  TransferResult Write(const uint8_t* report, size_t length, uint32_t timeoutMs) override {
    int w = WaitFor(fd_, POLLOUT, timeoutMs);
    if (w == 0) return TransferResult::kTimeout;
    if (w < 0) return TransferResult::kError;
    ssize_t n = send(fd_, report, length, MSG_NOSIGNAL);
    return n == static_cast<ssize_t>(length) ? TransferResult::kOk : TransferResult::kError;
  }

  TransferResult Read(uint8_t* report, size_t length, uint32_t timeoutMs, size_t* got) override {
    *got = 0;
    int w = WaitFor(fd_, POLLIN, timeoutMs);
    if (w == 0) return TransferResult::kTimeout;
    if (w < 0) return TransferResult::kError;
    ssize_t n = recv(fd_, report, length, 0);
    if (n <= 0) return TransferResult::kError;  // 0: the device closed the connection (left the bus)
    *got = static_cast<size_t>(n);
    return TransferResult::kOk;
  }

  bool Purge() override {
    uint8_t scratch[65];
    for (int i = 0; i < 4096; ++i) {
      ssize_t n = recv(fd_, scratch, sizeof scratch, MSG_DONTWAIT);
      if (n > 0) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
      return false;
    }
    return true;
  }

 private:
  int fd_;
};

}  // namespace

std::vector<std::string> SocketBackend::SplitPathList(const std::string& list) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= list.size()) {
    size_t colon = list.find(':', start);
    if (colon == std::string::npos) colon = list.size();
    if (colon > start) out.push_back(list.substr(start, colon - start));
    start = colon + 1;
  }
  return out;
}

int ConnectDeviceSocket(const std::string& path, uint16_t* vendorId, uint16_t* productId) {
  sockaddr_un addr{};
  if (path.size() >= sizeof addr.sun_path) return -1;
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      WaitFor(fd, POLLIN, kHelloTimeoutMs) != 1) {
    close(fd);
    return -1;
  }
  uint8_t hello[8];
  ssize_t n = recv(fd, hello, sizeof hello, 0);
  if (n != 4) {
    close(fd);
    return -1;
  }
  *vendorId = GetU16Le(hello);
  *productId = GetU16Le(hello + 2);
  return fd;
}

std::vector<HidDeviceInfo> SocketBackend::Enumerate() {
  std::vector<HidDeviceInfo> out;
  for (const std::string& path : paths_) {
    uint16_t vid = 0, pid = 0;
    int fd = ConnectDeviceSocket(path, &vid, &pid);
    if (fd < 0) continue;  // not there (or restarting): not present
    close(fd);
    out.push_back({vid, pid, path});
  }
  return out;
}

std::unique_ptr<HidHandle> SocketBackend::Open(const std::string& path) {
  uint16_t vid = 0, pid = 0;
  int fd = ConnectDeviceSocket(path, &vid, &pid);
  if (fd < 0) return nullptr;
  return std::make_unique<SocketHandle>(fd);
}

}  // namespace orven::link
