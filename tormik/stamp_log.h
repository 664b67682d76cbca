// The record of every serial number given out, and the one place that gives them out. Each number goes into
// the log as "issued" before its chip is written, then once more as "good" or "spoiled" when the chip's run
// ends, so a later run — even after a crash — continues after the highest number the log holds.
//
// Log file: CSV, one line per entry, after a header line:
//   time,programmer,chip,number,result
//   2026-12-08T10:31:02Z,01AB007F,AT89S52 [ZIF],1001,issued
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "tormik/stamp.h"

namespace orven::app {

inline constexpr char kStampLogHeader[] = "time,programmer,chip,number,result";

// The highest number in a log's text. Empty lines and the header line are skipped; any other line must hold a
// number in its fourth field. On false, *badLine is the 1-based number of the first line that does not.
// Lines longer than kMaxStampLogLine count as unreadable.
inline constexpr size_t kMaxStampLogLine = 1024;
bool HighestLoggedNumber(std::string_view text, std::optional<uint64_t>* highest, size_t* badLine);

// One CSV line (without its newline) of the fields, quoting those that need it.
std::string StampLogLine(const std::string& time, const std::string& programmer, const std::string& chip,
                         uint64_t number, const char* result);

// Gives out the numbers of one run. Thread-safe: the workers of a gang issue and record at once.
class StampIssuer {
 public:
  explicit StampIssuer(const StampSpec& spec) : spec_(spec), next_(spec.start) {}
  ~StampIssuer();
  StampIssuer(const StampIssuer&) = delete;
  StampIssuer& operator=(const StampIssuer&) = delete;

  // Reads the log at path (a missing or empty file is a new log), continues after its highest number, and
  // keeps the file open and locked to append to. False, with *error, when it cannot be read or written, or
  // another run holds it.
  bool OpenLog(const std::string& path, std::string* error);

  // The next number, logged as "issued" for the programmer and chip. False when the numbers are used up (the
  // next one would not fit the stamp) or the log cannot be written.
  bool Issue(const std::string& programmer, const std::string& chip, uint64_t* number, std::string* error);
  // Logs the chip's outcome: "good", or "spoiled" (the number is never given out again).
  void Record(const std::string& programmer, const std::string& chip, uint64_t number, bool good);

  const StampSpec& Spec() const { return spec_; }

 private:
  bool WriteLocked(const std::string& programmer, const std::string& chip, uint64_t number, const char* result);

  const StampSpec spec_;
  std::mutex mutex_;
  uint64_t next_;
  bool usedUp_ = false;
  FILE* log_ = nullptr;
};

}  // namespace orven::app
