// The 24-byte per-chip block sent whole with the chip-initialisation command (29). Both the programmer and the
// emulator side send it unchanged; only the fields below are read by the host.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/bytes.h"

namespace orven {

struct ChipParameterBlock {
  // @0  u8     programming algorithm code
  // @1  u8     (carried: 0 = socket, 1 = ISP cable in the catalogues)
  // @2  u8[4]  signature bytes, compared up to the first 0
  // @6  u32le  flash capacity in bytes (not aligned)
  // @10 u8[14] carried to the device unchanged
  uint8_t bytes[24];

  uint8_t AlgorithmCode() const { return bytes[0]; }
  const uint8_t* Signature() const { return bytes + 2; }
  uint32_t FlashSize() const { return GetU32Le(bytes + 6); }
};
static_assert(sizeof(ChipParameterBlock) == 24);

}  // namespace orven
