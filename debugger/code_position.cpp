#include "debugger/code_position.h"

#include <algorithm>

namespace orven::debugger {

CodePosition PositionAt(const debuginfo::DebugInfo* info, uint16_t pc) {
  CodePosition out;
  if (!info) return out;
  out.function = info->FunctionAt(pc);
  out.line = info->LineAt(pc);
  if (!out.line) return out;
  if (out.line->file < info->Files().size()) out.file = info->Files()[out.line->file];
  out.atLineStart = out.line->address == pc;
  const auto& all = info->Lines().ByAddress();
  auto next = std::upper_bound(all.begin(), all.end(), out.line->address,
                               [](uint32_t value, const debuginfo::LineRecord& r) { return value < r.address; });
  out.rangeBegin = out.line->address;
  out.rangeEnd = next == all.end() ? pc + 1u : next->address;
  // A line never runs past the end of its function (the last record is the closing brace's return).
  if (out.function && out.function->end && out.rangeEnd > *out.function->end + 1) {
    out.rangeEnd = *out.function->end + 1;
  }
  if (out.rangeEnd <= pc) out.rangeEnd = pc + 1u;
  return out;
}

uint16_t AfterPrologue(const debuginfo::DebugInfo& info, const debuginfo::Function& function) {
  if (!function.begin) return 0;
  const auto begin = static_cast<uint16_t>(*function.begin);
  if (!function.end) return begin;
  const auto& all = info.Lines().ByAddress();
  auto first = std::lower_bound(all.begin(), all.end(), *function.begin,
                                [](const debuginfo::LineRecord& r, uint32_t value) { return r.address < value; });
  if (first == all.end() || first->address > *function.end) return begin;
  auto second = first + 1;
  if (second == all.end() || second->address > *function.end) return begin;
  return static_cast<uint16_t>(second->address);
}

}  // namespace orven::debugger
