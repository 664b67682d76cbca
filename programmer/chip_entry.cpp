#include "programmer/chip_entry.h"

namespace orven {

std::string Utf16FieldToUtf8(const char16_t* field, size_t capacity) {
  std::string out;
  for (size_t i = 0; i < capacity && field[i] != 0; ++i) {
    uint32_t c = field[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < capacity && field[i + 1] >= 0xDC00 && field[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (field[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // a lone surrogate half
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace orven
