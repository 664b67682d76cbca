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

  // orvhost's own output: starts on a fresh line (a driver text may have left one open) and is flushed, so a
  // reader of a pipe sees each message as it arrives.
  void Print(const std::string& text);
  // A driver text, exactly as it came (some end without a line break).
  void Raw(const std::string& text);
  // Ends a line a driver text left open (at exit).
  void EndLine();
  // printf-style, to standard output.
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // printf-style, to standard error (orvhost's own complaints).
  void Error(const char* format, ...) __attribute__((format(printf, 2, 3)));

 private:
  void WriteLocked(const std::string& text);

  std::mutex mutex_;
  bool atLineStart_ = true;
  FILE* out_;
  FILE* err_;
};

}  // namespace orven::orvhost
