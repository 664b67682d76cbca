// A ByteStream over two POSIX file descriptors (standard input and output by default). The descriptors stay
// owned by the caller.
#pragma once

#include "tools/orvdap/byte_stream.h"

namespace orven::orvdap {

class FdStream : public ByteStream {
 public:
  FdStream(int in, int out) : in_(in), out_(out) {}

  long Read(char* buffer, size_t capacity) override;
  bool Write(std::string_view bytes) override;

 private:
  int in_;
  int out_;
};

}  // namespace orven::orvdap
