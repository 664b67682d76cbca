#include "tormik/stamp_log.h"

#include <sys/file.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <limits>
#include <vector>

namespace orven::app {
namespace {

// Splits one CSV line into fields; quoted fields may hold commas and doubled quotes. False on a quote that
// does not close.
bool SplitCsv(std::string_view line, std::vector<std::string>* fields) {
  fields->assign(1, {});
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields->back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields->back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields->emplace_back();
    } else {
      fields->back() += c;
    }
  }
  return !quoted;
}

bool Decimal(const std::string& s, uint64_t* out) {
  if (s.empty() || s.size() > 20) return false;
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    const uint64_t d = static_cast<uint64_t>(c - '0');
    if (v > (std::numeric_limits<uint64_t>::max() - d) / 10) return false;
    v = v * 10 + d;
  }
  *out = v;
  return true;
}

std::string Quoted(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string out = "\"";
  for (char c : field) {
    if (c == '"') out += '"';
    // A line break would end the record early; the log keeps one entry a line.
    out += (c == '\r' || c == '\n') ? ' ' : c;
  }
  return out + "\"";
}

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm tm {};
  gmtime_r(&now, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return text;
}

}  // namespace

bool HighestLoggedNumber(std::string_view text, std::optional<uint64_t>* highest, size_t* badLine) {
  highest->reset();
  size_t lineNo = 0;
  std::vector<std::string> fields;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line == kStampLogHeader) continue;
    uint64_t number = 0;
    if (line.size() > kMaxStampLogLine || !SplitCsv(line, &fields) || fields.size() != 5 ||
        !Decimal(fields[3], &number)) {
      *badLine = lineNo;
      return false;
    }
    if (!*highest || number > **highest) *highest = number;
  }
  return true;
}

std::string StampLogLine(const std::string& time, const std::string& programmer, const std::string& chip,
                         uint64_t number, const char* result) {
  return Quoted(time) + "," + Quoted(programmer) + "," + Quoted(chip) + "," + std::to_string(number) + "," + result;
}

StampIssuer::~StampIssuer() {
  if (log_ != nullptr) std::fclose(log_);
}

bool StampIssuer::OpenLog(const std::string& path, std::string* error) {
  // Opened for appending (created when missing) and locked for the whole run before it is read: a second run
  // on the same log at the same time would give out the same numbers.
  FILE* f = std::fopen(path.c_str(), "a+b");
  if (f == nullptr) {
    *error = "cannot open the stamp log '" + path + "': " + std::strerror(errno);
    return false;
  }
  if (::flock(fileno(f), LOCK_EX | LOCK_NB) != 0) {
    *error = "the stamp log '" + path + "' is in use by another run";
    std::fclose(f);
    return false;
  }
  std::string text;
  std::rewind(f);
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
  if (std::ferror(f) != 0) {
    *error = "cannot read the stamp log '" + path + "'";
    std::fclose(f);
    return false;
  }
  std::optional<uint64_t> highest;
  size_t badLine = 0;
  if (!HighestLoggedNumber(text, &highest, &badLine)) {
    *error = "line " + std::to_string(badLine) + " of the stamp log '" + path +
             "' is not time,programmer,chip,number,result: the numbers it gave out are unknown";
    std::fclose(f);
    return false;
  }
  std::lock_guard lock(mutex_);
  if (highest && *highest >= next_) {
    if (*highest > std::numeric_limits<uint64_t>::max() - spec_.step) {
      usedUp_ = true;
    } else {
      next_ = *highest + spec_.step;
    }
  }
  log_ = f;
  if (text.empty()) {
    std::fprintf(log_, "%s\n", kStampLogHeader);
    std::fflush(log_);
  }
  return true;
}

bool StampIssuer::Issue(const std::string& programmer, const std::string& chip, uint64_t* number, std::string* error) {
  std::lock_guard lock(mutex_);
  if (usedUp_ || next_ > StampMax(spec_)) {
    *error = "the stamp's numbers are used up: the next one does not fit in " + std::to_string(spec_.bytes) + " bytes";
    return false;
  }
  if (!WriteLocked(programmer, chip, next_, "issued")) {
    *error = "the stamp log cannot be written";
    return false;
  }
  *number = next_;
  if (next_ > std::numeric_limits<uint64_t>::max() - spec_.step) {
    usedUp_ = true;
  } else {
    next_ += spec_.step;
  }
  return true;
}

void StampIssuer::Record(const std::string& programmer, const std::string& chip, uint64_t number, bool good) {
  std::lock_guard lock(mutex_);
  WriteLocked(programmer, chip, number, good ? "good" : "spoiled");
}

bool StampIssuer::WriteLocked(const std::string& programmer, const std::string& chip, uint64_t number,
                              const char* result) {
  if (log_ == nullptr) return true;
  const std::string line = StampLogLine(UtcNow(), programmer, chip, number, result) + "\n";
  return std::fwrite(line.data(), 1, line.size(), log_) == line.size() && std::fflush(log_) == 0;
}

}  // namespace orven::app
