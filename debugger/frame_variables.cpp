#include "debugger/frame_variables.h"

#include <algorithm>

#include "debugger/expression_texts.h"

namespace orven::debugger {
namespace {

using debuginfo::Symbol;

// Parameters and the function's own locals share level 1; the compiler numbers the parameters' block before
// the block of the function's body, which its level-1 line records carry. Without line records, parameters
// passed on the stack lie below the frame pointer.
bool IsParameter(const DebugInfo& info, const debuginfo::Function& f, const Symbol& s) {
  if (s.level > 1) return false;
  const auto& all = info.Lines().ByAddress();
  if (f.begin && f.end) {
    for (const auto* r = info.Lines().FirstIn(*f.begin, *f.end);
         r && r != all.data() + all.size() && r->address <= *f.end; ++r) {
      if (r->level == 1) return s.block < r->block;
    }
  }
  return s.onStack && s.stackOffset < 0;
}

}  // namespace

std::vector<const Symbol*> FrameVariables::LocalSymbols(const DebugInfo& info, uint32_t pc) {
  std::vector<const Symbol*> out;
  const debuginfo::Function* f = info.FunctionAt(pc);
  if (!f) return out;
  for (const debuginfo::Scope& scope : info.ScopeChainAt(pc)) {
    if (scope.kind != debuginfo::Scope::Kind::kBlock && scope.kind != debuginfo::Scope::Kind::kFunction) continue;
    for (const Symbol* s : scope.symbols) {
      if (!IsParameter(info, *f, *s)) out.push_back(s);
    }
  }
  return out;
}

std::vector<const Symbol*> FrameVariables::ArgumentSymbols(const DebugInfo& info, uint32_t pc) {
  std::vector<const Symbol*> out;
  const debuginfo::Function* f = info.FunctionAt(pc);
  if (!f) return out;
  for (uint32_t i : f->locals) {
    const Symbol& s = info.Symbols()[i];
    if (IsParameter(info, *f, s)) out.push_back(&s);
  }
  // The compiler lists the parameters that arrive in memory (the second one on) before the first, which
  // arrives in DPL/DPH/B/A and is kept in registers.
  std::stable_partition(out.begin(), out.end(),
                        [](const Symbol* s) { return s->space == debuginfo::AddressSpace::kRegister; });
  return out;
}

std::vector<std::string> FrameVariables::Texts(const std::vector<const Symbol*>& symbols, FormatOptions options) {
  ValueAccess& access = evaluator_.Access();
  ValueFormatter formatter(access, options);
  std::vector<Outcome<Value>> values;
  std::vector<MemoryRange> ranges;
  for (const Symbol* s : symbols) {
    values.push_back(evaluator_.ValueOf(*s));
    if (values.back() && !(options.summary && (IsStruct(values.back()->type) || IsArray(values.back()->type)))) {
      ValueAccess::CollectRanges(*values.back(), formatter.BytesShown(*values.back()), ranges);
    }
  }
  access.Memory().Prefetch(std::move(ranges));
  std::vector<std::string> out;
  for (auto& v : values) {
    if (!v) {
      out.push_back("<error: " + v.error + ">");
      continue;
    }
    Outcome<std::string> text = formatter.Format(*v);
    out.push_back(text ? *text : "<error: " + text.error + ">");
  }
  return out;
}

std::vector<std::string> FrameVariables::Locals(FormatOptions options) {
  const DebugInfo& info = evaluator_.Access().Info();
  uint32_t pc = evaluator_.Frame().pc;
  if (!info.FunctionAt(pc)) return {texts::kNoSymbolTable};
  auto symbols = LocalSymbols(info, pc);
  if (symbols.empty()) return {texts::kNoLocals};
  auto values = Texts(symbols, options);
  std::vector<std::string> out;
  for (size_t i = 0; i < symbols.size(); ++i) out.push_back(symbols[i]->name + " = " + values[i]);
  return out;
}

std::vector<std::string> FrameVariables::Args(FormatOptions options) {
  const DebugInfo& info = evaluator_.Access().Info();
  uint32_t pc = evaluator_.Frame().pc;
  if (!info.FunctionAt(pc)) return {texts::kNoSymbolTable};
  auto symbols = ArgumentSymbols(info, pc);
  if (symbols.empty()) return {texts::kNoArguments};
  auto values = Texts(symbols, options);
  std::vector<std::string> out;
  for (size_t i = 0; i < symbols.size(); ++i) out.push_back(symbols[i]->name + " = " + values[i]);
  return out;
}

std::string FrameVariables::ArgumentList() {
  auto symbols = ArgumentSymbols(evaluator_.Access().Info(), evaluator_.Frame().pc);
  FormatOptions summary;
  summary.summary = true;
  auto values = Texts(symbols, summary);
  std::string out;
  for (size_t i = 0; i < symbols.size(); ++i) out += (i ? ", " : "") + symbols[i]->name + "=" + values[i];
  return out;
}

}  // namespace orven::debugger
