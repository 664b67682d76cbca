// Splits a C expression as a debugger user types it into tokens: numbers with C's suffixes, character
// literals, names, $registers and the operators the evaluator knows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orven::debugger {

enum class TokenKind : uint8_t {
  kEnd,
  kInteger,    // value, with isUnsigned/isLong from the suffix
  kFloat,      // 1.5, 2e3
  kCharacter,  // 'A', '\n': value
  kName,       // identifiers and keywords (int, struct, __xdata, ...)
  kRegister,   // $acc: text without the $
  kSpace,      // X: D: I: C: P: (the letter, then the colon): text is the letter
  kPunct,      // operators and brackets: text
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;
  uint64_t value = 0;
  double real = 0;
  bool isUnsigned = false;  // u suffix
  bool isLong = false;      // l suffix
  bool isDecimal = false;   // decimal literals never become unsigned by size alone
  size_t offset = 0;        // where it starts in the expression
};

struct LexResult {
  std::vector<Token> tokens;  // ends with kEnd
  std::string error;          // empty when the text is well formed
};

LexResult Tokenize(std::string_view text);

}  // namespace orven::debugger
