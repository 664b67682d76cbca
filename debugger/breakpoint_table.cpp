#include "debugger/breakpoint_table.h"

#include <algorithm>
#include <cstdio>

#include "debugger/format_text.h"
#include "debugger/texts.h"

namespace orven::debugger {

uint32_t BreakpointTable::Add(uint16_t address, std::string what, bool temporary) {
  Breakpoint b;
  b.number = nextNumber_++;
  b.address = address;
  b.what = std::move(what);
  b.temporary = temporary;
  breakpoints_.push_back(std::move(b));
  return breakpoints_.back().number;
}

const Breakpoint* BreakpointTable::Find(uint32_t number) const {
  auto it = std::find_if(breakpoints_.begin(), breakpoints_.end(),
                         [number](const Breakpoint& b) { return b.number == number; });
  return it == breakpoints_.end() ? nullptr : &*it;
}

Breakpoint* BreakpointTable::FindMutable(uint32_t number) { return const_cast<Breakpoint*>(Find(number)); }

bool BreakpointTable::Delete(uint32_t number) {
  auto it = std::find_if(breakpoints_.begin(), breakpoints_.end(),
                         [number](const Breakpoint& b) { return b.number == number; });
  if (it == breakpoints_.end()) return false;
  breakpoints_.erase(it);
  return true;
}

bool BreakpointTable::Enable(uint32_t number, bool enabled) {
  Breakpoint* b = FindMutable(number);
  if (b) b->enabled = enabled;
  return b != nullptr;
}

void BreakpointTable::EnableAll(bool enabled) {
  for (Breakpoint& b : breakpoints_) b.enabled = enabled;
}

bool BreakpointTable::SetCondition(uint32_t number, std::string condition) {
  Breakpoint* b = FindMutable(number);
  if (b) b->condition = std::move(condition);
  return b != nullptr;
}

bool BreakpointTable::SetIgnoreCount(uint32_t number, uint32_t count) {
  Breakpoint* b = FindMutable(number);
  if (b) b->ignoreCount = count;
  return b != nullptr;
}

std::set<uint16_t> BreakpointTable::EnabledAddresses() const {
  std::set<uint16_t> out;
  for (const Breakpoint& b : breakpoints_) {
    if (b.enabled) out.insert(b.address);
  }
  return out;
}

bool BreakpointTable::HasEnabledAt(uint16_t address) const {
  return std::any_of(breakpoints_.begin(), breakpoints_.end(),
                     [address](const Breakpoint& b) { return b.enabled && b.address == address; });
}

BreakpointHit BreakpointTable::Decide(uint16_t address, const ConditionEvaluator& condition) {
  BreakpointHit hit;
  // Every breakpoint at the address sees the crossing, as each keeps its own counts.
  for (Breakpoint& b : breakpoints_) {
    if (!b.enabled || b.address != address) continue;
    if (!b.condition.empty()) {
      std::string error = condition ? std::string() : texts::kNoEvaluator;
      const bool holds = condition && condition(b.condition, error);
      if (!error.empty()) {
        if (!hit.stop) {
          hit = {true, b.number, false, FormatText(texts::kConditionError, b.number, error.c_str())};
        }
        ++b.hitCount;
        continue;
      }
      if (!holds) continue;
    }
    ++b.hitCount;
    if (b.ignoreCount > 0) {
      --b.ignoreCount;
      continue;
    }
    if (!hit.stop) hit = {true, b.number, b.temporary, {}};
  }
  if (hit.stop && hit.temporary) Delete(hit.number);
  return hit;
}

std::string BreakpointTable::Format() const {
  if (breakpoints_.empty()) return texts::kNoBreakpoints;
  std::string out = texts::kBreakpointHeader;
  for (const Breakpoint& b : breakpoints_) {
    char address[16];
    std::snprintf(address, sizeof address, "0x%04x", b.address);
    out += FormatText("%-7u %-14s %-4s %-3s %-10s %s\n", b.number, "breakpoint", b.temporary ? "del" : "keep",
                  b.enabled ? "y" : "n", address, b.what.c_str());
    if (!b.condition.empty()) out += FormatText(texts::kStopOnlyIf, b.condition.c_str());
    if (b.hitCount > 0) out += FormatText(texts::kAlreadyHit, b.hitCount, b.hitCount == 1 ? "" : "s");
    if (b.ignoreCount > 0) out += FormatText(texts::kIgnoreNext, b.ignoreCount);
  }
  return out;
}

}  // namespace orven::debugger
