#include "tormik/stamp.h"

#include <strings.h>

#include <cstring>
#include <limits>
#include <vector>

namespace orven::app {
namespace {

// Decimal, or hexadecimal after 0x; no sign, no blanks, no overflow.
bool ParseU64(std::string_view s, uint64_t* out) {
  unsigned base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return false;
  uint64_t v = 0;
  for (char c : s) {
    unsigned d;
    if (c >= '0' && c <= '9') {
      d = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      d = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      d = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    if (v > (std::numeric_limits<uint64_t>::max() - d) / base) return false;
    v = v * base + d;
  }
  *out = v;
  return true;
}

uint64_t DecimalMax(uint32_t digits) {
  if (digits >= 20) return std::numeric_limits<uint64_t>::max();
  uint64_t v = 1;
  for (uint32_t i = 0; i < digits; ++i) v *= 10;
  return v - 1;
}

uint32_t MaxBytes(StampFormat format) {
  switch (format) {
    case StampFormat::kBcd: return 10;
    case StampFormat::kAscii: return 20;
    default: return 8;
  }
}

}  // namespace

bool ParseStampSpec(std::string_view text, StampSpec* spec, std::string* error) {
  if (text.size() > kMaxStampSpec) {
    *error = "the stamp is longer than " + std::to_string(kMaxStampSpec) + " characters";
    return false;
  }
  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    const size_t colon = text.find(':', start);
    parts.push_back(text.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start));
    if (colon == std::string_view::npos || parts.size() > 5) break;
    start = colon + 1;
  }
  StampSpec s;
  static const std::pair<const char*, StampFormat> kFormats[] = {
      {"le", StampFormat::kLe}, {"be", StampFormat::kBe}, {"bcd", StampFormat::kBcd}, {"ascii", StampFormat::kAscii}};
  for (const auto& [name, format] : kFormats) {
    if (parts.size() > 2 && parts.back().size() == std::strlen(name) &&
        strncasecmp(parts.back().data(), name, parts.back().size()) == 0) {
      s.format = format;
      parts.pop_back();
      break;
    }
  }
  if (parts.size() < 2 || parts.size() > 4) {
    *error = "the stamp takes ADDR:BYTES[:START[:STEP]][:le|be|bcd|ascii]";
    return false;
  }
  uint64_t address = 0;
  uint64_t bytes = 0;
  if (!ParseU64(parts[0], &address) || address > 0xFFFFFFFFu) {
    *error = "the stamp's address is not a number";
    return false;
  }
  if (!ParseU64(parts[1], &bytes) || bytes < 1 || bytes > MaxBytes(s.format)) {
    *error = "the stamp takes 1 to " + std::to_string(MaxBytes(s.format)) + " bytes in this format";
    return false;
  }
  s.address = static_cast<uint32_t>(address);
  s.bytes = static_cast<uint32_t>(bytes);
  if (parts.size() > 2 && !ParseU64(parts[2], &s.start)) {
    *error = "the stamp's first number is not a number";
    return false;
  }
  if (parts.size() > 3 && (!ParseU64(parts[3], &s.step) || s.step == 0)) {
    *error = "the stamp's step is not a number from 1";
    return false;
  }
  if (s.start > StampMax(s)) {
    *error = "the stamp's first number does not fit in " + std::to_string(s.bytes) + " bytes";
    return false;
  }
  *spec = s;
  return true;
}

uint64_t StampMax(const StampSpec& spec) {
  switch (spec.format) {
    case StampFormat::kBcd: return DecimalMax(spec.bytes * 2);
    case StampFormat::kAscii: return DecimalMax(spec.bytes);
    default:
      return spec.bytes >= 8 ? std::numeric_limits<uint64_t>::max() : (uint64_t{1} << (8 * spec.bytes)) - 1;
  }
}

bool EncodeStamp(const StampSpec& spec, uint64_t number, uint8_t* dest) {
  if (number > StampMax(spec)) return false;
  const uint32_t n = spec.bytes;
  uint64_t v = number;
  for (uint32_t i = 0; i < n; ++i) {
    // Fill from the least significant end.
    switch (spec.format) {
      case StampFormat::kLe:
        dest[i] = static_cast<uint8_t>(v);
        v >>= 8;
        break;
      case StampFormat::kBe:
        dest[n - 1 - i] = static_cast<uint8_t>(v);
        v >>= 8;
        break;
      case StampFormat::kBcd:
        dest[n - 1 - i] = static_cast<uint8_t>((v % 10) | ((v / 10 % 10) << 4));
        v /= 100;
        break;
      case StampFormat::kAscii:
        dest[n - 1 - i] = static_cast<uint8_t>('0' + v % 10);
        v /= 10;
        break;
    }
  }
  return true;
}

}  // namespace orven::app
