// The user's breakpoints as gdb numbers and lists them: enabled or not, temporary or kept, with a condition, an
// ignore count and a hit count. The table decides whether a stop at an address is one the user sees; arming
// them in the emulator is the run control's business.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orven::debugger {

// Evaluates a breakpoint condition at the current stop: true to stop; false with `error` set when the
// expression cannot be evaluated (the stop is then reported with the error).
using ConditionEvaluator = std::function<bool(const std::string& expr, std::string& error)>;

struct Breakpoint {
  uint32_t number = 0;
  uint16_t address = 0;
  std::string what;  // "in main at prog.c:12", or empty for an address without line information
  bool enabled = true;
  bool temporary = false;
  uint32_t ignoreCount = 0;
  uint32_t hitCount = 0;
  std::string condition;
};

// What a stop at an address means for the user's breakpoints.
struct BreakpointHit {
  bool stop = false;        // a breakpoint there wants the program stopped
  uint32_t number = 0;      // the first such breakpoint
  bool temporary = false;   // it was temporary and is now deleted
  std::string error;        // its condition failed to evaluate (the program stops)
};

class BreakpointTable {
 public:
  // Adds a breakpoint and returns its number (numbers are never reused, as in gdb).
  uint32_t Add(uint16_t address, std::string what, bool temporary);
  const Breakpoint* Find(uint32_t number) const;
  const std::vector<Breakpoint>& All() const { return breakpoints_; }

  // False when there is no such breakpoint.
  bool Delete(uint32_t number);
  void DeleteAll() { breakpoints_.clear(); }
  bool Enable(uint32_t number, bool enabled);
  void EnableAll(bool enabled);
  bool SetCondition(uint32_t number, std::string condition);
  bool SetIgnoreCount(uint32_t number, uint32_t count);

  // Addresses of the enabled breakpoints: what the emulator must have armed for a run.
  std::set<uint16_t> EnabledAddresses() const;
  bool HasEnabledAt(uint16_t address) const;

  // The program stopped at `address`: counts hits, spends ignore counts, evaluates conditions (a false one lets
  // the program go on silently) and deletes a temporary breakpoint that stops it.
  BreakpointHit Decide(uint16_t address, const ConditionEvaluator& condition);

  // The table `info breakpoints` prints.
  std::string Format() const;

 private:
  Breakpoint* FindMutable(uint32_t number);

  std::vector<Breakpoint> breakpoints_;
  uint32_t nextNumber_ = 1;
};

}  // namespace orven::debugger
