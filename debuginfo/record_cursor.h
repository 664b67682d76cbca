// A bounded reader over one record of a debug or linker file: every read knows how much text is left, so no
// record, however cut or garbled, reads past its end.
#pragma once

#include <cstdint>
#include <string_view>

namespace orven::debuginfo {

class RecordCursor {
 public:
  explicit RecordCursor(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }
  // The next character, or '\0' at the end.
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  // Consumes c when it comes next.
  bool Take(char c) {
    if (Peek() != c || AtEnd()) return false;
    ++pos_;
    return true;
  }
  // Consumes the text up to the first character of `stops` (or to the end) and returns it; the stop stays.
  std::string_view Until(std::string_view stops) {
    size_t end = text_.find_first_of(stops, pos_);
    if (end == std::string_view::npos) end = text_.size();
    std::string_view out = text_.substr(pos_, end - pos_);
    pos_ = end;
    return out;
  }
  // Consumes the text through the next c (included) and returns it; empty, consuming nothing, without one.
  std::string_view Through(char c) {
    size_t end = text_.find(c, pos_);
    if (end == std::string_view::npos) return {};
    std::string_view out = text_.substr(pos_, end + 1 - pos_);
    pos_ = end + 1;
    return out;
  }
  std::string_view Rest() const { return text_.substr(pos_ < text_.size() ? pos_ : text_.size()); }

  // Unsigned decimal of at least one digit that fits in 32 bits.
  bool Decimal(uint32_t& out) { return Number(10, out); }
  // Unsigned hexadecimal (no prefix) of at least one digit that fits in 32 bits.
  bool Hex(uint32_t& out) { return Number(16, out); }
  // Optionally signed decimal within ±2^31.
  bool SignedDecimal(int32_t& out) {
    bool negative = Take('-');
    uint32_t magnitude = 0;
    if (!Decimal(magnitude) || magnitude > (negative ? 0x80000000u : 0x7FFFFFFFu)) return false;
    out = negative ? static_cast<int32_t>(0 - magnitude) : static_cast<int32_t>(magnitude);
    return true;
  }

 private:
  bool Number(uint32_t base, uint32_t& out) {
    uint64_t value = 0;
    size_t start = pos_;
    while (!AtEnd()) {
      char c = text_[pos_];
      uint32_t digit;
      if (c >= '0' && c <= '9') {
        digit = static_cast<uint32_t>(c - '0');
      } else if (base == 16 && c >= 'A' && c <= 'F') {
        digit = static_cast<uint32_t>(c - 'A' + 10);
      } else if (base == 16 && c >= 'a' && c <= 'f') {
        digit = static_cast<uint32_t>(c - 'a' + 10);
      } else {
        break;
      }
      value = value * base + digit;
      if (value > 0xFFFFFFFFu) return false;
      ++pos_;
    }
    out = static_cast<uint32_t>(value);
    return pos_ > start;
  }

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace orven::debuginfo
