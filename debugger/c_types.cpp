#include "debugger/c_types.h"

namespace orven::debugger {
namespace {

uint32_t SizeOfChain(const Type& type, const DebugInfo& info) {
  if (type.chain.empty()) return 0;
  const auto& e = type.chain[0];
  switch (e.code) {
    case TypeCode::kArray: {
      uint64_t total = uint64_t{e.count} * info.SizeOf(type, 1);
      return total > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(total);
    }
    case TypeCode::kPointer: return debuginfo::PointerSize(e.pointer);
    case TypeCode::kStruct: {
      const auto* s = info.StructByName(e.structName);
      return s ? s->size : 0;
    }
    case TypeCode::kBitField:
    case TypeCode::kSbit: return 1;
    case TypeCode::kFunction: return 0;
    default: return debuginfo::BasicSize(e.code);
  }
}

const char* QualifierOf(PointerKind kind) {
  switch (kind) {
    case PointerKind::kCode: return "__code ";
    case PointerKind::kXdata: return "__xdata ";
    case PointerKind::kData: return "__data ";
    case PointerKind::kIdata: return "__idata ";
    case PointerKind::kPdata: return "__pdata ";
    case PointerKind::kGeneric: return "";
  }
  return "";
}

std::string BaseName(const debuginfo::TypeElement& e, bool isUnsigned, const DebugInfo& info) {
  std::string u = isUnsigned ? "unsigned " : "";
  switch (e.code) {
    case TypeCode::kChar: return isUnsigned ? "unsigned char" : "signed char";
    case TypeCode::kInt: return u + "int";
    case TypeCode::kLong: return u + "long";
    case TypeCode::kLongLong: return u + "long long";
    case TypeCode::kFloat: return "float";
    case TypeCode::kFixed16x16: return "__fixed16x16";
    case TypeCode::kVoid: return "void";
    case TypeCode::kBool: return "_Bool";
    case TypeCode::kBitField: return u + "int";
    case TypeCode::kSbit: return "__sbit";
    case TypeCode::kStruct: {
      const auto* s = info.StructByName(e.structName);
      return std::string(s && s->isUnion ? "union " : "struct ") + e.structName;
    }
    default: return "?";
  }
}

}  // namespace

Type BasicType(TypeCode code, bool isUnsigned) {
  Type t;
  debuginfo::TypeElement e;
  e.code = code;
  t.chain.push_back(e);
  t.isUnsigned = isUnsigned;
  t.size = debuginfo::BasicSize(code);
  return t;
}

Type IntegerType(uint32_t size, bool isUnsigned) {
  switch (size) {
    case 1: return BasicType(TypeCode::kChar, isUnsigned);
    case 4: return BasicType(TypeCode::kLong, isUnsigned);
    case 8: return BasicType(TypeCode::kLongLong, isUnsigned);
    default: return BasicType(TypeCode::kInt, isUnsigned);
  }
}

Type PointerTo(const Type& target, PointerKind kind) {
  Type t = target;
  debuginfo::TypeElement p;
  p.code = TypeCode::kPointer;
  p.pointer = kind;
  t.chain.insert(t.chain.begin(), p);
  if (t.chain.size() > debuginfo::kMaxTypeChain) t.chain.pop_back();  // never reached by C a user types
  t.size = debuginfo::PointerSize(kind);
  return t;
}

Type FunctionReturning(const Type& result) {
  Type t = result;
  debuginfo::TypeElement f;
  f.code = TypeCode::kFunction;
  t.chain.insert(t.chain.begin(), f);
  t.size = 0;
  return t;
}

Type TargetOf(const Type& type, const DebugInfo& info) {
  Type t = type;
  if (t.chain.size() > 1) t.chain.erase(t.chain.begin());
  return Sized(std::move(t), info);
}

Type Sized(Type type, const DebugInfo& info) {
  type.size = SizeOfChain(type, info);
  return type;
}

bool IsIntegral(const Type& type) {
  switch (type.chain.empty() ? TypeCode::kVoid : type.chain[0].code) {
    case TypeCode::kChar:
    case TypeCode::kInt:
    case TypeCode::kLong:
    case TypeCode::kLongLong:
    case TypeCode::kBool:
    case TypeCode::kBitField:
    case TypeCode::kSbit: return true;
    default: return false;
  }
}
bool IsFloating(const Type& type) { return type.Is(TypeCode::kFloat) || type.Is(TypeCode::kFixed16x16); }
bool IsPointer(const Type& type) { return type.Is(TypeCode::kPointer); }
bool IsArray(const Type& type) { return type.Is(TypeCode::kArray); }
bool IsStruct(const Type& type) { return type.Is(TypeCode::kStruct); }
bool IsFunction(const Type& type) { return type.Is(TypeCode::kFunction); }
bool IsCharacter(const Type& type) { return type.Is(TypeCode::kChar) && type.chain.size() == 1; }

PointerKind PointerKindOfSpace(Space space) {
  switch (space) {
    case Space::kCode: return PointerKind::kCode;
    case Space::kXdata: return PointerKind::kXdata;
    case Space::kPdata: return PointerKind::kPdata;
    case Space::kData: return PointerKind::kData;
    case Space::kIdata: return PointerKind::kIdata;
  }
  return PointerKind::kGeneric;
}

Space SpaceOfPointer(PointerKind kind, uint32_t value) {
  if (kind == PointerKind::kGeneric) kind = debuginfo::SpaceOfGenericPointerTag(static_cast<uint8_t>(value >> 16));
  switch (kind) {
    case PointerKind::kCode: return Space::kCode;
    case PointerKind::kPdata: return Space::kPdata;
    // A data pointer is dereferenced through @R0/@R1: it reaches the upper 128 bytes, never the SFRs.
    case PointerKind::kData:
    case PointerKind::kIdata: return Space::kIdata;
    default: return Space::kXdata;
  }
}

uint32_t AddressOfPointer(PointerKind kind, uint32_t value) {
  switch (kind) {
    case PointerKind::kData:
    case PointerKind::kIdata:
    case PointerKind::kPdata: return value & 0xFF;
    default: {
      uint32_t address = value & 0xFFFF;
      if (kind == PointerKind::kGeneric) {
        PointerKind target = debuginfo::SpaceOfGenericPointerTag(static_cast<uint8_t>(value >> 16));
        if (target != PointerKind::kCode && target != PointerKind::kXdata) address &= 0xFF;
      }
      return address;
    }
  }
}

std::string TypeName(const Type& type, const DebugInfo& info) {
  if (type.chain.empty()) return "void";
  std::string declarator;
  bool lastWasPointer = false;
  for (size_t i = 0; i + 1 < type.chain.size(); ++i) {
    const auto& e = type.chain[i];
    if (e.code == TypeCode::kPointer) {
      declarator = "*" + declarator;
      lastWasPointer = true;
      // The space belongs to what the pointer points at, written before its star.
      declarator = QualifierOf(e.pointer) + declarator;
      continue;
    }
    if (lastWasPointer) declarator = "(" + declarator + ")";
    lastWasPointer = false;
    declarator += e.code == TypeCode::kArray ? "[" + std::to_string(e.count) + "]" : "(void)";
  }
  std::string base = BaseName(type.chain.back(), type.isUnsigned, info);
  if (declarator.empty()) return base;
  return base + " " + declarator;
}

}  // namespace orven::debugger
