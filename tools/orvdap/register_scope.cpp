#include "tools/orvdap/register_scope.h"

#include <cctype>
#include <cstdio>

#include "tools/orvdap/memory_reference.h"

namespace orven::orvdap {

using nlohmann::json;

namespace {

struct Named {
  const char* name;
  uint32_t value;
  bool wide;
};

std::string Value(uint32_t value, bool wide, bool hex) {
  char buf[24];
  if (hex) {
    std::snprintf(buf, sizeof buf, wide ? "0x%04X" : "0x%02X", value);
  } else {
    std::snprintf(buf, sizeof buf, wide ? "0x%04X (%u)" : "0x%02X (%u)", value, value);
  }
  return buf;
}

}  // namespace

json RegisterVariables(const host::Registers& r, bool hex) {
  const Named named[] = {
      {"PC", r.pc, true},    {"ACC", r.acc, false}, {"B", r.b, false},     {"PSW", r.psw, false},
      {"SP", r.sp, false},   {"DPTR", r.dptr, true}, {"R0", r.r[0], false}, {"R1", r.r[1], false},
      {"R2", r.r[2], false}, {"R3", r.r[3], false}, {"R4", r.r[4], false}, {"R5", r.r[5], false},
      {"R6", r.r[6], false}, {"R7", r.r[7], false},
  };
  json out = json::array();
  for (const Named& n : named) {
    json v{{"name", n.name}, {"value", Value(n.value, n.wide, hex)}, {"variablesReference", 0}};
    if (std::string_view(n.name) == "PC") v["memoryReference"] = MemoryReference{'C', n.value}.Text();
    if (std::string_view(n.name) == "DPTR") v["memoryReference"] = MemoryReference{'X', n.value}.Text();
    out.push_back(std::move(v));
  }
  return out;
}

std::optional<uint32_t> RegisterByName(const host::Registers& r, std::string_view name) {
  if (name.size() < 2 || name.size() > 5 || name[0] != '$') return std::nullopt;
  std::string lower;
  for (char c : name.substr(1)) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "pc") return r.pc;
  if (lower == "acc" || lower == "a") return r.acc;
  if (lower == "b") return r.b;
  if (lower == "psw") return r.psw;
  if (lower == "sp") return r.sp;
  if (lower == "dptr") return r.dptr;
  if (lower.size() == 2 && lower[0] == 'r' && lower[1] >= '0' && lower[1] <= '7') return r.r[lower[1] - '0'];
  return std::nullopt;
}

}  // namespace orven::orvdap
