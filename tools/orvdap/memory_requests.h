// readMemory and writeMemory over the target: a memory reference ("X:0x0000") plus an offset, the bytes as
// base64. Bytes beyond the end of a space are unreadable (a read answers what the space holds, a write fails
// unless the editor allows a partial one).
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "host/target.h"

namespace orven::orvdap {

struct MemoryAnswer {
  bool ok = true;
  nlohmann::json body;    // the response's body when ok
  std::string message;    // why not, otherwise
  std::string reference;  // the first byte taken, "X:0x0010"
};

MemoryAnswer ReadMemoryRequest(host::Target& target, const nlohmann::json& arguments);
MemoryAnswer WriteMemoryRequest(host::Target& target, const nlohmann::json& arguments);

}  // namespace orven::orvdap
