// The editor's instruction breakpoints (the Disassembly view's), kept in the debug host's breakpoint list.
// The emulator arms at most kLimit breakpoints for a run: those beyond come back unverified with a message,
// instead of being dropped by the driver when the next go arms them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/debug_host.h"
#include "host/target.h"

namespace orven::orvdap {

class InstructionBreakpoints {
 public:
  static constexpr size_t kLimit = 4;

  // Replaces the set with the request's breakpoints (its "breakpoints" array) and answers the protocol's
  // Breakpoint objects in the same order. Breakpoints already set keep their ids.
  // limit: the comparators left to them (the source breakpoints take the others).
  // taken: addresses the source-level breakpoints hold, refused here.
  nlohmann::json Replace(host::Target& target, const nlohmann::json& requested, size_t limit = kLimit,
                         const std::function<bool(uint16_t)>& taken = {});
  size_t Count() const { return set_.size(); }
  // The id of the breakpoint at a code address, if one is set there.
  std::optional<int64_t> IdAt(uint16_t address) const;
  // After a run: the ids of breakpoints the driver disabled when it armed them (the emulator refused them:
  // its limit, counting breakpoints set otherwise, or an address conflict). Each is reported once; the next
  // Replace that wants it sets it anew.
  std::vector<int64_t> TakeDisabled(host::DebugHost& host);

 private:
  struct Entry {
    int64_t id;
    uint16_t address;
    bool disabled = false;  // by the driver, and reported
  };
  std::vector<Entry> set_;
  int64_t nextId_ = 1000;  // apart from the ids the source-level breakpoints will hand out
};

// The code address of an instruction reference ("C:0x0100", or a plain number) plus an offset, or nullopt.
std::optional<uint16_t> InstructionAddress(const std::string& reference, int64_t offset);

}  // namespace orven::orvdap
