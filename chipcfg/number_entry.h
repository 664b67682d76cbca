// Key rules of the hexadecimal number field of the property list, apart from the text field itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orven::chipcfg {

inline constexpr size_t kNumberMaxChars = 8;

// What the number field does with one typed character.
enum class NumberKeyAction {
  kPass,    // let the field insert or apply it
  kIgnore,  // drop it silently (the field is full)
  kRefuse,  // drop it with the default beep (not a hexadecimal digit)
  kEnter,   // close the field, committing typed text
  kEscape,  // close the field, dropping typed text
};

// ch is the typed character (a control character for Backspace, Enter, Esc and the editing shortcuts);
// textLength the field's current length in characters and hasSelection whether any of it is selected.
// Backspace always passes. With nothing selected and 8 characters present, a character that would add text is
// ignored; Enter and Esc still close. Otherwise 0-9, A-F, a-f and control characters pass.
NumberKeyAction NumberKeyRule(char32_t ch, size_t textLength, bool hasSelection);

// Whether text may stand in the field at all: at most 8 characters, each 0-9, A-F or a-f (empty included).
// Pasted or input-method text is held to this as a whole, as typed keys are one by one.
bool IsNumberFieldText(const std::u32string& text);

// The text a number item shows: "%X" of the value.
std::string FormatNumber(uint32_t value);

// Text typed into the field taken over as the value: when it differs from the shown value and reads as
// hexadecimal, value receives it and the result is true; otherwise value keeps what it had.
bool CommitNumberText(const std::string& text, uint32_t& value);

}  // namespace orven::chipcfg
