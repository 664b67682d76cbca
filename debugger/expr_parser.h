// Parses the C expressions a debugger user types (print, conditions, set var) into a tree. Bounded: the text and
// the nesting depth have limits, and every failure is a message in gdb's words, never a crash.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "debugger/expr_node.h"

namespace orven::debugger {

inline constexpr size_t kMaxExpressionLength = 1024;
inline constexpr unsigned kMaxExpressionDepth = 64;

struct ParseResult {
  std::unique_ptr<Node> root;  // null on failure
  std::string error;
};

ParseResult ParseExpression(std::string_view text);

}  // namespace orven::debugger
