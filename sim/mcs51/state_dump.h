// The core's state as one comparable text block, the same for every tool that prints or compares a run.
#pragma once

#include <string>

#include "sim/mcs51/core.h"

namespace orven::mcs51 {

// PC=.. ACC=.. B=.. PSW=.. SP=.. DPTR=.... / R=.. x8 / IRAM= / SFR= / XRAM= (0x0000-0x00FF) / SERIAL= /
// INSTRUCTIONS=n CYCLES=n, one item per line, hex upper case, each line ending in "\n".
std::string FormatState(const Core& core);

}  // namespace orven::mcs51
