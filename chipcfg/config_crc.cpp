#include "chipcfg/config_crc.h"

#include <array>

namespace orven::chipcfg {
namespace {

constexpr std::array<uint16_t, 256> MakeTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned crc = i << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? ((crc << 1) ^ 0x1021) : (crc << 1);
    table[i] = static_cast<uint16_t>(crc);
  }
  return table;
}

constexpr std::array<uint16_t, 256> kTable = MakeTable();
static_assert(kTable[1] == 0x1021);

}  // namespace

// The register shifts each byte in whole and folds the byte shifted out through the table. Over data followed
// by its own XMODEM value (high byte first) this ends at 0; over plain data it yields the XMODEM value of the
// data with two zero bytes appended, which is why AppendConfigCrc feeds two zeros.
uint16_t ConfigCrc16(const uint8_t* data, size_t size) {
  uint16_t reg = 0;
  for (size_t i = 0; i < size; ++i) {
    reg = static_cast<uint16_t>(((reg << 8) | data[i]) ^ kTable[reg >> 8]);
  }
  return reg;
}

void AppendConfigCrc(std::vector<uint8_t>& bytes) {
  const size_t end = bytes.size();
  bytes.push_back(0);
  bytes.push_back(0);
  const uint16_t crc = ConfigCrc16(bytes.data(), bytes.size());
  bytes[end] = static_cast<uint8_t>(crc >> 8);
  bytes[end + 1] = static_cast<uint8_t>(crc);
}

}  // namespace orven::chipcfg
