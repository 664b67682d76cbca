#include "debugger/scalar.h"

#include <bit>
#include <cmath>

#include "debugger/expression_texts.h"

namespace orven::debugger {
namespace {

uint64_t Mask(uint32_t size) { return size >= 8 ? UINT64_MAX : (uint64_t{1} << (size * 8)) - 1; }

Type IntType() { return BasicType(TypeCode::kInt); }

// The common type of two promoted integers: the wider one, and of two of one width the unsigned one.
Type CommonInteger(const Type& a, const Type& b) {
  if (a.size != b.size) return a.size > b.size ? a : b;
  return IntegerType(a.size, a.isUnsigned || b.isUnsigned);
}

double AsDouble(const Scalar& s) {
  if (IsFloating(s.type)) return s.real;
  return s.type.isUnsigned || IsPointer(s.type) ? static_cast<double>(s.bits) : static_cast<double>(s.Signed());
}

Scalar Boolean(bool value) { return IntegerScalar(value ? 1 : 0, IntType()); }

Outcome<Scalar> PointerArithmetic(Op op, const Scalar& pointer, const Scalar& other, const DebugInfo& info) {
  PointerKind kind = pointer.type.chain[0].pointer;
  uint32_t element = info.SizeOf(pointer.type, 1);
  if (element == 0) element = 1;  // void *: bytes, as gdb counts them
  if (op == Op::kSub && IsPointer(other.type)) {
    int64_t difference =
        static_cast<int64_t>(AddressOfPointer(kind, static_cast<uint32_t>(pointer.bits))) -
        static_cast<int64_t>(AddressOfPointer(other.type.chain[0].pointer, static_cast<uint32_t>(other.bits)));
    return IntegerScalar(difference / static_cast<int64_t>(element), IntType());
  }
  if (!IsIntegral(other.type)) return Outcome<Scalar>::Fail(texts::kNotNumber);
  // Addresses wrap within the pointer's width, so the arithmetic may wrap as well.
  uint64_t delta = static_cast<uint64_t>(Promote(other).Signed()) * element;
  if (op == Op::kSub) delta = 0 - delta;
  uint32_t address = AddressOfPointer(kind, static_cast<uint32_t>(pointer.bits));
  uint32_t width = kind == PointerKind::kGeneric ? 0xFFFF : static_cast<uint32_t>(Mask(pointer.type.size));
  if (kind == PointerKind::kGeneric && (pointer.bits >> 16) != 0 &&
      debuginfo::SpaceOfGenericPointerTag(static_cast<uint8_t>(pointer.bits >> 16)) != PointerKind::kCode) {
    width = 0xFF;
  }
  Scalar out = pointer;
  uint64_t moved = (address + delta) & width;
  out.bits = (pointer.bits & ~uint64_t{width}) | moved;
  return out;
}

}  // namespace

int64_t Scalar::Signed() const {
  uint32_t size = type.size == 0 ? 8 : type.size;
  if (type.isUnsigned || size >= 8) return static_cast<int64_t>(bits);
  uint64_t sign = uint64_t{1} << (size * 8 - 1);
  return static_cast<int64_t>((bits ^ sign) - sign);
}

bool Scalar::IsZero() const { return IsFloating(type) ? real == 0 : bits == 0; }

Scalar IntegerScalar(int64_t value, const Type& type) {
  Scalar s;
  s.type = type;
  s.bits = static_cast<uint64_t>(value) & Mask(type.size == 0 ? 8 : type.size);
  return s;
}

Scalar FloatScalar(double value) {
  Scalar s;
  s.type = BasicType(TypeCode::kFloat);
  s.real = static_cast<float>(value);
  return s;
}

Outcome<Scalar> Convert(const Scalar& value, const Type& to) {
  if (IsFloating(to)) {
    Scalar s = FloatScalar(AsDouble(value));
    s.type = to;
    return s;
  }
  if (to.Is(TypeCode::kBool)) return IntegerScalar(value.IsZero() ? 0 : 1, to);
  if (IsPointer(to) && IsPointer(value.type)) {
    // A generic pointer carries its space in the third byte; a pointer into one space is the address alone.
    PointerKind from = value.type.chain[0].pointer;
    PointerKind kind = to.chain[0].pointer;
    uint64_t address = AddressOfPointer(from, static_cast<uint32_t>(value.bits));
    if (kind != PointerKind::kGeneric) return IntegerScalar(static_cast<int64_t>(address), to);
    if (from == PointerKind::kGeneric) return IntegerScalar(static_cast<int64_t>(value.bits), to);
    return IntegerScalar(static_cast<int64_t>(address | uint64_t{debuginfo::GenericPointerTag(from)} << 16), to);
  }
  if (IsIntegral(to) || IsPointer(to)) {
    Type target = to;
    if (to.Is(TypeCode::kBitField) || to.Is(TypeCode::kSbit)) target.size = 8;  // bits are cut when stored
    if (IsFloating(value.type)) {
      double r = std::trunc(value.real);
      if (!std::isfinite(r) || std::fabs(r) >= 9.2e18) r = 0;
      return IntegerScalar(static_cast<int64_t>(r), target);
    }
    return IntegerScalar(
        static_cast<int64_t>(value.type.isUnsigned || IsPointer(value.type) ? value.bits
                                                                            : static_cast<uint64_t>(value.Signed())),
        target);
  }
  return Outcome<Scalar>::Fail(texts::kInvalidCast);
}

Scalar Promote(const Scalar& value) {
  if (IsFloating(value.type) || IsPointer(value.type)) return value;
  if (value.type.size >= 2 &&
      (value.type.Is(TypeCode::kInt) || value.type.Is(TypeCode::kLong) || value.type.Is(TypeCode::kLongLong))) {
    return value;
  }
  return IntegerScalar(value.type.isUnsigned ? static_cast<int64_t>(value.bits) : value.Signed(), IntType());
}

Outcome<Scalar> ApplyUnary(Op op, const Scalar& operand) {
  if (op == Op::kNot) return Boolean(operand.IsZero());
  if (IsPointer(operand.type)) return Outcome<Scalar>::Fail(texts::kNotNumber);
  if (IsFloating(operand.type)) {
    if (op == Op::kComplement) return Outcome<Scalar>::Fail(texts::kNotNumber);
    return FloatScalar(op == Op::kNegate ? -operand.real : operand.real);
  }
  Scalar p = Promote(operand);
  switch (op) {
    case Op::kNegate: return IntegerScalar(static_cast<int64_t>(0 - p.bits), p.type);
    case Op::kComplement: return IntegerScalar(static_cast<int64_t>(~p.bits), p.type);
    default: return p;
  }
}

Outcome<Scalar> ApplyBinary(Op op, const Scalar& left, const Scalar& right, const DebugInfo& info) {
  bool leftPointer = IsPointer(left.type);
  bool rightPointer = IsPointer(right.type);
  bool comparison = op == Op::kLess || op == Op::kGreater || op == Op::kLessEqual || op == Op::kGreaterEqual ||
                    op == Op::kEqual || op == Op::kNotEqual;
  if ((leftPointer || rightPointer) && !comparison) {
    if (leftPointer && (op == Op::kAdd || op == Op::kSub)) return PointerArithmetic(op, left, right, info);
    if (rightPointer && op == Op::kAdd && IsIntegral(left.type)) return PointerArithmetic(op, right, left, info);
    return Outcome<Scalar>::Fail(texts::kNotNumber);
  }
  if (IsFloating(left.type) || IsFloating(right.type)) {
    double a = AsDouble(left);
    double b = AsDouble(right);
    switch (op) {
      case Op::kMul: return FloatScalar(a * b);
      case Op::kDiv:
        if (b == 0) return Outcome<Scalar>::Fail(texts::kDivisionByZero);
        return FloatScalar(a / b);
      case Op::kAdd: return FloatScalar(a + b);
      case Op::kSub: return FloatScalar(a - b);
      case Op::kLess: return Boolean(a < b);
      case Op::kGreater: return Boolean(a > b);
      case Op::kLessEqual: return Boolean(a <= b);
      case Op::kGreaterEqual: return Boolean(a >= b);
      case Op::kEqual: return Boolean(a == b);
      case Op::kNotEqual: return Boolean(a != b);
      default: return Outcome<Scalar>::Fail(texts::kNotNumber);
    }
  }
  Scalar a = Promote(left);
  Scalar b = Promote(right);
  if (op == Op::kShl || op == Op::kShr) {
    // The result has the left operand's type; a count past its width leaves nothing (or the sign).
    int64_t count = b.Signed();
    uint32_t width = a.type.size * 8;
    if (count < 0 || count >= static_cast<int64_t>(width)) {
      bool negative = !a.type.isUnsigned && a.Signed() < 0;
      return IntegerScalar(op == Op::kShr && negative ? -1 : 0, a.type);
    }
    if (op == Op::kShl) return IntegerScalar(static_cast<int64_t>(a.bits << count), a.type);
    if (a.type.isUnsigned) return IntegerScalar(static_cast<int64_t>(a.bits >> count), a.type);
    return IntegerScalar(a.Signed() >> count, a.type);
  }
  Type common = (leftPointer || rightPointer) ? IntegerType(4, true) : CommonInteger(a.type, b.type);
  bool isUnsigned = common.isUnsigned;
  uint64_t ua = Convert(a, common).value->bits;
  uint64_t ub = Convert(b, common).value->bits;
  int64_t sa = IntegerScalar(static_cast<int64_t>(ua), common).Signed();
  int64_t sb = IntegerScalar(static_cast<int64_t>(ub), common).Signed();
  auto less = [&] { return isUnsigned ? ua < ub : sa < sb; };
  switch (op) {
    case Op::kMul: return IntegerScalar(static_cast<int64_t>(ua * ub), common);
    case Op::kDiv:
    case Op::kMod: {
      if (ub == 0) return Outcome<Scalar>::Fail(texts::kDivisionByZero);
      if (isUnsigned) return IntegerScalar(static_cast<int64_t>(op == Op::kDiv ? ua / ub : ua % ub), common);
      if (sb == -1) return IntegerScalar(op == Op::kDiv ? static_cast<int64_t>(0 - ua) : 0, common);
      return IntegerScalar(op == Op::kDiv ? sa / sb : sa % sb, common);
    }
    case Op::kAdd: return IntegerScalar(static_cast<int64_t>(ua + ub), common);
    case Op::kSub: return IntegerScalar(static_cast<int64_t>(ua - ub), common);
    case Op::kBitAnd: return IntegerScalar(static_cast<int64_t>(ua & ub), common);
    case Op::kBitOr: return IntegerScalar(static_cast<int64_t>(ua | ub), common);
    case Op::kBitXor: return IntegerScalar(static_cast<int64_t>(ua ^ ub), common);
    case Op::kLess: return Boolean(less());
    case Op::kGreater: return Boolean(!less() && ua != ub);
    case Op::kLessEqual: return Boolean(less() || ua == ub);
    case Op::kGreaterEqual: return Boolean(!less());
    case Op::kEqual: return Boolean(ua == ub);
    case Op::kNotEqual: return Boolean(ua != ub);
    default: return Outcome<Scalar>::Fail(texts::kNotNumber);
  }
}

std::vector<uint8_t> EncodeScalar(const Scalar& value) {
  uint64_t bits = value.bits;
  if (value.type.Is(TypeCode::kFloat)) bits = std::bit_cast<uint32_t>(static_cast<float>(value.real));
  if (value.type.Is(TypeCode::kFixed16x16))
    bits = static_cast<uint32_t>(static_cast<int32_t>(std::lround(value.real * 65536.0)));
  std::vector<uint8_t> out(value.type.size);
  for (size_t i = 0; i < out.size() && i < 8; ++i) out[i] = static_cast<uint8_t>(bits >> (8 * i));
  return out;
}

}  // namespace orven::debugger
