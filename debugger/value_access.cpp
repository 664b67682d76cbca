#include "debugger/value_access.h"

#include <algorithm>
#include <bit>
#include <cstdio>

#include "debugger/expression_texts.h"

namespace orven::debugger {
namespace {

// Where a bit address lives: bits 0x00-0x7F in RAM bytes 0x20-0x2F, 0x80-0xFF in the SFRs at multiples of 8.
uint8_t ByteOfBit(uint32_t bit) { return static_cast<uint8_t>(bit < 0x80 ? 0x20 + bit / 8 : bit & 0xF8); }

uint32_t RegisterValue(const RegisterSet& set, RegisterId id) {
  switch (id) {
    case RegisterId::kAcc: return set.acc;
    case RegisterId::kB: return set.b;
    case RegisterId::kPsw: return set.psw;
    case RegisterId::kSp: return set.sp;
    case RegisterId::kDptr: return set.dptr;
    case RegisterId::kPc: return set.pc;
    default: return set.r[static_cast<unsigned>(id) & 7];
  }
}

std::string RegisterName(RegisterId id) {
  static constexpr const char* kNames[] = {"r0", "r1",  "r2", "r3",  "r4", "r5",   "r6",
                                           "r7", "acc", "b",  "psw", "sp", "dptr", "pc"};
  return kNames[static_cast<size_t>(id) % 14];
}

uint64_t LittleEndian(const std::vector<uint8_t>& bytes) {
  uint64_t v = 0;
  for (size_t i = std::min<size_t>(bytes.size(), 8); i-- > 0;) v = v << 8 | bytes[i];
  return v;
}

}  // namespace

std::string ValueAccess::PlaceName(Space space, uint32_t address) {
  static constexpr char kLetters[] = {'C', 'D', 'I', 'X', 'P'};
  char buffer[32];
  bool wide = space == Space::kCode || space == Space::kXdata;
  std::snprintf(buffer, sizeof buffer, wide ? "%c:0x%04X" : "%c:0x%02X", kLetters[static_cast<int>(space)], address);
  return buffer;
}

std::string ValueAccess::ReadFailure(Space space, uint32_t address, const PortResult& result) const {
  if (result.reason.empty()) return texts::Fill(texts::kCannotAccess, PlaceName(space, address));
  return texts::Fill(texts::kCannotAccessBecause, PlaceName(space, address), result.reason);
}

void ValueAccess::CollectRanges(const Value& value, uint32_t limit, std::vector<MemoryRange>& out) {
  if (value.loaded) return;
  const Location& l = value.location;
  switch (l.kind) {
    case LocationKind::kMemory: out.push_back({l.space, l.address, std::min(value.type.size, limit)}); break;
    case LocationKind::kBit: out.push_back({Space::kData, ByteOfBit(l.address), 1}); break;
    case LocationKind::kRegisters:
      for (uint8_t a : l.registerBytes) out.push_back({Space::kData, a, 1});
      break;
    default: break;
  }
}

std::string ValueAccess::Load(Value& value, uint32_t limit) {
  if (value.loaded) return {};
  Location& l = value.location;
  switch (l.kind) {
    case LocationKind::kNone: value.loaded = true; return {};
    case LocationKind::kOptimizedOut: return texts::kOptimizedOut;
    case LocationKind::kNotSaved: return texts::kNotSaved;
    case LocationKind::kMemory: {
      uint32_t size = std::min(value.type.size, limit);
      std::vector<uint8_t> bytes(size);
      PortResult r = memory_.Read(l.space, l.address, bytes);
      if (!r.ok) return ReadFailure(l.space, l.address, r);
      value.bytes = std::move(bytes);
      break;
    }
    case LocationKind::kBit: {
      uint8_t byte = 0;
      PortResult r = memory_.Read(Space::kData, ByteOfBit(l.address), std::span(&byte, 1));
      if (!r.ok) return ReadFailure(Space::kData, ByteOfBit(l.address), r);
      value.bytes = {static_cast<uint8_t>((byte >> (l.address & 7)) & 1)};
      break;
    }
    case LocationKind::kRegisters: {
      std::vector<MemoryRange> ranges;
      CollectRanges(value, limit, ranges);
      memory_.Prefetch(ranges);
      value.bytes.assign(l.registerBytes.size(), 0);
      for (size_t i = 0; i < l.registerBytes.size(); ++i) {
        PortResult r = memory_.Read(Space::kData, l.registerBytes[i], std::span(&value.bytes[i], 1));
        if (!r.ok) return ReadFailure(Space::kData, l.registerBytes[i], r);
      }
      break;
    }
    case LocationKind::kCpuRegister: {
      RegisterSet set;
      PortResult r = memory_.Registers(set);
      if (!r.ok) return texts::Fill(texts::kCannotReadRegisters, r.reason);
      uint32_t v = RegisterValue(set, l.cpu);
      value.bytes.assign(value.type.size, 0);
      for (size_t i = 0; i < value.bytes.size() && i < 4; ++i) value.bytes[i] = static_cast<uint8_t>(v >> (8 * i));
      break;
    }
  }
  value.loaded = true;
  return {};
}

Outcome<Scalar> ValueAccess::ToScalar(Value& value) {
  const Type& t = value.type;
  if (IsArray(t) || IsFunction(t)) {
    if (value.location.kind != LocationKind::kMemory) return Outcome<Scalar>::Fail(texts::kNotInMemory);
    Type pointer = IsArray(t) ? PointerTo(TargetOf(t, info_), PointerKindOfSpace(value.location.space))
                              : PointerTo(t, PointerKind::kCode);
    return IntegerScalar(value.location.address, pointer);
  }
  if (!IsIntegral(t) && !IsFloating(t) && !IsPointer(t)) return Outcome<Scalar>::Fail(texts::kNotNumber);
  if (std::string why = Load(value); !why.empty()) return Outcome<Scalar>::Fail(why);
  uint64_t raw = LittleEndian(value.bytes);
  Scalar s;
  s.type = t;
  if (t.Is(TypeCode::kFloat)) {
    s.real = std::bit_cast<float>(static_cast<uint32_t>(raw));
    return s;
  }
  if (t.Is(TypeCode::kFixed16x16)) {
    s.real = static_cast<int32_t>(static_cast<uint32_t>(raw)) / 65536.0;
    return s;
  }
  if (t.Is(TypeCode::kBitField) && value.location.kind != LocationKind::kBit) {
    const auto& e = t.chain[0];
    uint64_t field = (raw >> e.bitOffset) & ((uint64_t{1} << e.bitWidth) - 1);
    if (!t.isUnsigned && e.bitWidth < 64 && (field >> (e.bitWidth - 1)) & 1)
      field |= ~((uint64_t{1} << e.bitWidth) - 1);
    // A bit-field computes as the int it promotes to.
    return IntegerScalar(static_cast<int64_t>(field), IntegerType(2, t.isUnsigned && e.bitWidth >= 16));
  }
  if (t.Is(TypeCode::kBitField) || t.Is(TypeCode::kSbit))
    return IntegerScalar(static_cast<int64_t>(raw & 1), IntegerType(1, true));
  if (t.Is(TypeCode::kBool)) raw = raw != 0;
  s.bits = raw & (t.size >= 8 ? UINT64_MAX : (uint64_t{1} << (8 * t.size)) - 1);
  return s;
}

Value ValueAccess::FromScalar(const Scalar& scalar) {
  Value v;
  v.type = scalar.type;
  v.bytes = EncodeScalar(scalar);
  v.loaded = true;
  return v;
}

std::string ValueAccess::StoreBytes(const Location& l, std::span<const uint8_t> bytes) {
  switch (l.kind) {
    case LocationKind::kMemory: {
      PortResult r = memory_.Write(l.space, l.address, bytes);
      return r.ok ? std::string() : ReadFailure(l.space, l.address, r);
    }
    case LocationKind::kRegisters: {
      for (size_t i = 0; i < bytes.size() && i < l.registerBytes.size(); ++i) {
        PortResult r = memory_.Write(Space::kData, l.registerBytes[i], bytes.subspan(i, 1));
        if (!r.ok) return ReadFailure(Space::kData, l.registerBytes[i], r);
      }
      return {};
    }
    case LocationKind::kCpuRegister: {
      uint32_t v = 0;
      for (size_t i = std::min<size_t>(bytes.size(), 4); i-- > 0;) v = v << 8 | bytes[i];
      PortResult r = memory_.WriteRegister(l.cpu, v);
      return r.ok ? std::string() : texts::Fill(texts::kCannotWriteRegister, RegisterName(l.cpu), r.reason);
    }
    case LocationKind::kBit: {
      uint8_t byte = 0;
      uint8_t at = ByteOfBit(l.address);
      PortResult r = memory_.Read(Space::kData, at, std::span(&byte, 1));
      if (!r.ok) return ReadFailure(Space::kData, at, r);
      uint8_t mask = static_cast<uint8_t>(1u << (l.address & 7));
      byte = static_cast<uint8_t>(bytes.empty() || bytes[0] == 0 ? byte & ~mask : byte | mask);
      r = memory_.Write(Space::kData, at, std::span(&byte, 1));
      return r.ok ? std::string() : ReadFailure(Space::kData, at, r);
    }
    case LocationKind::kOptimizedOut: return texts::kOptimizedOut;
    case LocationKind::kNotSaved: return texts::kNotSaved;
    case LocationKind::kNone: return texts::kNotLvalue;
  }
  return texts::kNotLvalue;
}

Outcome<Value> ValueAccess::Assign(Value& place, Value& from) {
  if (!place.IsLvalue()) return Outcome<Value>::Fail(texts::kNotLvalue);
  const Type& t = place.type;
  std::vector<uint8_t> bytes;
  if (IsStruct(t) || IsArray(t)) {
    // Whole structs (and arrays, as gdb allows) copy byte for byte between values of one type.
    if (TypeName(from.type, info_) != TypeName(t, info_) || from.type.size != t.size) {
      return Outcome<Value>::Fail(texts::kIncompatibleAssign);
    }
    if (std::string why = Load(from); !why.empty()) return Outcome<Value>::Fail(why);
    bytes = from.bytes;
  } else {
    Outcome<Scalar> source = ToScalar(from);
    if (!source) return Outcome<Value>::Fail(source.error);
    Outcome<Scalar> converted = Convert(*source, t);
    if (!converted) return Outcome<Value>::Fail(converted.error);
    if (t.Is(TypeCode::kBitField) && place.location.kind != LocationKind::kBit) {
      Value storage = place;
      storage.loaded = false;
      if (std::string why = Load(storage); !why.empty()) return Outcome<Value>::Fail(why);
      const auto& e = t.chain[0];
      uint64_t mask = ((e.bitWidth >= 64 ? 0 : uint64_t{1} << e.bitWidth) - 1) << e.bitOffset;
      uint64_t raw = (LittleEndian(storage.bytes) & ~mask) | ((converted->bits << e.bitOffset) & mask);
      bytes = storage.bytes;
      for (size_t i = 0; i < bytes.size() && i < 8; ++i) bytes[i] = static_cast<uint8_t>(raw >> (8 * i));
    } else if (t.Is(TypeCode::kBitField) || t.Is(TypeCode::kSbit)) {
      bytes = {static_cast<uint8_t>(converted->bits & 1)};
    } else {
      bytes = EncodeScalar(*converted);
    }
  }
  if (std::string why = StoreBytes(place.location, bytes); !why.empty()) return Outcome<Value>::Fail(why);
  Value after = place;
  after.loaded = false;
  after.bytes.clear();
  if (std::string why = Load(after); !why.empty()) return Outcome<Value>::Fail(why);
  return after;
}

Value ValueAccess::Member(const Value& parent, const debuginfo::StructMember& member) const {
  Value v;
  v.type = member.type;
  if (v.type.size == 0) v.type = Sized(v.type, info_);
  v.location = parent.location;
  if (parent.location.kind == LocationKind::kMemory) {
    v.location.address = parent.location.address + member.offset;
  } else if (parent.location.kind == LocationKind::kRegisters) {
    auto& r = v.location.registerBytes;
    size_t from = std::min<size_t>(member.offset, r.size());
    size_t to = std::min<size_t>(from + v.type.size, r.size());
    r = std::vector<uint8_t>(r.begin() + static_cast<ptrdiff_t>(from), r.begin() + static_cast<ptrdiff_t>(to));
  } else if (parent.location.kind != LocationKind::kOptimizedOut && parent.location.kind != LocationKind::kNotSaved) {
    v.location.kind = LocationKind::kNone;
  }
  if (parent.loaded && uint64_t{member.offset} + v.type.size <= parent.bytes.size()) {
    v.bytes.assign(parent.bytes.begin() + member.offset, parent.bytes.begin() + member.offset + v.type.size);
    v.loaded = true;
  }
  return v;
}

Value ValueAccess::Element(const Value& parent, uint32_t index) const {
  debuginfo::StructMember as;
  as.type = TargetOf(parent.type, info_);
  as.offset = index * as.type.size;
  return Member(parent, as);
}

Outcome<Value> ValueAccess::Dereference(const Scalar& pointer) const {
  if (!IsPointer(pointer.type)) return Outcome<Value>::Fail(texts::kNotPointer);
  Value v;
  v.type = TargetOf(pointer.type, info_);
  if (v.type.Is(TypeCode::kVoid)) return Outcome<Value>::Fail(texts::kVoidDeref);
  PointerKind kind = pointer.type.chain[0].pointer;
  uint32_t raw = static_cast<uint32_t>(pointer.bits);
  v.location.kind = LocationKind::kMemory;
  v.location.space = SpaceOfPointer(kind, raw);
  v.location.address = AddressOfPointer(kind, raw);
  return v;
}

}  // namespace orven::debugger
