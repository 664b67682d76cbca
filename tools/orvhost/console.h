// Everything orvhost prints goes through one console, so lines from the go thread (driver messages,
// breakpoint commands, "stopped") and from the command thread never interleave within a line.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

namespace orven::orvhost {

class Console {
 public:
  Console(FILE* out, FILE* err) : out_(out), err_(err) {}

  // Writes text as it is and flushes, so a reader of a pipe sees each message as it arrives.
  void Print(const std::string& text);
  // printf-style, to standard output.
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // printf-style, to standard error (orvhost's own complaints).
  void Error(const char* format, ...) __attribute__((format(printf, 2, 3)));

 private:
  std::mutex mutex_;
  FILE* out_;
  FILE* err_;
};

}  // namespace orven::orvhost
