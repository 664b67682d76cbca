#include "debugger/expr_lexer.h"

#include <cctype>
#include <cstdlib>

#include "debugger/expression_texts.h"

namespace orven::debugger {
namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Operators, longest first so that "<<" wins over "<".
constexpr std::string_view kPuncts[] = {"<<", ">>", "<=", ">=", "==", "!=", "&&", "||", "->", "+", "-", "*", "/", "%",
                                        "<",  ">",  "&",  "|",  "^",  "!",  "~",  "=",  "(",  ")", "[", "]", ".", "@"};

// A number: 0x1F, 017, 0b101, 42u, 100000L, 1.5, 2e3. Returns false when malformed.
bool LexNumber(std::string_view text, size_t& at, Token& token) {
  size_t start = at;
  size_t end = at;
  bool hexStart = text.size() > start + 1 && text[start] == '0' && (text[start + 1] == 'x' || text[start + 1] == 'X');
  while (end < text.size()) {
    char c = text[end];
    bool exponentSign = !hexStart && (c == '+' || c == '-') && (text[end - 1] == 'e' || text[end - 1] == 'E');
    if (!IsNameChar(c) && c != '.' && !exponentSign) break;
    ++end;
  }
  std::string word(text.substr(start, end - start));
  at = end;
  bool hex = word.size() > 1 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
  if (!hex && (word.find('.') != std::string::npos || word.find_first_of("eE") != std::string::npos)) {
    char* stop = nullptr;
    std::string body = word;
    if (!body.empty() && (body.back() == 'f' || body.back() == 'F')) body.pop_back();
    token.real = std::strtod(body.c_str(), &stop);
    if (stop != body.c_str() + body.size() || body.empty()) return false;
    token.kind = TokenKind::kFloat;
    token.text = word;
    return true;
  }
  size_t digitsEnd = word.size();
  while (digitsEnd > 0 && (word[digitsEnd - 1] == 'u' || word[digitsEnd - 1] == 'U' || word[digitsEnd - 1] == 'l' ||
                           word[digitsEnd - 1] == 'L')) {
    char s = word[digitsEnd - 1];
    if (s == 'u' || s == 'U') {
      if (token.isUnsigned) return false;
      token.isUnsigned = true;
    } else {
      token.isLong = true;
    }
    --digitsEnd;
  }
  std::string digits = word.substr(0, digitsEnd);
  int base = 10;
  size_t skip = 0;
  if (hex) {
    base = 16;
    skip = 2;
  } else if (digits.size() > 1 && digits[0] == '0' && (digits[1] == 'b' || digits[1] == 'B')) {
    base = 2;
    skip = 2;
  } else if (digits.size() > 1 && digits[0] == '0') {
    base = 8;
    skip = 1;
  }
  if (digits.size() <= skip || digits.size() - skip > 64) return false;
  uint64_t value = 0;
  for (size_t i = skip; i < digits.size(); ++i) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(digits[i])));
    int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : 99;
    if (d >= base) return false;
    if (value > (UINT64_MAX - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base)) return false;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
  }
  token.kind = TokenKind::kInteger;
  token.value = value;
  token.isDecimal = base == 10;
  token.text = word;
  return true;
}

// A character literal from the opening quote: 'A', '\n', '\x41', '\101'.
bool LexCharacter(std::string_view text, size_t& at, Token& token, std::string& error) {
  size_t i = at + 1;
  if (i >= text.size()) {
    error = texts::kUnmatchedQuote;
    return false;
  }
  if (text[i] == '\'') {
    error = texts::kEmptyCharacter;
    return false;
  }
  uint64_t value = 0;
  if (text[i] == '\\') {
    ++i;
    if (i >= text.size()) {
      error = texts::kUnmatchedQuote;
      return false;
    }
    char c = text[i++];
    switch (c) {
      case 'n': value = '\n'; break;
      case 't': value = '\t'; break;
      case 'r': value = '\r'; break;
      case 'a': value = '\a'; break;
      case 'b': value = '\b'; break;
      case 'f': value = '\f'; break;
      case 'v': value = '\v'; break;
      case 'e': value = 0x1B; break;
      case 'x': {
        size_t digits = 0;
        while (i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])) && digits < 2) {
          value =
              value * 16 + static_cast<uint64_t>(std::isdigit(static_cast<unsigned char>(text[i]))
                                                     ? text[i] - '0'
                                                     : std::tolower(static_cast<unsigned char>(text[i])) - 'a' + 10);
          ++i;
          ++digits;
        }
        if (digits == 0) {
          error = texts::Fill(texts::kInvalidNumber, "\\x");
          return false;
        }
        break;
      }
      default:
        if (c >= '0' && c <= '7') {
          value = static_cast<uint64_t>(c - '0');
          for (int n = 0; n < 2 && i < text.size() && text[i] >= '0' && text[i] <= '7'; ++n, ++i) {
            value = value * 8 + static_cast<uint64_t>(text[i] - '0');
          }
          value &= 0xFF;
        } else {
          value = static_cast<unsigned char>(c);
        }
    }
  } else {
    value = static_cast<unsigned char>(text[i++]);
  }
  if (i >= text.size() || text[i] != '\'') {
    error = texts::kUnmatchedQuote;
    return false;
  }
  token.kind = TokenKind::kCharacter;
  token.value = value;
  token.text = std::string(text.substr(at, i + 1 - at));
  at = i + 1;
  return true;
}

}  // namespace

LexResult Tokenize(std::string_view text) {
  LexResult out;
  size_t at = 0;
  while (true) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    Token token;
    token.offset = at;
    if (at >= text.size()) break;
    char c = text[at];
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        (c == '.' && at + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[at + 1])))) {
      size_t start = at;
      if (!LexNumber(text, at, token)) {
        out.error = texts::Fill(texts::kInvalidNumber, text.substr(start, at - start));
        return out;
      }
    } else if (c == '\'') {
      if (!LexCharacter(text, at, token, out.error)) return out;
    } else if (c == '$') {
      size_t start = ++at;
      while (at < text.size() && IsNameChar(text[at])) ++at;
      token.kind = TokenKind::kRegister;
      token.text = std::string(text.substr(start, at - start));
    } else if (IsNameStart(c)) {
      size_t start = at;
      while (at < text.size() && IsNameChar(text[at])) ++at;
      token.kind = TokenKind::kName;
      token.text = std::string(text.substr(start, at - start));
      // X:0x1234 and the like: one space letter glued to a colon.
      if (at - start == 1 && at < text.size() && text[at] == ':' &&
          std::string_view("XDICPxdicp").find(c) != std::string_view::npos) {
        token.kind = TokenKind::kSpace;
        token.text = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        ++at;
      }
    } else {
      bool found = false;
      for (std::string_view p : kPuncts) {
        if (text.substr(at, p.size()) == p) {
          token.kind = TokenKind::kPunct;
          token.text = std::string(p);
          at += p.size();
          found = true;
          break;
        }
      }
      if (!found) {
        out.error = texts::Fill(texts::kInvalidCharacter, text.substr(at, 1));
        return out;
      }
    }
    out.tokens.push_back(std::move(token));
  }
  Token end;
  end.offset = text.size();
  out.tokens.push_back(end);
  return out;
}

}  // namespace orven::debugger
