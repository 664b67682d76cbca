#include "tools/orvhost/command_line.h"

#include <cctype>

namespace orven::orvhost {

bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& error) {
  words.clear();
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      } else if (c == '\\' && quote == '"' && i + 1 < line.size()) {
        word += line[++i];
      } else {
        word += c;
      }
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
      continue;
    }
    if (c == '#' && !inWord) break;
    inWord = true;
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '\\' && i + 1 < line.size()) {
      word += line[++i];
    } else {
      word += c;
    }
  }
  if (quote != 0) {
    error = "unterminated quote";
    words.clear();
    return false;
  }
  if (inWord) words.push_back(word);
  return true;
}

std::optional<uint64_t> ParseNumber(const std::string& text, uint64_t max) {
  size_t i = 0;
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    i = 2;
  }
  if (i >= text.size()) return std::nullopt;
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned digit;
    if (std::isdigit(c)) {
      digit = c - '0';
    } else if (base == 16 && std::isxdigit(c)) {
      digit = static_cast<unsigned>(std::toupper(c) - 'A' + 10);
    } else {
      return std::nullopt;
    }
    if (value > (max - digit) / base) return std::nullopt;
    value = value * base + digit;
  }
  return value;
}

std::optional<uint8_t> ParseHexByte(const std::string& text) {
  std::string digits = text;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits = digits.substr(2);
  if (digits.empty() || digits.size() > 2) return std::nullopt;
  const auto v = ParseNumber("0x" + digits, 0xFF);
  if (!v) return std::nullopt;
  return static_cast<uint8_t>(*v);
}

uint32_t MemoryRef::Tagged() const {
  switch (space) {
    case Space::kCode: return 0xFF000000u | (address & 0xFFFFFF);
    case Space::kData: return 0xF0000000u | (address & 0xFF);
    case Space::kIdata: return 0xF3000000u | (address & 0xFF);
    case Space::kXdata: return 0x01000000u | (address & 0xFFFFFF);
  }
  return address;
}

std::optional<MemoryRef> ParseMemoryRef(const std::string& text) {
  if (text.size() < 3 || text[1] != ':') return std::nullopt;
  MemoryRef ref;
  uint64_t max = 0xFF;
  switch (std::toupper(static_cast<unsigned char>(text[0]))) {
    case 'C': ref.space = Space::kCode; max = 0xFFFFFF; break;
    case 'D': ref.space = Space::kData; break;
    case 'I': ref.space = Space::kIdata; break;
    case 'X': ref.space = Space::kXdata; max = 0xFFFFFF; break;
    default: return std::nullopt;
  }
  const auto address = ParseNumber(text.substr(2), max);
  if (!address) return std::nullopt;
  ref.address = static_cast<uint32_t>(*address);
  return ref;
}

std::optional<uint32_t> ParseCodeAddress(const std::string& text) {
  if (text.size() > 2 && text[1] == ':') {
    const auto ref = ParseMemoryRef(text);
    if (!ref || ref->space != Space::kCode) return std::nullopt;
    return ref->address;
  }
  const auto v = ParseNumber(text, 0xFFFF);
  if (!v) return std::nullopt;
  return static_cast<uint32_t>(*v);
}

}  // namespace orven::orvhost
