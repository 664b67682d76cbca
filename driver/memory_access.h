// Target memory reads and writes for AG_MemAcc: the tagged address picks the emulator's command, requests go in
// chunks of up to 256 bytes, and the host's memory image follows what was transferred.
#pragma once

#include <cstdint>

#include "driver/driver_state.h"
#include "driver/target.h"

namespace orven::driver {

inline constexpr uint32_t kChunk = 256;
inline constexpr uint8_t kUnreadCode = 0x99;  // what code the pod cannot show reads as
inline constexpr uint32_t kUnreadCodeBytes = 31;

// Reads count bytes at the tagged address into buffer. True on success; false (fatal set) with *failedAddress at
// the chunk part that failed (the request's valid marks are cleared then).
bool ReadMemory(DriverState& state, Target& target, uint8_t* buffer, uint32_t address, uint32_t count,
                uint32_t* failedAddress);
// Writes count bytes; every write goes to the target. Tags that name no data space write code. A code address
// outside bank 0 fails without a transfer (the pod has one 64 KiB bank). A write that runs past the end of its
// space writes the bytes inside it and fails with *failedAddress at the first byte left out. A write over a
// register bank or the SFRs of ACC, B, PSW, SP, DPL and DPH makes the next register read ask the target.
bool WriteMemory(DriverState& state, Target& target, const uint8_t* buffer, uint32_t address, uint32_t count,
                 uint32_t* failedAddress);

}  // namespace orven::driver
