#include "tools/orvdap/fd_stream.h"

#include <unistd.h>

#include <cerrno>

namespace orven::orvdap {

long FdStream::Read(char* buffer, size_t capacity) {
  for (;;) {
    const ssize_t n = ::read(in_, buffer, capacity);
    if (n >= 0) return static_cast<long>(n);
    if (errno != EINTR) return -1;
  }
}

bool FdStream::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(out_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace orven::orvdap
