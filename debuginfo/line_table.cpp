#include "debuginfo/line_table.h"

#include <algorithm>

namespace orven::debuginfo {

void LineTable::Finish() {
  std::stable_sort(byAddress_.begin(), byAddress_.end(),
                   [](const LineRecord& a, const LineRecord& b) { return a.address < b.address; });
  byLine_.resize(byAddress_.size());
  for (uint32_t i = 0; i < byLine_.size(); ++i) byLine_[i] = i;
  std::sort(byLine_.begin(), byLine_.end(), [this](uint32_t a, uint32_t b) {
    const LineRecord& x = byAddress_[a];
    const LineRecord& y = byAddress_[b];
    if (x.file != y.file) return x.file < y.file;
    if (x.line != y.line) return x.line < y.line;
    return x.address < y.address;
  });
}

const LineRecord* LineTable::At(uint32_t pc, std::optional<uint32_t> begin, std::optional<uint32_t> end) const {
  auto after = std::upper_bound(byAddress_.begin(), byAddress_.end(), pc,
                                [](uint32_t value, const LineRecord& r) { return value < r.address; });
  if (after == byAddress_.begin()) return nullptr;
  uint32_t address = (after - 1)->address;
  bool fits = (begin && end) ? (pc <= *end && address >= *begin) : address == pc;
  if (!fits) return nullptr;
  return &*std::lower_bound(byAddress_.begin(), after, address,
                            [](const LineRecord& r, uint32_t value) { return r.address < value; });
}

std::vector<uint32_t> LineTable::AddressesOf(uint32_t file, uint32_t line) const {
  auto first = std::lower_bound(byLine_.begin(), byLine_.end(), std::pair(file, line),
                                [this](uint32_t i, const std::pair<uint32_t, uint32_t>& key) {
                                  return std::pair(byAddress_[i].file, byAddress_[i].line) < key;
                                });
  std::vector<uint32_t> out;
  for (auto it = first; it != byLine_.end() && byAddress_[*it].file == file && byAddress_[*it].line == line; ++it) {
    if (out.empty() || out.back() != byAddress_[*it].address) out.push_back(byAddress_[*it].address);
  }
  return out;
}

std::vector<uint32_t> LineTable::LinesOf(uint32_t file) const {
  std::vector<uint32_t> out;
  for (uint32_t i : byLine_) {
    const LineRecord& r = byAddress_[i];
    if (r.file == file && (out.empty() || out.back() != r.line)) out.push_back(r.line);
  }
  return out;
}

std::optional<uint32_t> LineTable::NextLineWithCode(uint32_t file, uint32_t line) const {
  auto first = std::lower_bound(byLine_.begin(), byLine_.end(), std::pair(file, line),
                                [this](uint32_t i, const std::pair<uint32_t, uint32_t>& key) {
                                  return std::pair(byAddress_[i].file, byAddress_[i].line) < key;
                                });
  if (first == byLine_.end() || byAddress_[*first].file != file) return std::nullopt;
  return byAddress_[*first].line;
}

const LineRecord* LineTable::FirstIn(uint32_t begin, uint32_t end) const {
  auto it = std::lower_bound(byAddress_.begin(), byAddress_.end(), begin,
                             [](const LineRecord& r, uint32_t value) { return r.address < value; });
  return (it != byAddress_.end() && it->address <= end) ? &*it : nullptr;
}

const LineRecord* LineTable::LastIn(uint32_t begin, uint32_t end) const {
  auto after = std::upper_bound(byAddress_.begin(), byAddress_.end(), end,
                                [](uint32_t value, const LineRecord& r) { return value < r.address; });
  if (after == byAddress_.begin()) return nullptr;
  const LineRecord& last = *(after - 1);
  return last.address >= begin ? &last : nullptr;
}

}  // namespace orven::debuginfo
