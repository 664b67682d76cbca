// The bodies of the library's entry points over the driver's one state, its host link and its emulator.
// exports.cpp gives them their C names.
#pragma once

#include <cstdint>

#include "orvend/orvend.h"

namespace orven::driver {

uint32_t Init(uint16_t code, void* argument);
uint16_t MemAcc(uint16_t code, uint8_t* buffer, OrvendAddress* address, uint32_t count);
uint32_t MemAtt(uint16_t code, uint32_t attribute, OrvendAddress* address);
uint16_t RegAcc(uint16_t code, uint32_t reg, void* value);
uint16_t AllReg(uint16_t code, void* block);
uint32_t Serial(uint16_t code, uint32_t channel, uint32_t count, void* data);
uint32_t Capability(uint32_t code, void* record);
uint32_t Enumerate(void* record, uint32_t code);

// The extension menu handed out with AG_Init 0x0307: the end marker only.
const OrvendExtensionMenu* ExtensionMenu();

}  // namespace orven::driver
