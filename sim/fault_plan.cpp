#include "sim/fault_plan.h"

#include <cstdlib>
#include <vector>

namespace orven::sim {

std::optional<Fault> FaultPlan::Take(uint8_t code) {
  auto it = faults_.find(code);
  if (it == faults_.end()) return std::nullopt;
  Fault& f = it->second;
  if (f.skip > 0) {
    --f.skip;
    return std::nullopt;
  }
  Fault out = f;
  if (f.times > 0 && --f.times == 0) faults_.erase(it);
  return out;
}

namespace {

bool ParseNumber(const std::string& s, uint32_t max, uint32_t* out) {
  if (s.empty() || s.size() > 10) return false;
  char* end = nullptr;
  unsigned long v = std::strtoul(s.c_str(), &end, 0);
  if (*end != '\0' || v > max) return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

bool ParseFault(const std::string& text, uint8_t* code, Fault* fault) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t colon = text.find(':', start);
    parts.push_back(text.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (parts.size() < 2 || parts.size() > 5) return false;
  static const std::pair<const char*, FaultKind> kKinds[] = {
      {"noreply", FaultKind::kNoReply},         {"wrongcode", FaultKind::kWrongCode},
      {"wrongmarker", FaultKind::kWrongMarker}, {"missingdata", FaultKind::kMissingData},
      {"shortdata", FaultKind::kShortData},     {"baddata", FaultKind::kBadDataMarker},
      {"refuse", FaultKind::kRefuse},           {"leave", FaultKind::kLeaveBus},
      {"slow", FaultKind::kSlowReply},
  };
  uint32_t c = 0;
  if (!ParseNumber(parts[0], 255, &c)) return false;
  Fault f;
  bool known = false;
  for (const auto& [name, kind] : kKinds) {
    if (parts[1] == name) {
      f.kind = kind;
      known = true;
    }
  }
  if (!known) return false;
  if (parts.size() > 2 && !ParseNumber(parts[2], 0xFFFFFFFFu, &f.value)) return false;
  if (parts.size() > 3 && !ParseNumber(parts[3], 1000000, &f.skip)) return false;
  uint32_t times = 1;
  if (parts.size() > 4) {
    if (parts[4] == "always") {
      f.times = -1;
    } else if (!ParseNumber(parts[4], 1000000, &times) || times == 0) {
      return false;
    } else {
      f.times = static_cast<int32_t>(times);
    }
  }
  *code = static_cast<uint8_t>(c);
  *fault = f;
  return true;
}

}  // namespace orven::sim
