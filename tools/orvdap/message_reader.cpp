#include "tools/orvdap/message_reader.h"

#include <algorithm>
#include <cctype>

namespace orven::orvdap {
namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr std::string_view kLineEnd = "\r\n";
// Ten digits would already pass any body limit we accept; more cannot be a real length.
constexpr size_t kMaxLengthDigits = 10;

ReadResult Fault(FrameError error, std::string_view detail = {}) {
  ReadResult r;
  r.status = ReadStatus::kMalformed;
  r.error = error;
  r.detail.assign(detail.substr(0, MessageReader::kMaxDetail));
  return r;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// How deeply arrays and objects nest in `text`, counted outside strings, stopping once past `limit`. The JSON
// parser itself keeps its own stack, but printing or copying a value recurses, so depth is bounded up front.
bool NestingWithin(std::string_view text, size_t limit) {
  size_t depth = 0;
  bool inString = false;
  bool escaped = false;
  for (char c : text) {
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return false;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return true;
}

}  // namespace

void MessageReader::Append(std::string_view bytes) {
  // Drop what was taken once it is the larger part, so a long session does not grow the buffer.
  if (pos_ > 0 && pos_ >= buffer_.size() / 2) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  buffer_.append(bytes);
}

void MessageReader::Consume(size_t count) { pos_ += count; }

ReadResult MessageReader::Next() {
  for (;;) {
    const std::string_view pending = std::string_view(buffer_).substr(pos_);
    switch (state_) {
      case State::kHeader: {
        const size_t end = pending.find(kHeaderEnd);
        if (end == std::string_view::npos || end + kHeaderEnd.size() > limits_.maxHeaderBytes) {
          if (end == std::string_view::npos && pending.size() < limits_.maxHeaderBytes) return {};
          // Too long to be a header: look for the end of it and start again after.
          state_ = State::kSkipHeader;
          return Fault(FrameError::kHeaderTooLong, pending.substr(0, pending.find(kLineEnd)));
        }
        const std::string_view header = pending.substr(0, end);
        Consume(end + kHeaderEnd.size());
        ReadResult r = ParseHeader(header);
        if (r.status != ReadStatus::kNeedMore) return r;
        break;
      }
      case State::kBody: {
        if (pending.size() < bodyLength_) return {};
        const std::string_view body = pending.substr(0, bodyLength_);
        Consume(bodyLength_);
        state_ = State::kHeader;
        return ParseBody(body);
      }
      case State::kSkipBody: {
        const size_t n = std::min(pending.size(), bodyLength_);
        Consume(n);
        bodyLength_ -= n;
        if (bodyLength_ > 0) return {};
        state_ = State::kHeader;
        break;
      }
      case State::kSkipHeader: {
        const size_t end = pending.find(kHeaderEnd);
        if (end == std::string_view::npos) {
          // Keep the last bytes: they may be the start of the empty line.
          Consume(pending.size() - std::min(pending.size(), kHeaderEnd.size() - 1));
          return {};
        }
        Consume(end + kHeaderEnd.size());
        state_ = State::kHeader;
        break;
      }
    }
  }
}

ReadResult MessageReader::ParseHeader(std::string_view header) {
  bool haveLength = false;
  size_t length = 0;
  while (true) {
    const size_t eol = header.find(kLineEnd);
    const std::string_view line = header.substr(0, eol);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || Trim(line.substr(0, colon)).empty()) {
      return Fault(FrameError::kBadHeaderLine, line);
    }
    // Other fields (Content-Type) are allowed and ignored.
    if (SameNameIgnoringCase(Trim(line.substr(0, colon)), "Content-Length")) {
      const std::string_view value = Trim(line.substr(colon + 1));
      if (value.empty() || value.size() > kMaxLengthDigits ||
          !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return Fault(FrameError::kBadContentLength, line);
      }
      size_t v = 0;
      for (char c : value) v = v * 10 + static_cast<size_t>(c - '0');
      if (haveLength && v != length) return Fault(FrameError::kBadContentLength, line);
      haveLength = true;
      length = v;
    }
    if (eol == std::string_view::npos) break;
    header.remove_prefix(eol + kLineEnd.size());
  }
  if (!haveLength) return Fault(FrameError::kNoContentLength);
  bodyLength_ = length;
  if (length > limits_.maxBodyBytes) {
    // The editor did send that many bytes: skipping them keeps the next message in step.
    state_ = State::kSkipBody;
    return Fault(FrameError::kBodyTooLarge, std::to_string(length));
  }
  state_ = State::kBody;
  return {};
}

ReadResult MessageReader::ParseBody(std::string_view body) const {
  if (!NestingWithin(body, limits_.maxNesting)) return Fault(FrameError::kTooDeep);
  ReadResult r;
  try {
    r.message = nlohmann::json::parse(body);
  } catch (const nlohmann::json::parse_error& e) {
    // The parser's words without its "[json.exception.parse_error.101] " tag.
    std::string_view what = e.what();
    if (const size_t tag = what.find("] "); tag != std::string_view::npos) what.remove_prefix(tag + 2);
    return Fault(FrameError::kBadJson, what);
  }
  if (!r.message.is_object()) return Fault(FrameError::kNotAnObject, std::string(r.message.type_name()));
  r.status = ReadStatus::kMessage;
  return r;
}

ReadResult MessageReader::Read(ByteStream& in) {
  char chunk[4096];
  for (;;) {
    if (ended_) {
      ReadResult r;
      r.status = ReadStatus::kEnd;
      return r;
    }
    ReadResult r = Next();
    if (r.status != ReadStatus::kNeedMore) return r;
    const long n = in.Read(chunk, sizeof chunk);
    if (n <= 0) {
      ended_ = true;
      // Bytes of a message, or a body still being skipped, mean the editor went away mid-message.
      if (Buffered() > 0 || state_ == State::kBody || state_ == State::kSkipBody) {
        return Fault(FrameError::kTruncated);
      }
      continue;
    }
    Append(std::string_view(chunk, static_cast<size_t>(n)));
  }
}

}  // namespace orven::orvdap
