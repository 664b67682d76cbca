// A ByteStream for tests: Read hands out the given chunks one per call, then reports the end; everything
// written is kept.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "tools/orvdap/byte_stream.h"

namespace orven::orvdap {

class ChunkStream : public ByteStream {
 public:
  explicit ChunkStream(std::vector<std::string> chunks) : chunks_(std::move(chunks)) {}

  long Read(char* buffer, size_t capacity) override {
    if (next_ == chunks_.size()) return 0;
    std::string& chunk = chunks_[next_];
    const size_t n = std::min(capacity, chunk.size());
    std::memcpy(buffer, chunk.data(), n);
    chunk.erase(0, n);
    if (chunk.empty()) ++next_;
    return static_cast<long>(n);
  }
  bool Write(std::string_view bytes) override {
    if (failWrites_) return false;
    written_.append(bytes);
    return true;
  }

  std::string written_;
  bool failWrites_ = false;

 private:
  std::vector<std::string> chunks_;
  size_t next_ = 0;
};

inline std::string Framed(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace orven::orvdap
