#include "tools/orvdap/memory_reference.h"

#include <cstdio>

#include "orvend/orvend.h"

namespace orven::orvdap {

namespace {

constexpr size_t kMaxText = 16;

uint8_t SpaceTag(char space) {
  switch (space) {
    case 'X': return ORVEND_SPACE_XDATA;
    case 'P': return ORVEND_SPACE_PDATA;
    case 'D': return ORVEND_SPACE_DATA;
    case 'I': return ORVEND_SPACE_IDATA;
    default: return ORVEND_SPACE_CODE;
  }
}

std::optional<uint32_t> ParseAddress(std::string_view text) {
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  uint32_t value = 0;
  for (char c : text) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    if (digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > 0xFFFFFF) return std::nullopt;  // no space is larger; keeps the product in range
  }
  return value;
}

}  // namespace

uint32_t MemoryReference::SpaceEnd() const { return space == 'C' || space == 'X' ? 0x10000 : 0x100; }

uint32_t MemoryReference::Tagged() const { return ORVEND_TAG(SpaceTag(space), address); }

std::string MemoryReference::Text() const {
  char buf[16];
  std::snprintf(buf, sizeof buf, SpaceEnd() > 0x100 ? "%c:0x%04X" : "%c:0x%02X", space, address);
  return buf;
}

std::optional<MemoryReference> ParseMemoryReference(std::string_view text) {
  if (text.size() < 3 || text.size() > kMaxText || text[1] != ':') return std::nullopt;
  MemoryReference ref;
  const char letter = static_cast<char>(text[0] & ~0x20);  // upper case
  if (letter != 'C' && letter != 'X' && letter != 'P' && letter != 'D' && letter != 'I') return std::nullopt;
  ref.space = letter;
  const std::optional<uint32_t> address = ParseAddress(text.substr(2));
  if (!address || *address >= ref.SpaceEnd()) return std::nullopt;
  ref.address = *address;
  return ref;
}

}  // namespace orven::orvdap
