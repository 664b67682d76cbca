#include "link/hidapi_backend.h"

#include <fcntl.h>
#include <hidapi/hidapi.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace orven::link {
namespace {

using SteadyTime = std::chrono::steady_clock;

// Milliseconds left until deadline, at least 0.
int RemainingMs(SteadyTime::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyTime::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for events on fd until the deadline. 1 ready, 0 time-out, -1 error or hang-up without the event.
int WaitFor(int fd, short events, SteadyTime::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, RemainingMs(deadline));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) return 0;
    if (p.revents & events) return 1;
    return -1;  // POLLERR, POLLHUP or POLLNVAL: the device left
  }
}

}  // namespace

HidrawHandle::HidrawHandle(int fd) : fd_(fd) {
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags >= 0) ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
}

HidrawHandle::~HidrawHandle() {
  if (fd_ >= 0) ::close(fd_);
}

TransferResult HidrawHandle::Write(const uint8_t* report, size_t length, uint32_t timeoutMs) {
  if (length < 1) return TransferResult::kError;
  const auto deadline = SteadyTime::now() + std::chrono::milliseconds(timeoutMs);
  // hidraw takes the report id as the first byte of every write (0 for a device without numbered reports).
  for (;;) {
    const ssize_t n = ::write(fd_, report, length);
    if (n == static_cast<ssize_t>(length)) return TransferResult::kOk;
    if (n >= 0) return TransferResult::kError;  // a report is never taken in part
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return TransferResult::kError;
    // The device has not taken the previous reports yet. Nothing of this one went out, so giving up at the
    // deadline leaves no transfer behind.
    const int ready = WaitFor(fd_, POLLOUT, deadline);
    if (ready == 0) return TransferResult::kTimeout;
    if (ready < 0) return TransferResult::kError;
  }
}

TransferResult HidrawHandle::Read(uint8_t* report, size_t length, uint32_t timeoutMs, size_t* got) {
  *got = 0;
  if (length < 2) return TransferResult::kError;
  const auto deadline = SteadyTime::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    // hidraw delivers the payload alone when the report id is 0; it goes behind byte 0 of a 65-byte report.
    const ssize_t n = ::read(fd_, report + 1, length - 1);
    if (n > 0) {
      report[0] = 0;
      *got = static_cast<size_t>(n) + 1;
      return TransferResult::kOk;
    }
    if (n == 0) return TransferResult::kError;  // the node went away
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return TransferResult::kError;
    const int ready = WaitFor(fd_, POLLIN, deadline);
    if (ready == 0) return TransferResult::kTimeout;
    if (ready < 0) return TransferResult::kError;
  }
}

bool HidrawHandle::Purge() {
  uint8_t scratch[65];
  for (int i = 0; i < 1024; ++i) {  // bounded: a device streaming reports cannot hold us here
    const ssize_t n = ::read(fd_, scratch, sizeof scratch);
    if (n > 0) continue;
    if (n < 0 && errno == EINTR) continue;
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
  return true;
}

HidapiBackend::HidapiBackend() { hid_init(); }

HidapiBackend::~HidapiBackend() { hid_exit(); }

std::vector<HidDeviceInfo> HidapiBackend::Enumerate() {
  // Enumeration reads the devices' descriptions from sysfs, so it lists a programmer even when its node
  // cannot be opened.
  std::vector<HidDeviceInfo> out;
  hid_device_info* list = hid_enumerate(0, 0);
  for (hid_device_info* d = list; d != nullptr; d = d->next) {
    out.push_back({d->vendor_id, d->product_id, d->path ? d->path : ""});
  }
  hid_free_enumeration(list);
  return out;
}

std::unique_ptr<HidHandle> HidapiBackend::Open(const std::string& path) {
  deniedPath_.clear();
  const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == EACCES || errno == EPERM) deniedPath_ = path;
    return nullptr;
  }
  return std::make_unique<HidrawHandle>(fd);
}

}  // namespace orven::link
