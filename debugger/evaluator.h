// Evaluates C expressions over a stopped target as gdb's print and set var do: names by C's scope rules at the
// frame's PC, members, elements, pointers, the arithmetic of C on this compiler, casts, registers ($acc, $r7,
// $pc, ...), raw memory (X:0x1234 is the byte there) and assignment.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "debugger/expr_node.h"
#include "debugger/value_access.h"

namespace orven::debugger {

// The frame an expression is evaluated in. For the innermost frame the PC is the stop's; for one further out
// the caller gives its PC (the return address) and, for a reentrant function, its frame pointer.
struct FrameContext {
  uint32_t pc = 0;
  // The frame pointer of a reentrant function's frame (the value of _bp): its stack locals and parameters lie
  // at fixed offsets from it.
  std::optional<uint32_t> frameBase;
  // Where the compiler keeps the frame pointer in D: (the map's _bp), read when frameBase is not given.
  std::optional<uint8_t> framePointerAddress;
  // Register locals can be read only in the innermost frame; further out the callee has reused the registers.
  bool innermost = true;
};

class Evaluator {
 public:
  Evaluator(const DebugInfo& info, MemoryReader& memory, FrameContext frame) : access_(info, memory), frame_(frame) {}

  // Parses and evaluates. The value is not read yet unless the expression needed it (a[i] reads i, not a).
  Outcome<Value> Evaluate(std::string_view text);
  Outcome<Value> Evaluate(const Node& node);

  // A breakpoint condition: true when the expression's value is not zero (a struct is an error, as in C).
  Outcome<bool> Condition(std::string_view text);

  // A symbol's value in this frame: where it lives, not read yet.
  Outcome<Value> ValueOf(const debuginfo::Symbol& symbol);

  ValueAccess& Access() { return access_; }
  const FrameContext& Frame() const { return frame_; }

 private:
  Outcome<Value> Name(const std::string& name);
  Outcome<Value> Register(const std::string& name);
  Outcome<Value> RawMemory(const Node& node);
  Outcome<Value> Unary(const Node& node);
  Outcome<Value> Binary(const Node& node);
  Outcome<Value> Repeat(const Node& node);
  Outcome<Value> Member(const Node& node);
  Outcome<Value> Index(const Node& node);
  Outcome<Value> Cast(const Node& node);
  Outcome<Value> Assign(const Node& node);
  Outcome<Scalar> ScalarOf(const Node& node);
  // The frame pointer, read once when the caller did not give it; `symbol` names the local in a failure.
  Outcome<uint32_t> FrameBase(const std::string& symbol);
  // The frame pointer while the innermost frame is on the instructions that set or restore it.
  std::optional<uint32_t> FrameBaseInPrologue();

  ValueAccess access_;
  FrameContext frame_;
};

}  // namespace orven::debugger
