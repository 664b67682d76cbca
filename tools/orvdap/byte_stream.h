// The byte pipe a debug adapter talks over: the editor's standard input and output, or later a socket.
#pragma once

#include <cstddef>
#include <string_view>

namespace orven::orvdap {

class ByteStream {
 public:
  virtual ~ByteStream() = default;

  // Blocks until some bytes arrive and copies at most `capacity` of them into `buffer`. Returns how many,
  // 0 once the other side has closed, -1 on a failure of the pipe itself (also final).
  virtual long Read(char* buffer, size_t capacity) = 0;
  // Writes all of `bytes`. False when the other side is gone; nothing is retried.
  virtual bool Write(std::string_view bytes) = 0;
};

}  // namespace orven::orvdap
