#include "chipcfg/number_entry.h"

#include <cstdio>

#include "chipcfg/config_item.h"

namespace orven::chipcfg {
namespace {

constexpr char32_t kBackspace = 0x08;
constexpr char32_t kEnter = 0x0D;
constexpr char32_t kLineFeed = 0x0A;
constexpr char32_t kEscape = 0x1B;

bool IsHexDigit(char32_t ch) {
  return (ch >= U'0' && ch <= U'9') || (ch >= U'A' && ch <= U'F') || (ch >= U'a' && ch <= U'f');
}

bool IsControl(char32_t ch) { return ch < 0x20 || ch == 0x7F; }

}  // namespace

NumberKeyAction NumberKeyRule(char32_t ch, size_t textLength, bool hasSelection) {
  if (ch == kBackspace) return NumberKeyAction::kPass;
  if (ch == kEnter || ch == kLineFeed) return NumberKeyAction::kEnter;
  if (ch == kEscape) return NumberKeyAction::kEscape;
  if (IsControl(ch)) return NumberKeyAction::kPass;
  if (!hasSelection && textLength >= kNumberMaxChars) return NumberKeyAction::kIgnore;
  return IsHexDigit(ch) ? NumberKeyAction::kPass : NumberKeyAction::kRefuse;
}

bool IsNumberFieldText(const std::u32string& text) {
  if (text.size() > kNumberMaxChars) return false;
  for (char32_t ch : text) {
    if (!IsHexDigit(ch)) return false;
  }
  return true;
}

std::string FormatNumber(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
  return text;
}

bool CommitNumberText(const std::string& text, uint32_t& value) {
  if (text == FormatNumber(value)) return false;
  uint32_t typed = 0;
  if (!ParseHexNumber(text, typed)) return false;
  value = typed;
  return true;
}

}  // namespace orven::chipcfg
