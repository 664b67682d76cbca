#include "host/address_text.h"

#include <cstdio>

#include "orvend/orvend.h"

namespace orven::host {

std::string AddressText(uint32_t tagged) {
  char letter = 0;
  switch (tagged >> 24) {
    case ORVEND_SPACE_CODE: letter = 'C'; break;
    case ORVEND_SPACE_XDATA: letter = 'X'; break;
    case ORVEND_SPACE_PDATA: letter = 'P'; break;
    case ORVEND_SPACE_DATA: letter = 'D'; break;
    case ORVEND_SPACE_IDATA: letter = 'I'; break;
    default: break;
  }
  char buf[16];
  const uint32_t address = tagged & 0x00FFFFFFu;
  if (letter == 0) {
    std::snprintf(buf, sizeof buf, "%08X", tagged);
  } else if (address > 0xFFFF) {
    std::snprintf(buf, sizeof buf, "%c:%06X", letter, address);
  } else {
    std::snprintf(buf, sizeof buf, "%c:%04X", letter, address);
  }
  return buf;
}

}  // namespace orven::host
