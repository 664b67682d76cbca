// Numbers as C computes with them on this compiler: integers of 8 to 64 bits with the integer promotions and
// the usual arithmetic conversions (int is 16 bits), IEEE single floats, and pointers with their arithmetic.
#pragma once

#include <cstdint>

#include "debugger/c_types.h"
#include "debugger/expr_node.h"
#include "debugger/value.h"

namespace orven::debugger {

struct Scalar {
  Type type;          // integral, floating or pointer, sized
  uint64_t bits = 0;  // integral and pointer: the value truncated to the type's size
  double real = 0;    // floating

  // The integer value, sign-extended when the type is signed.
  int64_t Signed() const;
  bool IsZero() const;
};

Scalar IntegerScalar(int64_t value, const Type& type);
Scalar FloatScalar(double value);

// The value converted as C converts on assignment or cast (float to integer truncates; to _Bool any non-zero
// value is 1). Fails for structs, arrays and functions.
Outcome<Scalar> Convert(const Scalar& value, const Type& to);
// The integer promotions: char, _Bool, bit-fields and bits become int.
Scalar Promote(const Scalar& value);

// Unary -, +, !, ~.
Outcome<Scalar> ApplyUnary(Op op, const Scalar& operand);
// Binary operators except && and ||, which the evaluator short-circuits.
Outcome<Scalar> ApplyBinary(Op op, const Scalar& left, const Scalar& right, const DebugInfo& info);

// Bytes of the value in the target's order (least significant first), type.size of them.
std::vector<uint8_t> EncodeScalar(const Scalar& value);

}  // namespace orven::debugger
