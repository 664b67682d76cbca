// C types as SDCC describes them in its debug records: a chain of declarators read outside in, ending in one
// specifier. `__xdata unsigned char buf[16]` is {16}DA16d,SC:U — an array of 16, then unsigned char.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orven::debuginfo {

enum class TypeCode : uint8_t {
  // declarators
  kArray,
  kFunction,
  kPointer,
  // specifiers (the last element of a chain)
  kVoid,
  kBool,
  kChar,
  kInt,
  kLong,
  kLongLong,
  kFloat,
  kFixed16x16,
  kStruct,    // struct or union, by name
  kBitField,  // a bit-field member, or a __bit variable (one bit at offset 0)
  kSbit,      // a bit of an SFR
};

// What a pointer points into. The generic pointer is 3 bytes: address low, high, then SDCC's space tag.
enum class PointerKind : uint8_t { kGeneric, kCode, kXdata, kData, kIdata, kPdata };

struct TypeElement {
  TypeCode code = TypeCode::kVoid;
  PointerKind pointer = PointerKind::kGeneric;  // kPointer
  uint32_t count = 0;                           // kArray: elements
  uint8_t bitOffset = 0;                        // kBitField: first bit within its storage unit
  uint8_t bitWidth = 0;                         // kBitField
  std::string structName;                       // kStruct
};

struct Type {
  uint32_t size = 0;  // bytes of the whole chain, as the compiler laid it out
  bool isUnsigned = false;
  std::vector<TypeElement> chain;  // outermost declarator first; never empty once parsed

  bool Is(TypeCode code, size_t at = 0) const { return at < chain.size() && chain[at].code == code; }
};

// Chains longer than this (pointer to array of pointers to ...) are refused as malformed.
inline constexpr size_t kMaxTypeChain = 16;

// Parses "({size}ELEMENT,ELEMENT,...:S)" — the parenthesised form the records carry. Returns nullopt (and a
// reason) when the text is not one.
std::optional<Type> ParseTypeChain(std::string_view text, std::string* why);

// Bytes a pointer of this kind takes in memory.
uint32_t PointerSize(PointerKind kind);

// The third byte of a generic pointer for a target in this space (code 0x80, pdata 0x60, data and idata 0x40,
// xdata 0x00), and back: what a tag byte read from the target names.
uint8_t GenericPointerTag(PointerKind kind);
PointerKind SpaceOfGenericPointerTag(uint8_t tag);

// Size in bytes of a basic specifier (char 1, int 2, long and float 4, ...); 0 for struct, void and bits.
uint32_t BasicSize(TypeCode code);

}  // namespace orven::debuginfo
