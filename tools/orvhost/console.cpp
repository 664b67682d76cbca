#include "tools/orvhost/console.h"

#include <cstdarg>

namespace orven::orvhost {

namespace {

std::string Format(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  std::vsnprintf(out.data(), out.size() + 1, format, args);
  return out;
}

}  // namespace

void Console::WriteLocked(const std::string& text) {
  if (text.empty()) return;
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fflush(out_);
  atLineStart_ = text.back() == '\n';
}

void Console::Print(const std::string& text) {
  std::lock_guard lock(mutex_);
  if (!atLineStart_ && !text.empty()) WriteLocked("\n");
  WriteLocked(text);
}

void Console::EndLine() {
  std::lock_guard lock(mutex_);
  if (!atLineStart_) WriteLocked("\n");
}

void Console::Raw(const std::string& text) {
  std::lock_guard lock(mutex_);
  WriteLocked(text);
}

void Console::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = Format(format, args);
  va_end(args);
  Print(text);
}

void Console::Error(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = Format(format, args);
  va_end(args);
  std::lock_guard lock(mutex_);
  if (!atLineStart_) WriteLocked("\n");
  std::fwrite(text.data(), 1, text.size(), err_);
  std::fflush(err_);
}

}  // namespace orven::orvhost
