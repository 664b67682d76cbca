// The parsed form of an expression: a tree the evaluator walks. Casts carry the C type as the debug records
// write one (the evaluator sizes it against the program's structs).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "debugger/target_port.h"
#include "debuginfo/type.h"

namespace orven::debugger {

enum class NodeKind : uint8_t {
  kInteger,     // value; type from the literal's size and suffix
  kFloat,       // real
  kCharacter,   // value
  kName,        // a variable or function: text
  kRegister,    // $acc: text without the $
  kRawMemory,   // X:addr: space, left = the address
  kUnary,       // op, left
  kBinary,      // op, left, right
  kAssign,      // left = right
  kMember,      // left.text
  kArrow,       // left->text
  kIndex,       // left[right]
  kCast,        // (type) left
  kSizeofType,  // sizeof(type)
  kSizeofExpr,  // sizeof expr: left
};

enum class Op : uint8_t {
  kNone,
  // unary
  kNegate,
  kPlus,
  kNot,
  kComplement,
  kDeref,
  kAddressOf,
  // binary
  kMul,
  kDiv,
  kMod,
  kAdd,
  kSub,
  kShl,
  kShr,
  kLess,
  kGreater,
  kLessEqual,
  kGreaterEqual,
  kEqual,
  kNotEqual,
  kBitAnd,
  kBitXor,
  kBitOr,
  kLogicalAnd,
  kLogicalOr,
  kRepeat,  // a@n: n objects like a, one after the other in memory (gdb's artificial array)
};

struct Node {
  NodeKind kind = NodeKind::kInteger;
  Op op = Op::kNone;
  std::string text;
  uint64_t value = 0;
  double real = 0;
  bool isUnsigned = false;   // kInteger: u suffix, or a hex literal too large for the signed type
  uint32_t literalSize = 2;  // kInteger: 2 int, 4 long, 8 long long
  Space space = Space::kData;
  debuginfo::Type type;  // kCast, kSizeofType
  std::unique_ptr<Node> left;
  std::unique_ptr<Node> right;
};

}  // namespace orven::debugger
