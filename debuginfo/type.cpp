#include "debuginfo/type.h"

#include "debuginfo/record_cursor.h"

namespace orven::debuginfo {
namespace {

bool IsDeclarator(TypeCode code) {
  return code == TypeCode::kArray || code == TypeCode::kFunction || code == TypeCode::kPointer;
}

// One element of a chain: DA16d, DG, SC, STpacket, SB4$3, or nothing at all (SDCC's _Bool).
bool ParseElement(std::string_view text, TypeElement& out) {
  if (text.empty()) {
    out.code = TypeCode::kBool;
    return true;
  }
  if (text.size() < 2) return false;
  std::string_view tail = text.substr(2);
  if (text[0] == 'D') {
    switch (text[1]) {
      case 'A': {
        if (!tail.empty() && tail.back() == 'd') tail.remove_suffix(1);
        RecordCursor count(tail);
        out.code = TypeCode::kArray;
        return count.Decimal(out.count) && count.AtEnd();
      }
      case 'F': out.code = TypeCode::kFunction; return tail.empty();
      case 'G': out.pointer = PointerKind::kGeneric; break;
      case 'C': out.pointer = PointerKind::kCode; break;
      case 'X': out.pointer = PointerKind::kXdata; break;
      case 'D': out.pointer = PointerKind::kData; break;
      case 'I': out.pointer = PointerKind::kIdata; break;
      case 'P': out.pointer = PointerKind::kPdata; break;
      default: return false;
    }
    out.code = TypeCode::kPointer;
    return tail.empty();
  }
  if (text[0] != 'S') return false;
  switch (text[1]) {
    case 'C': out.code = TypeCode::kChar; return tail.empty();
    case 'I':
    case 'S': out.code = TypeCode::kInt; return tail.empty();  // short is int on this compiler
    case 'L': out.code = TypeCode::kLong; return tail.empty();
    case 'F': out.code = TypeCode::kFloat; return tail.empty();
    case 'Q': out.code = TypeCode::kFixed16x16; return tail.empty();
    case 'V': out.code = TypeCode::kVoid; return tail.empty();
    case 'X': out.code = TypeCode::kSbit; return tail.empty();
    case 'T':
      out.code = TypeCode::kStruct;
      out.structName = std::string(tail);
      return !tail.empty();
    case 'B': {
      // SB<bit offset>$<width>
      RecordCursor bits(tail);
      uint32_t offset = 0;
      uint32_t width = 0;
      if (!bits.Decimal(offset) || !bits.Take('$') || !bits.Decimal(width) || !bits.AtEnd()) return false;
      if (width == 0 || offset > 31 || width > 32 || offset + width > 32) return false;
      out.code = TypeCode::kBitField;
      out.bitOffset = static_cast<uint8_t>(offset);
      out.bitWidth = static_cast<uint8_t>(width);
      return true;
    }
    default: return false;
  }
}

}  // namespace

std::optional<Type> ParseTypeChain(std::string_view text, std::string* why) {
  auto fail = [&](const char* reason) -> std::optional<Type> {
    if (why) *why = reason;
    return std::nullopt;
  };
  RecordCursor in(text);
  Type type;
  if (!in.Take('(') || !in.Take('{') || !in.Decimal(type.size) || !in.Take('}')) return fail("bad type size");
  while (true) {
    if (type.chain.size() == kMaxTypeChain) return fail("type chain too long");
    TypeElement element;
    if (!ParseElement(in.Until(",:)"), element)) return fail("unknown type element");
    type.chain.push_back(std::move(element));
    if (in.Take(',')) continue;
    if (!in.Take(':')) return fail("type chain without sign");
    break;
  }
  char sign = in.Peek();
  if ((sign != 'S' && sign != 'U') || !in.Take(sign) || !in.Take(')') || !in.AtEnd()) return fail("bad type sign");
  type.isUnsigned = sign == 'U';
  for (size_t i = 0; i + 1 < type.chain.size(); ++i) {
    if (!IsDeclarator(type.chain[i].code)) return fail("specifier before the end of a type chain");
  }
  if (IsDeclarator(type.chain.back().code)) return fail("type chain ends in a declarator");
  // long long is written as int (or long) of eight bytes.
  if (type.chain.size() == 1 && type.size == 8 &&
      (type.chain[0].code == TypeCode::kInt || type.chain[0].code == TypeCode::kLong)) {
    type.chain[0].code = TypeCode::kLongLong;
  }
  return type;
}

uint32_t PointerSize(PointerKind kind) {
  switch (kind) {
    case PointerKind::kGeneric: return 3;
    case PointerKind::kCode:
    case PointerKind::kXdata: return 2;
    case PointerKind::kData:
    case PointerKind::kIdata:
    case PointerKind::kPdata: return 1;
  }
  return 3;
}

uint8_t GenericPointerTag(PointerKind kind) {
  switch (kind) {
    case PointerKind::kCode: return 0x80;
    case PointerKind::kPdata: return 0x60;
    case PointerKind::kData:
    case PointerKind::kIdata: return 0x40;
    case PointerKind::kXdata:
    case PointerKind::kGeneric: return 0x00;
  }
  return 0x00;
}

PointerKind SpaceOfGenericPointerTag(uint8_t tag) {
  // The library's generic access routines test bit 7 (code), then bit 6 (internal RAM), then bit 5 (pdata).
  if (tag & 0x80) return PointerKind::kCode;
  if (tag & 0x40) return (tag & 0x20) ? PointerKind::kPdata : PointerKind::kIdata;
  return PointerKind::kXdata;
}

uint32_t BasicSize(TypeCode code) {
  switch (code) {
    case TypeCode::kBool:
    case TypeCode::kChar: return 1;
    case TypeCode::kInt: return 2;
    case TypeCode::kLong:
    case TypeCode::kFloat:
    case TypeCode::kFixed16x16: return 4;
    case TypeCode::kLongLong: return 8;
    default: return 0;
  }
}

}  // namespace orven::debuginfo
