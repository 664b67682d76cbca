#include "debugger/value_formatter.h"

#include <cinttypes>
#include <cstdio>

#include "debugger/expression_texts.h"

namespace orven::debugger {
namespace {

std::string Hex(uint64_t v) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "0x%" PRIx64, v);
  return buffer;
}

}  // namespace

std::string QuoteCharacter(uint8_t c) {
  switch (c) {
    case '\n': return "'\\n'";
    case '\t': return "'\\t'";
    case '\r': return "'\\r'";
    case '\a': return "'\\a'";
    case '\b': return "'\\b'";
    case '\f': return "'\\f'";
    case '\v': return "'\\v'";
    case '\\': return "'\\\\'";
    case '\'': return "'\\''";
    default: break;
  }
  if (c >= 0x20 && c < 0x7F) return std::string("'") + static_cast<char>(c) + "'";
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "'\\%03o'", c);
  return buffer;
}

std::string CodeSymbol(const DebugInfo& info, uint32_t address) {
  const debuginfo::Function* f = info.FunctionAt(address);
  if (!f || !f->begin) return {};
  if (address == *f->begin) return "<" + f->name + ">";
  return "<" + f->name + "+" + std::to_string(address - *f->begin) + ">";
}

uint32_t ValueFormatter::BytesShown(const Value& value) const {
  // gdb reads a whole array even when it shows part of it, so that a run of equal elements is counted whole;
  // it is one request either way.
  return std::min(value.type.size, kMaxValueBytes);
}

Outcome<std::string> ValueFormatter::Format(Value& value) {
  LocationKind kind = value.location.kind;
  if (kind == LocationKind::kOptimizedOut) return std::string(texts::kOptimizedOutValue);
  if (kind == LocationKind::kNotSaved) return std::string(texts::kNotSavedValue);
  if (options_.summary && (IsStruct(value.type) || IsArray(value.type))) return std::string("...");
  if (!IsFunction(value.type)) {
    if (std::string why = access_.Load(value, BytesShown(value)); !why.empty()) return Outcome<std::string>::Fail(why);
  }
  return Text(value, true);
}

std::string ValueFormatter::Text(Value& value, bool topLevel) {
  const Type& t = value.type;
  if (IsStruct(t) || IsArray(t)) {
    // Damaged records could nest structs without end; a real program never comes near this depth.
    if (depth_ >= kMaxNesting) return "{...}";
    ++depth_;
    std::string text = IsStruct(t) ? Struct(value) : Array(value);
    --depth_;
    return text;
  }
  if (IsFunction(t)) {
    uint32_t at = value.location.address;
    std::string symbol = CodeSymbol(access_.Info(), at);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04x", at);
    return "{" + TypeName(t, access_.Info()) + "} " + buffer + (symbol.empty() ? "" : " " + symbol);
  }
  if (t.Is(TypeCode::kVoid)) return "void";
  return Number(value, topLevel);
}

std::string ValueFormatter::Number(Value& value, bool topLevel) {
  Outcome<Scalar> s = access_.ToScalar(value);
  if (!s) return "<" + s.error + ">";
  const Type& t = value.type;
  if (IsPointer(t)) return Pointer(t, s->bits, topLevel);
  if (IsFloating(t)) {
    if (options_.hex) {
      Outcome<Scalar> asInteger = Convert(*s, IntegerType(8, false));
      return Hex(IntegerScalar(asInteger->Signed(), IntegerType(4, false)).bits);
    }
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%g", s->real);
    return buffer;
  }
  if (options_.hex) return Hex(s->bits);
  if (t.Is(TypeCode::kBool)) return s->bits ? "true" : "false";
  std::string text = t.isUnsigned ? std::to_string(s->bits) : std::to_string(s->Signed());
  // A char on its own shows its character; in arrays and structs chars are the bytes they hold.
  if (topLevel && IsCharacter(t)) text += " " + QuoteCharacter(static_cast<uint8_t>(s->bits));
  return text;
}

std::string ValueFormatter::Pointer(const Type& type, uint64_t bits, bool topLevel) {
  char buffer[24];
  int digits = type.size == 1 ? 2 : type.size == 2 ? 4 : 6;
  std::snprintf(buffer, sizeof buffer, "0x%0*" PRIx64, digits, bits);
  std::string text = buffer;
  if (options_.hex) return text;
  if (type.chain.size() > 1 && type.chain[1].code == TypeCode::kFunction) {
    std::string symbol =
        CodeSymbol(access_.Info(), AddressOfPointer(type.chain[0].pointer, static_cast<uint32_t>(bits)));
    if (!symbol.empty()) text += " " + symbol;
  }
  if (!topLevel || options_.summary) return text;
  return "(" + TypeName(type, access_.Info()) + ") " + text;
}

std::string ValueFormatter::Array(Value& value) {
  uint32_t count = value.type.chain[0].count;
  uint32_t element = access_.Info().SizeOf(value.type, 1);
  uint32_t available =
      element == 0 ? std::min(count, kPrintElementLimit) : static_cast<uint32_t>(value.bytes.size() / element);
  std::vector<std::string> texts;
  for (uint32_t i = 0; i < count && i < available; ++i) {
    Value e = access_.Element(value, i);
    texts.push_back(Text(e, false));
  }
  std::string out = "{";
  uint32_t shown = 0;
  size_t i = 0;
  while (i < texts.size()) {
    if (shown >= kPrintElementLimit) break;
    size_t run = 1;
    while (i + run < texts.size() && texts[i + run] == texts[i]) ++run;
    if (i > 0) out += ", ";
    if (run > kRepeatThreshold) {
      out += texts[i] + " <repeats " + std::to_string(run) + " times>";
      shown += kRepeatThreshold;
      i += run;
    } else {
      out += texts[i];
      ++shown;
      ++i;
    }
  }
  if (i < count) out += "...";
  return out + "}";
}

std::string ValueFormatter::Struct(Value& value) {
  const auto* s = access_.Info().StructByName(value.type.chain[0].structName);
  if (!s) return "<incomplete type>";
  std::string out = "{";
  for (size_t i = 0; i < s->members.size(); ++i) {
    if (i > 0) out += ", ";
    Value m = access_.Member(value, s->members[i]);
    out += s->members[i].name + " = " + Text(m, false);
  }
  return out + "}";
}

}  // namespace orven::debugger
