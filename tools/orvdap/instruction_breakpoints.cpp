#include "tools/orvdap/instruction_breakpoints.h"

#include <algorithm>

#include "tools/orvdap/memory_reference.h"
#include "tools/orvdap/texts.h"

namespace orven::orvdap {

using nlohmann::json;

std::optional<uint16_t> InstructionAddress(const std::string& reference, int64_t offset) {
  std::optional<MemoryReference> ref = ParseMemoryReference(reference);
  if (!ref) ref = ParseMemoryReference("C:" + reference);
  if (!ref || ref->space != 'C') return std::nullopt;
  const int64_t address = int64_t{ref->address} + offset;
  if (address < 0 || address > 0xFFFF) return std::nullopt;
  return static_cast<uint16_t>(address);
}

json InstructionBreakpoints::Replace(host::Target& target, const json& requested, size_t limit,
                                     const std::function<bool(uint16_t)>& taken) {
  // Wanted addresses, in request order; nullopt where a reference is not a code address.
  std::vector<std::optional<uint16_t>> wanted;
  if (requested.is_array()) {
    for (const json& bp : requested) {
      std::optional<uint16_t> address;
      if (bp.is_object() && bp.contains("instructionReference") && bp["instructionReference"].is_string()) {
        int64_t offset = 0;
        if (const auto it = bp.find("offset"); it != bp.end() && it->is_number_integer()) offset = it->get<int64_t>();
        address = InstructionAddress(bp["instructionReference"].get<std::string>(), offset);
      }
      wanted.push_back(address);
    }
  }
  // Clear what is no longer wanted first, so a new one can take its place within the limit.
  std::vector<Entry> kept;
  for (const Entry& e : set_) {
    if (!e.disabled && std::find(wanted.begin(), wanted.end(), std::optional<uint16_t>(e.address)) != wanted.end()) {
      kept.push_back(e);
    } else {
      (void)target.ChangeBreakpoint(e.address, host::BreakpointChange::kClear);
    }
  }
  set_ = std::move(kept);

  json answer = json::array();
  std::vector<uint16_t> answered;
  for (const std::optional<uint16_t>& address : wanted) {
    json bp{{"verified", false}};
    if (!address) {
      bp["message"] = texts::kBadInstructionReference;
      answer.push_back(bp);
      continue;
    }
    bp["instructionReference"] = MemoryReference{'C', *address}.Text();
    const auto present = std::find_if(set_.begin(), set_.end(), [&](const Entry& e) { return e.address == *address; });
    if (present != set_.end()) {
      bp["id"] = present->id;
      // The same address twice in one request is one breakpoint: the second is shown as it.
      bp["verified"] = true;
    } else if (taken && taken(*address)) {
      bp["message"] = texts::kAddressTaken;
    } else if (set_.size() >= limit) {
      bp["message"] = texts::kBreakpointLimit;
    } else if (const host::Result r = target.AddBreakpoint(*address, 0, 1, ""); !r.ok) {
      bp["message"] = "orvdap: " + r.reason;
    } else {
      set_.push_back(Entry{nextId_++, *address});
      bp["id"] = set_.back().id;
      bp["verified"] = true;
    }
    answer.push_back(bp);
  }
  return answer;
}

std::vector<int64_t> InstructionBreakpoints::TakeDisabled(host::DebugHost& host) {
  std::vector<int64_t> ids;
  for (Entry& e : set_) {
    const OrvendBreakpoint* bp = host.FindBreakpoint(ORVEND_TAG(ORVEND_SPACE_CODE, e.address));
    if (e.disabled || bp == nullptr || (bp->flags & ORVEND_BP_ENABLED) != 0) continue;
    e.disabled = true;
    ids.push_back(e.id);
  }
  return ids;
}

std::optional<int64_t> InstructionBreakpoints::IdAt(uint16_t address) const {
  for (const Entry& e : set_) {
    if (e.address == address && !e.disabled) return e.id;
  }
  return std::nullopt;
}

}  // namespace orven::orvdap
