// Reads the editor's messages off a byte stream. Each message is a header of "Name: value" lines, each ended
// by CR LF, an empty line, then exactly Content-Length bytes of UTF-8 JSON:
//
//   Content-Length: 119\r\n
//   \r\n
//   {"seq":1,"type":"request","command":"initialize",...}
//
// Header and body sizes are bounded. A malformed message is reported as an error the server can answer, and
// the reader carries on with the next message where the framing allows it to find one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "tools/orvdap/byte_stream.h"

namespace orven::orvdap {

struct ReaderLimits {
  size_t maxHeaderBytes = 1024;             // the whole header, its closing empty line included
  size_t maxBodyBytes = 16 * 1024 * 1024;   // a writeMemory of 64 KiB is about 88 KB of base64
  size_t maxNesting = 64;                   // arrays and objects inside each other
};

enum class FrameError {
  kNone,
  kHeaderTooLong,     // no empty line within maxHeaderBytes
  kBadHeaderLine,     // a header line without "Name:"
  kNoContentLength,   // the header names no Content-Length
  kBadContentLength,  // not a decimal number, or two that differ
  kBodyTooLarge,      // over maxBodyBytes: the body is skipped unread
  kBadJson,           // the body is not JSON
  kTooDeep,           // nested deeper than maxNesting
  kNotAnObject,       // JSON, but not an object
  kTruncated,         // the stream ended inside a message
};

enum class ReadStatus {
  kMessage,    // `message` holds one JSON object
  kMalformed,  // `error` and `detail` say what was wrong; reading may go on
  kNeedMore,   // (Next only) the bytes appended so far hold no complete message
  kEnd,        // (Read only) the stream has ended; every later Read says the same
};

struct ReadResult {
  ReadStatus status = ReadStatus::kNeedMore;
  nlohmann::json message;
  FrameError error = FrameError::kNone;
  std::string detail;  // the offending header line or the JSON parser's complaint, at most kMaxDetail bytes
};

class MessageReader {
 public:
  static constexpr size_t kMaxDetail = 120;

  explicit MessageReader(ReaderLimits limits = {}) : limits_(limits) {}

  // Adds bytes received from the editor.
  void Append(std::string_view bytes);
  // The next message, or the next fault, from the bytes appended so far.
  ReadResult Next();
  // Blocks on `in` until a message or a fault is complete. When `in` closes (or fails) between messages the
  // result is kEnd; inside a message it is kTruncated once, then kEnd.
  ReadResult Read(ByteStream& in);

 private:
  enum class State { kHeader, kBody, kSkipBody, kSkipHeader };

  size_t Buffered() const { return buffer_.size() - pos_; }
  void Consume(size_t count);
  ReadResult ParseHeader(std::string_view header);
  ReadResult ParseBody(std::string_view body) const;

  ReaderLimits limits_;
  std::string buffer_;
  size_t pos_ = 0;  // bytes of buffer_ already taken
  State state_ = State::kHeader;
  size_t bodyLength_ = 0;  // kBody: the body's length; kSkipBody: what is left to skip
  bool ended_ = false;
};

}  // namespace orven::orvdap
