#include "link/identification_block.h"

#include <cstdio>

namespace orven {

std::string IdentificationBlock::VersionText() const {
  char text[48];
  std::snprintf(text, sizeof text, " V%d.%2.2X(B%d)", Major(), Minor(), static_cast<int>(Build()));
  return text;
}

std::string IdentificationBlock::SerialText() const {
  char text[16];
  std::snprintf(text, sizeof text, " %2.2X%2.2X%2.2X%2.2X", bytes[32], bytes[33], bytes[34], bytes[35]);
  return text;
}

}  // namespace orven
