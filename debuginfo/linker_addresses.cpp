#include "debuginfo/linker_addresses.h"

#include <array>

#include "debuginfo/cdb_parser.h"
#include "debuginfo/record_cursor.h"

namespace orven::debuginfo {
namespace {

// Up to N whitespace-separated words of a line; further words are dropped. Returns how many it found.
template <size_t N>
size_t Words(std::string_view line, std::array<std::string_view, N>& out) {
  size_t count = 0;
  size_t pos = 0;
  while (count < N) {
    pos = line.find_first_not_of(" \t\r", pos);
    if (pos == std::string_view::npos) break;
    size_t end = line.find_first_of(" \t\r", pos);
    if (end == std::string_view::npos) end = line.size();
    out[count++] = line.substr(pos, end - pos);
    pos = end;
  }
  return count;
}

bool HexWord(std::string_view word, uint32_t& out) {
  RecordCursor in(word);
  return in.Hex(out) && in.AtEnd();
}

template <typename Fn>
void ForEachLine(std::string_view text, Fn&& fn) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    if (end - pos <= kMaxRecordLength) fn(text.substr(pos, end - pos));
    pos = end + 1;
  }
}

}  // namespace

void LinkerAddresses::Add(std::string_view key, uint32_t address) {
  if (key.find('$') == std::string_view::npos) return;  // only debug keys are wanted
  addresses_[CanonicalLinkKey(key)] = address;
}

void LinkerAddresses::AddMap(std::string_view text) {
  ForEachLine(text, [this](std::string_view line) {
    std::array<std::string_view, 4> w;
    size_t n = Words(line, w);
    size_t at = (n > 0 && w[0].size() == 2 && w[0][1] == ':') ? 1 : 0;  // the area's "C:" or "D:"
    uint32_t address = 0;
    if (n >= at + 2 && w[at].size() == 8 && HexWord(w[at], address)) Add(w[at + 1], address);
  });
}

void LinkerAddresses::AddListing(std::string_view text) {
  std::string pending;
  ForEachLine(text, [&](std::string_view line) {
    std::array<std::string_view, 4> w;
    size_t n = Words(line, w);
    if (n == 0) return;
    std::string_view last = w[n - 1];
    if (last.size() > 3 && last.substr(last.size() - 3) == "==.") {
      pending = std::string(last.substr(0, last.size() - 3));
      return;
    }
    uint32_t address = 0;
    if (!pending.empty() && n == 3 && last.back() == ':' && HexWord(w[0], address)) Add(pending, address);
    pending.clear();
  });
}

std::optional<uint32_t> LinkerAddresses::Find(const std::string& canonicalKey) const {
  auto it = addresses_.find(canonicalKey);
  if (it == addresses_.end()) return std::nullopt;
  return it->second;
}

}  // namespace orven::debuginfo
