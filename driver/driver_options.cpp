#include "driver/driver_options.h"

#include <cstdio>
#include <cstring>

namespace orven::driver {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Reads a number the way "%d" does from text[pos...]: white space, a sign, digits. False when no digit came
// or the value does not fit 32 bits.
bool ReadNumber(std::string_view text, size_t pos, int32_t* value) {
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  int64_t magnitude = 0;
  bool digits = false;
  bool overflow = false;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    digits = true;
    if (!overflow) {
      magnitude = magnitude * 10 + (text[pos] - '0');
      if (magnitude > int64_t{INT32_MAX} + 1) overflow = true;
    }
  }
  if (!digits || overflow) return false;
  int64_t result = negative ? -magnitude : magnitude;
  if (result > INT32_MAX || result < INT32_MIN) return false;
  *value = static_cast<int32_t>(result);
  return true;
}

}  // namespace

void ParseOptions(DriverOptions& options, std::string_view text) {
  options.e.store(kDefaultE);
  options.f.store(kDefaultF);
  size_t pos = 0;
  while (true) {
    size_t dash = text.find('-', pos);
    if (dash == std::string_view::npos || dash + 1 >= text.size()) return;
    size_t letter = dash + 1;
    std::atomic<int32_t>* target = nullptr;
    switch (text[letter]) {
      case 'E': target = &options.e; break;
      case 'F': target = &options.f; break;
      case 'V': target = &options.v; break;
      case 'C': target = &options.c; break;
      default: break;
    }
    int32_t value = 0;
    if (target != nullptr && ReadNumber(text, letter + 1, &value)) target->store(value);
    pos = letter;
  }
}

void ParseOptionsText(DriverOptions& options, const char* text) {
  if (text == nullptr) {
    ParseOptions(options, {});
    return;
  }
  ParseOptions(options, std::string_view(text, strnlen(text, kOptionTextReadLimit)));
}

std::string FormatOptions(const DriverOptions& options) {
  char text[kOptionTextSize];
  FormatOptionsInto(options, text);
  return text;
}

void FormatOptionsInto(const DriverOptions& options, char* out) {
  if (out == nullptr) return;
  // Four 32-bit values with their letters fit in 55 characters.
  std::snprintf(out, kOptionTextSize, "-E%d -F%d -V%d -C%d", options.e.load(), options.f.load(), options.v.load(),
                options.c.load());
}

}  // namespace orven::driver
