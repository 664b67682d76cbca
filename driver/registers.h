// The driver's copy of the 8051 registers and the register window it hands the host.
//
// RegisterRecord (packed, 42 bytes): @0 R0-R7 and 8 unused bytes, @16 u32 PC (tagged code address, top byte
// 0xFF), @20 SP, @21 PSW, @22 B, @23 ACC, @24 DPL, @25 DPH, @26 16 unused bytes. The register window shows a
// second copy; its get function refreshes and formats, its set function writes everything back.
#pragma once

#include <cstdint>

#include "driver/driver_state.h"
#include "driver/target.h"
#include "orvend/orvend.h"

namespace orven::driver {

using RegisterRecord = OrvendRegisterRecord;

// Register window item numbers.
inline constexpr uint16_t kItemAcc = 16;
inline constexpr uint16_t kItemB = 17;
inline constexpr uint16_t kItemSp = 18;
inline constexpr uint16_t kItemDptr = 19;
inline constexpr uint16_t kItemPc = 20;
inline constexpr uint16_t kItemPsw = 256;
inline constexpr uint16_t kItemPswFirstField = 257;  // p, f1, ov, rs, f0, ac, cy: 257-263
inline constexpr uint16_t kItemBlank = 264;

emulator::RegisterImage PackRegisters(const RegisterRecord& record);
void UnpackRegisters(const emulator::RegisterImage& image, RegisterRecord* record);

// Reads the registers from the target unless the target runs or the host wrote them since the last step; the
// PC (kept from before when the read fails) also becomes currentPc. False when the read failed: the record
// then holds the previous values, not the target's.
bool RefreshRegisters(DriverState& state, Target& target);
// Copies source into the driver's record and writes it to the target (the result is not examined).
void WriteAllRegisters(DriverState& state, Target& target, const RegisterRecord& source);

// The register window's records (2 groups, 22 items) and its get and set functions.
OrvendRegisterView* RegisterView();
void RegisterGet(DriverState& state, Target* target, OrvendRegisterItem* item, uint32_t code);
int RegisterSet(DriverState& state, Target* target, OrvendRegisterItem* item, const void* value);

}  // namespace orven::driver
