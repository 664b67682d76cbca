// gdb's `info locals` and `info args` for a frame: the function's parameters and the locals in scope at the
// frame's PC, each "name = value", read together so that one memory space costs one or two requests.
#pragma once

#include <string>
#include <vector>

#include "debugger/evaluator.h"
#include "debugger/value_formatter.h"

namespace orven::debugger {

class FrameVariables {
 public:
  explicit FrameVariables(Evaluator& evaluator) : evaluator_(evaluator) {}

  // "name = value" lines, innermost block first; "No locals." or "No symbol table info available." alone.
  std::vector<std::string> Locals(FormatOptions options = {});
  // "name = value" lines in the order the parameters are declared; "No arguments." when there are none.
  std::vector<std::string> Args(FormatOptions options = {});
  // The parameters as a backtrace shows them: "n=5, p=0x0010".
  std::string ArgumentList();

  // The locals in scope at the PC (innermost block first) and the parameters of the function there.
  static std::vector<const debuginfo::Symbol*> LocalSymbols(const DebugInfo& info, uint32_t pc);
  static std::vector<const debuginfo::Symbol*> ArgumentSymbols(const DebugInfo& info, uint32_t pc);

 private:
  // Each symbol's value text, after one prefetch of all of them.
  std::vector<std::string> Texts(const std::vector<const debuginfo::Symbol*>& symbols, FormatOptions options);

  Evaluator& evaluator_;
};

}  // namespace orven::debugger
