// The Registers scope: the 8051's registers as the driver's register window holds them after a stop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "host/target.h"

namespace orven::orvdap {

// The protocol's Variable objects for PC, ACC, B, PSW, SP, DPTR and R0-R7 of the current bank. Values in
// hexadecimal ("0x1F"); decimal follows in parentheses unless hex was asked for. PC and DPTR carry memory
// references (code and xdata).
nlohmann::json RegisterVariables(const host::Registers& registers, bool hex);

// A register named in the debug console as $pc, $acc, $a, $b, $psw, $sp, $dptr, $r0-$r7 (any case): its value.
std::optional<uint32_t> RegisterByName(const host::Registers& registers, std::string_view name);

}  // namespace orven::orvdap
