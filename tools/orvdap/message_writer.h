// Writes messages to the editor, each framed as "Content-Length: N\r\n\r\n" and N bytes of JSON. Responses
// come from the request loop and events from the go thread, so sending is serialised here, and each message
// gets its sequence number under the same lock that writes it: the editor sees them strictly ascending.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

#include "tools/orvdap/byte_stream.h"

namespace orven::orvdap {

class MessageWriter {
 public:
  explicit MessageWriter(ByteStream& out) : out_(out) {}

  // Sets "seq" to the next sequence number (1, 2, ...) and writes the framed message. False when the editor
  // is gone; every later Send is then false as well. Safe to call from any thread.
  bool Send(nlohmann::json message);

  // The framed bytes of one message. Text that is not valid UTF-8 (a driver message in a legacy code page, a
  // byte of a malformed request quoted back) is sent with U+FFFD in its place rather than failing.
  static std::string Frame(const nlohmann::json& message);

  // True once a write has failed.
  bool Broken();

 private:
  std::mutex mutex_;
  ByteStream& out_;
  int64_t nextSeq_ = 1;
  bool broken_ = false;
};

}  // namespace orven::orvdap
