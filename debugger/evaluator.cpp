#include "debugger/evaluator.h"

#include <algorithm>

#include "debugger/expr_parser.h"
#include "debugger/expression_texts.h"

namespace orven::debugger {
namespace {

using debuginfo::AddressSpace;
using debuginfo::Symbol;

template <class T>
Outcome<T> Fail(const char* pattern, std::string_view a = {}, std::string_view b = {}) {
  return Outcome<T>::Fail(texts::Fill(pattern, a, b));
}

struct RegisterEntry {
  const char* name;
  RegisterId id;
  uint32_t size;
};
constexpr RegisterEntry kRegisters[] = {
    {"r0", RegisterId::kR0, 1}, {"r1", RegisterId::kR1, 1},     {"r2", RegisterId::kR2, 1},
    {"r3", RegisterId::kR3, 1}, {"r4", RegisterId::kR4, 1},     {"r5", RegisterId::kR5, 1},
    {"r6", RegisterId::kR6, 1}, {"r7", RegisterId::kR7, 1},     {"acc", RegisterId::kAcc, 1},
    {"a", RegisterId::kAcc, 1}, {"b", RegisterId::kB, 1},       {"psw", RegisterId::kPsw, 1},
    {"sp", RegisterId::kSp, 1}, {"dptr", RegisterId::kDptr, 2}, {"pc", RegisterId::kPc, 2},
};

// D: addresses of the registers a register local may use: R0-R7 of its bank, then A, B, DPL, DPH.
uint8_t RegisterAddress(debuginfo::Register r, uint8_t bank) {
  switch (r) {
    case debuginfo::Register::kA: return 0xE0;
    case debuginfo::Register::kB: return 0xF0;
    case debuginfo::Register::kDpl: return 0x82;
    case debuginfo::Register::kDph: return 0x83;
    default: return static_cast<uint8_t>((bank & 3) * 8 + static_cast<uint8_t>(r));
  }
}

const char* RegisterText(debuginfo::Register r) {
  static constexpr const char* kNames[] = {"r0", "r1", "r2", "r3", "r4", "r5", "r6", "r7", "a", "b", "dpl", "dph"};
  return kNames[static_cast<size_t>(r) % 12];
}

uint32_t SpaceLimit(Space space) { return space == Space::kCode || space == Space::kXdata ? 0xFFFF : 0xFF; }

}  // namespace

Outcome<Value> Evaluator::Evaluate(std::string_view text) {
  ParseResult parsed = ParseExpression(text);
  if (!parsed.root) return Outcome<Value>::Fail(parsed.error);
  return Evaluate(*parsed.root);
}

Outcome<bool> Evaluator::Condition(std::string_view text) {
  Outcome<Value> v = Evaluate(text);
  if (!v) return Outcome<bool>::Fail(v.error);
  Outcome<Scalar> s = access_.ToScalar(*v);
  if (!s) return Outcome<bool>::Fail(s.error);
  return !s->IsZero();
}

Outcome<Value> Evaluator::Evaluate(const Node& node) {
  switch (node.kind) {
    case NodeKind::kInteger:
      return ValueAccess::FromScalar(
          IntegerScalar(static_cast<int64_t>(node.value), IntegerType(node.literalSize, node.isUnsigned)));
    case NodeKind::kCharacter:
      return ValueAccess::FromScalar(IntegerScalar(static_cast<int64_t>(node.value), BasicType(TypeCode::kChar, true)));
    case NodeKind::kFloat: return ValueAccess::FromScalar(FloatScalar(node.real));
    case NodeKind::kName: return Name(node.text);
    case NodeKind::kRegister: return Register(node.text);
    case NodeKind::kRawMemory: return RawMemory(node);
    case NodeKind::kUnary: return Unary(node);
    case NodeKind::kBinary: return Binary(node);
    case NodeKind::kAssign: return Assign(node);
    case NodeKind::kMember:
    case NodeKind::kArrow: return Member(node);
    case NodeKind::kIndex: return Index(node);
    case NodeKind::kCast: return Cast(node);
    case NodeKind::kSizeofType: {
      Type t = Sized(node.type, access_.Info());
      if (IsStruct(t) && !access_.Info().StructByName(t.chain[0].structName)) {
        return Fail<Value>(texts::kNoStruct, t.chain[0].structName);
      }
      return ValueAccess::FromScalar(IntegerScalar(t.size, IntegerType(2, true)));
    }
    case NodeKind::kSizeofExpr: {
      Outcome<Value> v = Evaluate(*node.left);
      if (!v) return v;
      return ValueAccess::FromScalar(IntegerScalar(v->type.size, IntegerType(2, true)));
    }
  }
  return Outcome<Value>::Fail(texts::kNotNumber);
}

Outcome<Scalar> Evaluator::ScalarOf(const Node& node) {
  Outcome<Value> v = Evaluate(node);
  if (!v) return Outcome<Scalar>::Fail(v.error);
  return access_.ToScalar(*v);
}

Outcome<Value> Evaluator::Name(const std::string& name) {
  const DebugInfo& info = access_.Info();
  const Symbol* s = info.FindSymbol(name, frame_.pc);
  if (!s) {
    if (const auto* f = info.FunctionByName(name); f && f->begin) {
      Value v;
      v.type = f->type;
      v.location = {LocationKind::kMemory, Space::kCode, *f->begin, {}, {}, {}};
      return v;
    }
    return Fail<Value>(texts::kNoSymbol, name);
  }
  return ValueOf(*s);
}

Outcome<uint32_t> Evaluator::FrameBase(const std::string& symbol) {
  if (frame_.frameBase) return *frame_.frameBase;
  if (!frame_.framePointerAddress) return Fail<uint32_t>(texts::kNoFrame, symbol);
  if (std::optional<uint32_t> base = FrameBaseInPrologue()) {
    frame_.frameBase = base;
    return *base;
  }
  uint8_t bp = 0;
  PortResult r = access_.Memory().Read(Space::kData, *frame_.framePointerAddress, std::span(&bp, 1));
  if (!r.ok) {
    return Fail<uint32_t>(texts::kCannotAccessBecause,
                          ValueAccess::PlaceName(Space::kData, *frame_.framePointerAddress), r.reason);
  }
  frame_.frameBase = bp;
  return uint32_t{bp};
}

std::optional<uint32_t> Evaluator::FrameBaseInPrologue() {
  // A reentrant function sets its frame pointer on entry (push _bp; mov _bp,sp) and restores the caller's
  // before it returns (mov sp,_bp; pop _bp; ret). Stopped on those instructions, _bp is the caller's; the
  // frame's own follows from SP.
  const debuginfo::Function* f = frame_.innermost ? access_.Info().FunctionAt(frame_.pc) : nullptr;
  if (!f || !f->begin || !f->end) return std::nullopt;
  uint8_t bp = *frame_.framePointerAddress;
  uint32_t pc = frame_.pc;
  int spOffset = -1;
  if (pc == *f->begin || pc == *f->begin + 2) {
    uint8_t entry[5] = {};
    const uint8_t expected[5] = {0xC0, bp, 0x85, 0x81, bp};  // push _bp; mov _bp,sp
    if (!access_.Memory().Read(Space::kCode, *f->begin, entry).ok || !std::equal(entry, entry + 5, expected)) {
      return std::nullopt;
    }
    spOffset = pc == *f->begin ? 1 : 0;
  } else if (pc == *f->end && *f->end >= 2) {
    uint8_t exit[3] = {};
    const uint8_t expected[3] = {0xD0, bp, 0x22};  // pop _bp; ret
    if (!access_.Memory().Read(Space::kCode, *f->end - 2, exit).ok || !std::equal(exit, exit + 3, expected)) {
      return std::nullopt;
    }
    spOffset = 1;
  } else {
    return std::nullopt;
  }
  RegisterSet registers;
  if (!access_.Memory().Registers(registers).ok) return std::nullopt;
  return static_cast<uint32_t>((registers.sp + spOffset) & 0xFF);
}

Outcome<Value> Evaluator::ValueOf(const Symbol& s) {
  Value v;
  v.type = s.type;
  if (v.type.size == 0 && !IsFunction(v.type)) v.type = Sized(v.type, access_.Info());
  Location& l = v.location;
  l.kind = LocationKind::kMemory;
  switch (s.space) {
    case AddressSpace::kData:
    case AddressSpace::kSfr: l.space = Space::kData; break;
    case AddressSpace::kIdata: l.space = Space::kIdata; break;
    case AddressSpace::kXdata: l.space = Space::kXdata; break;
    case AddressSpace::kPdata: l.space = Space::kPdata; break;
    case AddressSpace::kCode:
    case AddressSpace::kCodeStatic: l.space = Space::kCode; break;
    case AddressSpace::kBit:
    case AddressSpace::kSbit: l.kind = LocationKind::kBit; break;
    case AddressSpace::kRegister: {
      if (s.registers.empty()) {
        l.kind = LocationKind::kOptimizedOut;
        return v;
      }
      if (!frame_.innermost) {
        l.kind = LocationKind::kNotSaved;
        return v;
      }
      const debuginfo::Function* f = access_.Info().FunctionAt(frame_.pc);
      uint8_t bank = f ? f->registerBank : 0;
      l.kind = LocationKind::kRegisters;
      for (debuginfo::Register r : s.registers) l.registerBytes.push_back(RegisterAddress(r, bank));
      l.registerName = RegisterText(s.registers[0]);
      return v;
    }
    case AddressSpace::kInternalStack:
    case AddressSpace::kExternalStack: {
      // Stack locals lie at fixed offsets from the frame pointer: the idata stack, or with --xstack the
      // pseudo stack in the first page of external RAM.
      Outcome<uint32_t> base = FrameBase(s.name);
      if (!base) return Outcome<Value>::Fail(base.error);
      l.space = s.space == AddressSpace::kInternalStack ? Space::kIdata : Space::kPdata;
      l.address = static_cast<uint32_t>(static_cast<int64_t>(*base) + s.stackOffset) & 0xFF;
      return v;
    }
    default: return Fail<Value>(texts::kNoAddress, s.name);
  }
  if (!s.address) return Fail<Value>(texts::kNoAddress, s.name);
  l.address = *s.address;
  return v;
}

Outcome<Value> Evaluator::Register(const std::string& name) {
  for (const RegisterEntry& r : kRegisters) {
    if (name != r.name) continue;
    Value v;
    if (r.id == RegisterId::kPc) {
      // The PC points at code, as gdb shows it: a pointer to a function.
      v.type = PointerTo(FunctionReturning(BasicType(TypeCode::kVoid)), PointerKind::kCode);
      if (!frame_.innermost) return ValueAccess::FromScalar(IntegerScalar(frame_.pc, v.type));
    } else {
      v.type = IntegerType(r.size, true);
    }
    v.location.kind = LocationKind::kCpuRegister;
    v.location.cpu = r.id;
    return v;
  }
  return Fail<Value>(texts::kInvalidRegister, name);
}

Outcome<Value> Evaluator::RawMemory(const Node& node) {
  Outcome<Scalar> address = ScalarOf(*node.left);
  if (!address) return Outcome<Value>::Fail(address.error);
  if (IsFloating(address->type)) return Outcome<Value>::Fail(texts::kNotNumber);
  uint64_t a = IsPointer(address->type)
                   ? AddressOfPointer(address->type.chain[0].pointer, static_cast<uint32_t>(address->bits))
                   : static_cast<uint64_t>(address->Signed());
  if (a > SpaceLimit(node.space)) {
    return Fail<Value>(texts::kCannotAccess, ValueAccess::PlaceName(node.space, static_cast<uint32_t>(a)));
  }
  Value v;
  v.type = BasicType(TypeCode::kChar, true);
  v.location.kind = LocationKind::kMemory;
  v.location.space = node.space;
  v.location.address = static_cast<uint32_t>(a);
  return v;
}

Outcome<Value> Evaluator::Unary(const Node& node) {
  Outcome<Value> operand = Evaluate(*node.left);
  if (!operand) return operand;
  if (node.op == Op::kDeref) {
    if (IsFunction(operand->type)) return operand;  // *f is f, as in C
    Outcome<Scalar> p = access_.ToScalar(*operand);
    if (!p) return Outcome<Value>::Fail(p.error);
    return access_.Dereference(*p);
  }
  if (node.op == Op::kAddressOf) {
    const Location& l = operand->location;
    if (l.kind == LocationKind::kRegisters) {
      return Fail<Value>(texts::kAddressOfRegister, node.left->kind == NodeKind::kName ? node.left->text : "",
                         l.registerName);
    }
    if (l.kind != LocationKind::kMemory || operand->type.Is(TypeCode::kBitField))
      return Outcome<Value>::Fail(texts::kNotInMemory);
    PointerKind kind = IsFunction(operand->type) ? PointerKind::kCode : PointerKindOfSpace(l.space);
    return ValueAccess::FromScalar(IntegerScalar(l.address, PointerTo(operand->type, kind)));
  }
  Outcome<Scalar> s = access_.ToScalar(*operand);
  if (!s) return Outcome<Value>::Fail(s.error);
  Outcome<Scalar> r = ApplyUnary(node.op, *s);
  if (!r) return Outcome<Value>::Fail(r.error);
  return ValueAccess::FromScalar(*r);
}

Outcome<Value> Evaluator::Binary(const Node& node) {
  if (node.op == Op::kRepeat) return Repeat(node);
  Outcome<Scalar> left = ScalarOf(*node.left);
  if (!left) return Outcome<Value>::Fail(left.error);
  if (node.op == Op::kLogicalAnd || node.op == Op::kLogicalOr) {
    bool truth = !left->IsZero();
    // The right side is not evaluated (nor read) when the left decides.
    if (truth == (node.op == Op::kLogicalOr))
      return ValueAccess::FromScalar(IntegerScalar(truth, BasicType(TypeCode::kInt)));
    Outcome<Scalar> right = ScalarOf(*node.right);
    if (!right) return Outcome<Value>::Fail(right.error);
    return ValueAccess::FromScalar(IntegerScalar(!right->IsZero(), BasicType(TypeCode::kInt)));
  }
  Outcome<Scalar> right = ScalarOf(*node.right);
  if (!right) return Outcome<Value>::Fail(right.error);
  Outcome<Scalar> r = ApplyBinary(node.op, *left, *right, access_.Info());
  if (!r) return Outcome<Value>::Fail(r.error);
  return ValueAccess::FromScalar(*r);
}

Outcome<Value> Evaluator::Repeat(const Node& node) {
  Outcome<Value> first = Evaluate(*node.left);
  if (!first) return first;
  Outcome<Scalar> count = ScalarOf(*node.right);
  if (!count) return Outcome<Value>::Fail(count.error);
  if (!IsIntegral(count->type)) return Outcome<Value>::Fail(texts::kNotNumber);
  if (first->location.kind != LocationKind::kMemory || IsFunction(first->type) || first->type.Is(TypeCode::kBitField)) {
    return Outcome<Value>::Fail(texts::kRepeatNotInMemory);
  }
  int64_t n = Promote(*count).Signed();
  uint64_t bytes = static_cast<uint64_t>(n) * first->type.size;
  if (n <= 0 || bytes > kMaxValueBytes || first->type.chain.size() >= debuginfo::kMaxTypeChain) {
    return Fail<Value>(texts::kRepeatCount, std::to_string(n));
  }
  Value v = *first;
  debuginfo::TypeElement array;
  array.code = TypeCode::kArray;
  array.count = static_cast<uint32_t>(n);
  v.type.chain.insert(v.type.chain.begin(), array);
  v.type.size = static_cast<uint32_t>(bytes);
  v.loaded = false;
  v.bytes.clear();
  return v;
}

Outcome<Value> Evaluator::Member(const Node& node) {
  Outcome<Value> base = Evaluate(*node.left);
  if (!base) return base;
  if (node.kind == NodeKind::kArrow) {
    if (!IsPointer(base->type) || !IsStruct(TargetOf(base->type, access_.Info()))) {
      return Outcome<Value>::Fail(texts::kNotStructPointer);
    }
    Outcome<Scalar> p = access_.ToScalar(*base);
    if (!p) return Outcome<Value>::Fail(p.error);
    base = access_.Dereference(*p);
    if (!base) return base;
  }
  if (!IsStruct(base->type)) return Outcome<Value>::Fail(texts::kNotStruct);
  const auto* s = access_.Info().StructByName(base->type.chain[0].structName);
  if (s) {
    for (const auto& m : s->members) {
      if (m.name == node.text) return access_.Member(*base, m);
    }
  }
  return Fail<Value>(texts::kNoMember, node.text);
}

Outcome<Value> Evaluator::Index(const Node& node) {
  Outcome<Value> base = Evaluate(*node.left);
  if (!base) return base;
  Outcome<Scalar> index = ScalarOf(*node.right);
  if (!index) return Outcome<Value>::Fail(index.error);
  if (!IsIntegral(index->type)) return Outcome<Value>::Fail(texts::kNotNumber);
  int64_t i = Promote(*index).Signed();
  if (IsArray(base->type) && base->location.kind != LocationKind::kMemory) {
    // An array kept whole outside addressable memory (registers, a computed value): its elements are slices.
    if (i < 0 || i >= base->type.chain[0].count) return Outcome<Value>::Fail(texts::kNotInMemory);
    return access_.Element(*base, static_cast<uint32_t>(i));
  }
  if (!IsArray(base->type) && !IsPointer(base->type)) {
    return Fail<Value>(texts::kCannotSubscript, TypeName(base->type, access_.Info()));
  }
  Outcome<Scalar> pointer = access_.ToScalar(*base);
  if (!pointer) return Outcome<Value>::Fail(pointer.error);
  Outcome<Scalar> moved = ApplyBinary(Op::kAdd, *pointer, IntegerScalar(i, IntegerType(4, false)), access_.Info());
  if (!moved) return Outcome<Value>::Fail(moved.error);
  return access_.Dereference(*moved);
}

Outcome<Value> Evaluator::Cast(const Node& node) {
  Type to = Sized(node.type, access_.Info());
  Outcome<Value> operand = Evaluate(*node.left);
  if (!operand) return operand;
  if (IsStruct(to)) {
    if (!access_.Info().StructByName(to.chain[0].structName))
      return Fail<Value>(texts::kNoStruct, to.chain[0].structName);
    if (TypeName(operand->type, access_.Info()) != TypeName(to, access_.Info()))
      return Outcome<Value>::Fail(texts::kInvalidCast);
    return operand;
  }
  if (to.Is(TypeCode::kVoid)) {
    Value v;
    v.type = to;
    v.loaded = true;
    return v;
  }
  Outcome<Scalar> s = access_.ToScalar(*operand);
  if (!s) return Outcome<Value>::Fail(s.error == texts::kNotNumber ? texts::kInvalidCast : s.error);
  Outcome<Scalar> c = Convert(*s, to);
  if (!c) return Outcome<Value>::Fail(c.error);
  return ValueAccess::FromScalar(*c);
}

Outcome<Value> Evaluator::Assign(const Node& node) {
  Outcome<Value> place = Evaluate(*node.left);
  if (!place) return place;
  if (!place->IsLvalue() || IsFunction(place->type)) return Outcome<Value>::Fail(texts::kNotLvalue);
  Outcome<Value> from = Evaluate(*node.right);
  if (!from) return from;
  return access_.Assign(*place, *from);
}

}  // namespace orven::debugger
