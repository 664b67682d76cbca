#include "tormik/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orven::app {
namespace {

// A settings file is a few hundred bytes; anything past this is not one and is left alone.
constexpr size_t kMaxProfileFileSize = 16 * 1024 * 1024;

enum class LineKind { kOther, kBlank, kSection, kEntry };

struct Line {
  size_t start = 0;       // first character
  size_t contentEnd = 0;  // end of the text before "\r\n" or "\n"
  size_t end = 0;         // start of the next line
  LineKind kind = LineKind::kOther;
  std::string_view name;   // section name or key, blanks removed
  std::string_view value;  // entry value, blanks and enclosing quotes removed
};

// A stray carriage return (a line ending cut in half) counts as white space like the rest.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

// Walks INI text line by line; every view points into the text.
class LineScanner {
 public:
  explicit LineScanner(std::string_view text) : text_(text) {}

  bool Next(Line& line) {
    if (pos_ >= text_.size()) return false;
    line = Line{};
    line.start = pos_;
    size_t nl = text_.find('\n', pos_);
    line.end = nl == std::string_view::npos ? text_.size() : nl + 1;
    line.contentEnd = nl == std::string_view::npos ? text_.size() : nl;
    if (line.contentEnd > line.start && text_[line.contentEnd - 1] == '\r') --line.contentEnd;
    pos_ = line.end;
    Classify(line);
    return true;
  }

 private:
  void Classify(Line& line) const {
    std::string_view s = Trim(text_.substr(line.start, line.contentEnd - line.start));
    if (s.empty()) {
      line.kind = LineKind::kBlank;
    } else if (s.front() == '[') {
      size_t close = s.find(']');
      line.kind = LineKind::kSection;
      line.name = Trim(s.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    } else if (size_t eq = s.find('='); eq != std::string_view::npos) {
      line.kind = LineKind::kEntry;
      line.name = Trim(s.substr(0, eq));
      std::string_view v = Trim(s.substr(eq + 1));
      if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
      line.value = v;
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
};

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// Reads the file whole. exists is false (and the result true) when there is no such file.
bool ReadTextFile(const std::string& path, std::string& text, bool& exists) {
  text.clear();
  exists = false;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR;
  exists = true;
  char chunk[4096];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || text.size() + static_cast<size_t>(n) > kMaxProfileFileSize) ok = false;
    if (n <= 0 || !ok) break;
    text.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  return ok;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Creates every missing directory above the file at path.
bool MakeParentDirs(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return true;
  std::string dir = path.substr(0, slash);
  for (size_t at = 1; at <= dir.size(); ++at) {
    if (at != dir.size() && dir[at] != '/') continue;
    std::string part = dir.substr(0, at);
    if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Replaces the file by text: written to a temporary file beside it and renamed over it, so an interrupted write
// leaves the old file. A symbolic link is written through instead, so it keeps pointing where it did.
bool ReplaceFile(const std::string& path, std::string_view text) {
  struct stat st {};
  bool exists = ::lstat(path.c_str(), &st) == 0;
  if (exists && S_ISLNK(st.st_mode)) {
    int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, text);
    return (::close(fd) == 0) && ok;
  }
  std::string tmp = path + ".XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) return false;
  bool ok = WriteAll(fd, text) && ::fchmod(fd, exists ? (st.st_mode & 07777) : 0644) == 0 && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(tmp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

}  // namespace

std::optional<std::string_view> FindProfileValue(std::string_view text, std::string_view section,
                                                 std::string_view key) {
  LineScanner scanner(text);
  Line line;
  bool inSection = false;
  while (scanner.Next(line)) {
    if (line.kind == LineKind::kSection)
      inSection = SameName(line.name, section);
    else if (inSection && line.kind == LineKind::kEntry && SameName(line.name, key))
      return line.value;
  }
  return std::nullopt;
}

bool SetProfileValue(std::string& text, std::string_view section, std::string_view key, std::string_view value) {
  if (section.empty() || key.empty() || HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) ||
      section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
      key.front() == '[' || Trim(key) != key || Trim(section) != section)
    return false;

  size_t firstNl = text.find('\n');
  const bool crlf = firstNl != std::string::npos && firstNl > 0 && text[firstNl - 1] == '\r';
  const std::string_view eol = crlf ? "\r\n" : "\n";

  LineScanner scanner(text);
  Line line;
  bool inSection = false;
  bool inFirstSection = false;
  bool sectionSeen = false;
  size_t insertAt = 0;  // behind the last non-blank line of the first matching section
  while (scanner.Next(line)) {
    if (line.kind == LineKind::kSection) {
      inSection = SameName(line.name, section);
      inFirstSection = inSection && !sectionSeen;
      if (inFirstSection) insertAt = line.end;
      sectionSeen = sectionSeen || inSection;
      continue;
    }
    if (!inSection) continue;
    if (line.kind == LineKind::kEntry && SameName(line.name, key)) {
      // The key keeps its spelling in the file; only the value changes.
      std::string replacement(line.name);
      replacement.append("=").append(value);
      text.replace(line.start, line.contentEnd - line.start, replacement);
      return true;
    }
    if (inFirstSection && line.kind != LineKind::kBlank) insertAt = line.end;
  }

  const bool endsWithNewline = !text.empty() && text.back() == '\n';
  std::string add;
  if (sectionSeen) {
    if (insertAt == text.size() && !text.empty() && !endsWithNewline) add += eol;
    add.append(key).append("=").append(value).append(eol);
    text.insert(insertAt, add);
    return true;
  }
  if (!text.empty()) {
    if (!endsWithNewline) add += eol;
    // A blank line between sections, unless the file already ends with one.
    std::string_view body(text.data(), text.size() - (endsWithNewline ? 1 : 0));
    size_t lastNl = body.rfind('\n');
    std::string_view last = body.substr(lastNl == std::string_view::npos ? 0 : lastNl + 1);
    if (!last.empty() && last.back() == '\r') last.remove_suffix(1);
    if (!Trim(last).empty()) add += eol;
  }
  add.append("[").append(section).append("]").append(eol);
  add.append(key).append("=").append(value).append(eol);
  text += add;
  return true;
}

size_t ReadProfileString(const std::string& path, const char* section, const char* key, const char* def,
                         char* buffer, size_t size) {
  if (size == 0) return 0;
  std::string text;
  bool exists = false;
  std::optional<std::string_view> value;
  if (section && key && ReadTextFile(path, text, exists)) value = FindProfileValue(text, section, key);
  std::string_view result = value ? *value : std::string_view(def ? def : "");
  size_t n = result.size() < size - 1 ? result.size() : size - 1;
  std::memcpy(buffer, result.data(), n);
  buffer[n] = '\0';
  return n;
}

bool WriteProfileString(const std::string& path, const char* section, const char* key, const char* value) {
  if (!section || !key || !value) return false;
  std::string text;
  bool exists = false;
  if (!ReadTextFile(path, text, exists)) return false;  // keep a file that cannot be read intact
  if (!SetProfileValue(text, section, key, value)) return false;
  if (!exists && !MakeParentDirs(path)) return false;
  return ReplaceFile(path, text);
}

}  // namespace orven::app
