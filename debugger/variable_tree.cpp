#include "debugger/variable_tree.h"

#include <algorithm>
#include <cctype>

namespace orven::debugger {
namespace {

uint32_t ChildCount(const Value& v, const DebugInfo& info) {
  if (IsArray(v.type)) return v.type.chain[0].count;
  if (IsStruct(v.type)) {
    const auto* s = info.StructByName(v.type.chain[0].structName);
    return s ? static_cast<uint32_t>(s->members.size()) : 0;
  }
  if (IsPointer(v.type)) {
    Type target = TargetOf(v.type, info);
    return target.Is(TypeCode::kVoid) || IsFunction(target) ? 0 : 1;
  }
  return 0;
}

// The parent's expression as the operand of a postfix operator or of *.
std::string Operand(const std::string& expression) {
  bool simple = std::all_of(expression.begin(), expression.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '[' || c == ']' || c == '$';
  });
  return simple ? expression : "(" + expression + ")";
}

}  // namespace

VariableNode VariableTree::Make(std::string name, Value value, std::string expression) {
  VariableNode node;
  node.expression = expression.empty() ? name : std::move(expression);
  node.name = std::move(name);
  node.type = TypeName(value.type, access_.Info());
  ValueFormatter formatter(access_, options_);
  Outcome<std::string> text = formatter.Format(value);
  node.value = text ? *text : "<error: " + text.error + ">";
  node.childCount = ChildCount(value, access_.Info());
  node.place = std::move(value);
  return node;
}

std::vector<VariableNode> VariableTree::Children(const VariableNode& parent, uint32_t start, uint32_t count) {
  std::vector<VariableNode> out;
  const Value& v = parent.place;
  uint64_t wanted = std::min(count, kMaxChildrenAtOnce);
  uint32_t end = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{start} + wanted, parent.childCount));
  if (start >= end) return out;
  if (IsPointer(v.type)) {
    Value pointer = v;
    Outcome<Scalar> p = access_.ToScalar(pointer);
    Outcome<Value> target = p ? access_.Dereference(*p) : Outcome<Value>::Fail(p.error);
    if (target) out.push_back(Make("*" + parent.name, *target, "*" + Operand(parent.expression)));
    return out;
  }
  std::vector<Value> children;
  std::vector<std::string> names;
  std::vector<std::string> expressions;
  std::string operand = Operand(parent.expression);
  if (IsArray(v.type)) {
    for (uint32_t i = start; i < end; ++i) {
      children.push_back(access_.Element(v, i));
      names.push_back("[" + std::to_string(i) + "]");
      expressions.push_back(operand + names.back());
    }
  } else {
    const auto* s = access_.Info().StructByName(v.type.chain[0].structName);
    for (uint32_t i = start; i < end && s && i < s->members.size(); ++i) {
      children.push_back(access_.Member(v, s->members[i]));
      names.push_back(s->members[i].name);
      expressions.push_back(operand + "." + names.back());
    }
  }
  // All children at once: neighbours merge into one request.
  std::vector<MemoryRange> ranges;
  ValueFormatter formatter(access_, options_);
  for (const Value& c : children) ValueAccess::CollectRanges(c, formatter.BytesShown(c), ranges);
  access_.Memory().Prefetch(std::move(ranges));
  for (size_t i = 0; i < children.size(); ++i) out.push_back(Make(names[i], std::move(children[i]), expressions[i]));
  return out;
}

}  // namespace orven::debugger
