#include "chipcfg/config_field.h"

namespace orven::chipcfg {
namespace {

uint32_t FieldMask(uint8_t bitWidth) {
  uint32_t mask = 0;
  for (unsigned i = 0; i < bitWidth && i < 32; ++i) mask = (mask << 1) | 1u;
  return mask;
}

uint32_t ReadWindow(const uint8_t* config, size_t first) {
  uint32_t window = 0;
  for (size_t k = 0; k < 4; ++k) {
    if (first + k < kConfigBufferSize) window |= static_cast<uint32_t>(config[first + k]) << (8 * k);
  }
  return window;
}

}  // namespace

uint32_t GetFieldValue(const uint8_t* config, uint16_t bitPosition, uint8_t bitWidth) {
  const size_t first = bitPosition / 8u;
  const unsigned shift = bitPosition % 8u;
  return (ReadWindow(config, first) >> shift) & FieldMask(bitWidth);
}

void SetFieldValue(uint8_t* config, uint16_t bitPosition, uint8_t bitWidth, uint32_t value) {
  const size_t first = bitPosition / 8u;
  const unsigned shift = bitPosition % 8u;
  const uint32_t fieldMask = FieldMask(bitWidth) << shift;
  const uint32_t window = ReadWindow(config, first);
  const uint32_t updated = ((value << shift) & fieldMask) | (window & ~fieldMask);
  for (size_t k = 0; k < 4; ++k) {
    if (first + k < kConfigBufferSize) config[first + k] = static_cast<uint8_t>(updated >> (8 * k));
  }
}

bool FieldFits(uint16_t bitPosition, uint8_t bitWidth) {
  return (bitPosition % 8u) + bitWidth <= 32u && static_cast<unsigned>(bitPosition) + bitWidth <= 8u * kConfigBufferSize;
}

}  // namespace orven::chipcfg
