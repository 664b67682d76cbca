// Values as a tree a debugger front end browses: each node has a name, its type's text and its value's text,
// and its children (members, elements, the target of a pointer) are read only when asked for, with one
// request for all of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "debugger/value_formatter.h"

namespace orven::debugger {

struct VariableNode {
  std::string name;         // "len", "[3]", "*p"
  std::string expression;   // what evaluates to it again: "pk.len", "buf[3]", "*ou.next"
  std::string type;         // "unsigned char [16]"
  std::string value;        // as print shows it; a failed read is "<error: ...>"
  uint32_t childCount = 0;  // members, elements, or 1 for a pointer that leads somewhere
  Value place;              // where it lives, for Children()
};

// Children handed out by one Children() call at most; a front end pages through longer arrays.
inline constexpr uint32_t kMaxChildrenAtOnce = 1000;

class VariableTree {
 public:
  explicit VariableTree(ValueAccess& access, FormatOptions options = {}) : access_(access), options_(options) {}

  // A node for a value (reads it to show it); `expression` evaluates to it, and is its name unless given.
  VariableNode Make(std::string name, Value value, std::string expression = {});
  // Children [start, start + count) of a node (at most kMaxChildrenAtOnce), from one read.
  std::vector<VariableNode> Children(const VariableNode& parent, uint32_t start = 0, uint32_t count = UINT32_MAX);

 private:
  ValueAccess& access_;
  FormatOptions options_;
};

}  // namespace orven::debugger
