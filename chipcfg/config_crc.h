// Check value of a chip configuration file: CRC-16/XMODEM (polynomial 0x1021, initial 0, no reflection, no
// final XOR) stored high byte first in the last two bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orven::chipcfg {

// Runs the MSB-first table CRC over the buffer and returns the register. Over a whole file, check value
// included, 0 means the file is intact; over the bytes before the check value it is the value to store.
uint16_t ConfigCrc16(const uint8_t* data, size_t size);

// Appends the check value of everything already in the buffer, high byte first.
void AppendConfigCrc(std::vector<uint8_t>& bytes);

}  // namespace orven::chipcfg
