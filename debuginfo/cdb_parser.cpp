#include "debuginfo/cdb_parser.h"

#include <algorithm>

#include "debuginfo/record_cursor.h"
#include "debuginfo/texts.h"

namespace orven::debuginfo {
namespace {

// Structs inside structs (by value) deeper than this are refused, as is a struct that contains itself.
constexpr int kMaxStructNesting = 32;

bool ParseLevel(RecordCursor& in, uint16_t& level, uint16_t& sublevel) {
  uint32_t major = 0;
  uint32_t minor = 0;
  if (!in.Decimal(major) || major > 0xFFFF) return false;
  if (in.Take('_') && (!in.Decimal(minor) || minor > 0xFFFF)) return false;
  level = static_cast<uint16_t>(major);
  sublevel = static_cast<uint16_t>(minor);
  return true;
}

// <scope>$<name>$<level>$<block>, filling the symbol's scope fields and its canonical link key.
bool ParseSymbolKey(RecordCursor& in, Symbol& s, std::string& key) {
  std::string_view scope = in.Until("$");
  if (scope.empty() || !in.Take('$')) return false;
  std::string_view name = in.Until("$");
  if (name.empty() || !in.Take('$') || !ParseLevel(in, s.level, s.sublevel) || !in.Take('$') ||
      !in.Decimal(s.block)) {
    return false;
  }
  switch (scope[0]) {
    case 'G':
      if (scope.size() != 1) return false;
      s.scope = ScopeKind::kGlobal;
      break;
    case 'F':
      if (scope.size() < 2) return false;
      s.scope = ScopeKind::kFile;
      s.module = std::string(scope.substr(1));
      break;
    case 'L': {
      if (scope.size() < 2) return false;
      std::string_view owner = scope.substr(1);
      size_t dot = owner.rfind('.');
      s.scope = ScopeKind::kFunction;
      if (dot != std::string_view::npos) {
        s.module = std::string(owner.substr(0, dot));
        owner = owner.substr(dot + 1);
      }
      if (owner.empty()) return false;
      s.function = std::string(owner);
      break;
    }
    case 'S':
      if (scope.size() != 1) return false;
      s.scope = ScopeKind::kMember;
      break;
    default: return false;
  }
  s.name = std::string(name);
  key.assign(scope);
  key += '$';
  key += name;
  key += '$' + std::to_string(s.level) + '_' + std::to_string(s.sublevel) + '$' + std::to_string(s.block);
  return true;
}

bool ParseSpace(char letter, AddressSpace& out) {
  switch (letter) {
    case 'A':
    case 'B':
    case 'C':
    case 'D':
    case 'E':
    case 'F':
    case 'G':
    case 'H':
    case 'I':
    case 'J':
    case 'P':
    case 'R':
    case 'Z': out = static_cast<AddressSpace>(letter); return true;
    default: return false;
  }
}

bool ParseRegister(std::string_view name, Register& out) {
  static constexpr std::pair<std::string_view, Register> kNames[] = {
      {"r0", Register::kR0}, {"r1", Register::kR1}, {"r2", Register::kR2},   {"r3", Register::kR3},
      {"r4", Register::kR4}, {"r5", Register::kR5}, {"r6", Register::kR6},   {"r7", Register::kR7},
      {"a", Register::kA},   {"b", Register::kB},   {"dpl", Register::kDpl}, {"dph", Register::kDph}};
  for (const auto& [text, reg] : kNames) {
    if (name.size() == text.size() && std::equal(name.begin(), name.end(), text.begin(), [](char a, char b) {
          return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
        })) {
      out = reg;
      return true;
    }
  }
  return false;
}

// Everything of a symbol after the record letter: key, type, space, stack and registers.
bool ParseSymbolBody(RecordCursor& in, Symbol& s, std::string& key) {
  if (!ParseSymbolKey(in, s, key)) return false;
  std::string_view chain = in.Through(')');
  if (chain.empty()) return false;
  auto type = ParseTypeChain(chain, nullptr);
  if (!type) return false;
  s.type = std::move(*type);
  uint32_t onStack = 0;
  if (!in.Take(',') || !ParseSpace(in.Peek(), s.space) || !in.Take(in.Peek()) || !in.Take(',') ||
      !in.Decimal(onStack) || onStack > 1 || !in.Take(',') || !in.SignedDecimal(s.stackOffset)) {
    return false;
  }
  s.onStack = onStack == 1;
  if (in.Peek() == ',' && in.Take(',')) {
    if (!in.Take('[')) return false;
    while (!in.Take(']')) {
      Register reg;
      if (s.registers.size() == 8 || !ParseRegister(in.Until(",]"), reg)) return false;
      s.registers.push_back(reg);
      if (in.Peek() != ']' && !in.Take(',')) return false;
    }
  }
  return true;
}

}  // namespace

std::string CanonicalLinkKey(std::string_view key) {
  // scope $ name $ level $ block: only the level part changes.
  size_t first = key.find('$');
  size_t second = first == std::string_view::npos ? first : key.find('$', first + 1);
  size_t third = second == std::string_view::npos ? second : key.find('$', second + 1);
  if (third == std::string_view::npos) return std::string(key);
  std::string_view level = key.substr(second + 1, third - second - 1);
  if (level.find('_') != std::string_view::npos) return std::string(key);
  std::string out(key.substr(0, third));
  out += "_0";
  out += key.substr(third);
  return out;
}

DebugInfo CdbParser::Parse(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view record = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber_;
    if (!record.empty() && record.back() == '\r') record.remove_suffix(1);
    if (record.empty()) continue;
    if (record.size() > kMaxRecordLength) {
      Report(texts::kRecordTooLong, lineNumber_);
      continue;
    }
    ParseRecord(record);
  }
  ApplyLinkAddresses();
  info_.Index();
  DropSelfContainingMembers();
  if (malformed_ > diagnostics_.size()) {
    diagnostics_.push_back(
        {fileName_, lineNumber_, std::to_string(malformed_ - diagnostics_.size()) + " " + texts::kMoreDiagnostics});
  }
  return std::move(info_);
}

void CdbParser::ParseRecord(std::string_view record) {
  if (record.size() < 2 || record[1] != ':') {
    Report(texts::kUnknownRecord, lineNumber_);
    return;
  }
  std::string_view body = record.substr(2);
  switch (record[0]) {
    case 'M':
      if (!ParseModule(body)) Report(texts::kBadModule, lineNumber_);
      break;
    case 'F':
      if (!ParseFunction(body)) Report(texts::kBadFunction, lineNumber_);
      break;
    case 'S':
      if (!ParseSymbolRecord(body)) Report(texts::kBadSymbol, lineNumber_);
      break;
    case 'T':
      if (!ParseStruct(body)) Report(texts::kBadStruct, lineNumber_);
      break;
    case 'L':
      if (!ParseLinker(body)) Report(texts::kBadLinker, lineNumber_);
      break;
    default: Report(texts::kUnknownRecord, lineNumber_);
  }
}

bool CdbParser::ParseModule(std::string_view body) {
  if (body.empty() || body.find_first_of("$:") != std::string_view::npos) return false;
  module_ = std::string(body);
  info_.modules_.push_back(module_);
  return true;
}

bool CdbParser::ParseFunction(std::string_view body) {
  RecordCursor in(body);
  Symbol s;
  std::string key;
  if (!ParseSymbolKey(in, s, key) || s.scope == ScopeKind::kFunction || s.scope == ScopeKind::kMember) {
    return false;
  }
  std::string_view chain = in.Through(')');
  auto type = ParseTypeChain(chain, nullptr);
  if (!type || !type->Is(TypeCode::kFunction)) return false;
  AddressSpace space;
  uint32_t onStack = 0, stack = 0, interrupt = 0, vector = 0, bank = 0;
  if (!in.Take(',') || !ParseSpace(in.Peek(), space) || !in.Take(in.Peek()) || !in.Take(',') ||
      !in.Decimal(onStack) || !in.Take(',') || !in.Decimal(stack) || !in.Take(',') || !in.Decimal(interrupt) ||
      !in.Take(',') || !in.Decimal(vector) || !in.Take(',') || !in.Decimal(bank) || !in.AtEnd()) {
    return false;
  }
  if (interrupt > 1 || vector > 255 || bank > 3) return false;
  Function f;
  f.name = std::move(s.name);
  f.module = s.scope == ScopeKind::kFile ? s.module : module_;
  f.isStatic = s.scope == ScopeKind::kFile;
  f.type = std::move(*type);
  f.isInterrupt = interrupt == 1;
  f.interruptNumber = static_cast<uint8_t>(vector);
  f.registerBank = static_cast<uint8_t>(bank);
  f.stackSize = stack;
  f.recordLine = lineNumber_;
  info_.functions_.push_back(std::move(f));
  info_.functionKeys_.push_back(std::move(key));
  return true;
}

bool CdbParser::ParseSymbolRecord(std::string_view body) {
  RecordCursor in(body);
  Symbol s;
  std::string key;
  if (!ParseSymbolBody(in, s, key) || !in.AtEnd() || s.scope == ScopeKind::kMember) return false;
  if (s.module.empty()) s.module = module_;
  s.recordLine = lineNumber_;
  info_.symbols_.push_back(std::move(s));
  info_.symbolKeys_.push_back(std::move(key));
  return true;
}

bool CdbParser::ParseStruct(std::string_view body) {
  RecordCursor in(body);
  std::string_view scope = in.Until("$");
  if (scope.size() < 2 || scope[0] != 'F' || !in.Take('$')) return false;
  StructType t;
  t.module = std::string(scope.substr(1));
  t.name = std::string(in.Until("["));
  t.recordLine = lineNumber_;
  if (t.name.empty() || !in.Take('[')) return false;
  while (in.Take('(')) {
    StructMember member;
    Symbol s;
    std::string key;
    if (!in.Take('{') || !in.Decimal(member.offset) || !in.Take('}') || !in.Take('S') || !in.Take(':') ||
        !ParseSymbolBody(in, s, key) || s.scope != ScopeKind::kMember || !in.Take(')')) {
      return false;
    }
    member.name = std::move(s.name);
    member.type = std::move(s.type);
    t.members.push_back(std::move(member));
  }
  if (!in.Take(']') || !in.AtEnd()) return false;
  info_.structs_.push_back(std::move(t));
  return true;
}

bool CdbParser::ParseLinker(std::string_view body) {
  if (body.empty()) return false;
  if (body[0] == 'A') return body.size() > 1 && body[1] == '$';  // assembler lines: not used
  if (body[0] == 'C' && body.size() > 1 && body[1] == '$') {
    RecordCursor in(body.substr(2));
    std::string_view file = in.Until("$");
    LineRecord r;
    if (file.empty() || !in.Take('$') || !in.Decimal(r.line) || !in.Take('$') ||
        !ParseLevel(in, r.level, r.sublevel) || !in.Take('$') || !in.Decimal(r.block) || !in.Take(':') ||
        !in.Hex(r.address) || !in.AtEnd()) {
      return false;
    }
    auto [it, added] = fileIndex_.emplace(std::string(file), static_cast<uint32_t>(info_.files_.size()));
    if (added) info_.files_.push_back(it->first);
    r.file = it->second;
    info_.lines_.Add(r);
    return true;
  }
  bool end = body[0] == 'X';
  RecordCursor in(end ? body.substr(1) : body);
  std::string_view key = in.Until(":");
  uint32_t address = 0;
  if (!in.Take(':') || !in.Hex(address) || !in.AtEnd()) return false;
  // The key must itself be a well-formed symbol key.
  RecordCursor check(key);
  Symbol probe;
  std::string canonical;
  if (!ParseSymbolKey(check, probe, canonical) || !check.AtEnd() || probe.scope == ScopeKind::kMember) return false;
  (end ? functionEnds_ : linkAddresses_)[std::move(canonical)] = address;
  return true;
}

void CdbParser::ApplyLinkAddresses() {
  for (size_t i = 0; i < info_.symbols_.size(); ++i) {
    auto it = linkAddresses_.find(info_.symbolKeys_[i]);
    if (it != linkAddresses_.end()) info_.symbols_[i].address = it->second;
  }
  for (size_t i = 0; i < info_.functions_.size(); ++i) {
    auto begin = linkAddresses_.find(info_.functionKeys_[i]);
    if (begin != linkAddresses_.end()) info_.functions_[i].begin = begin->second;
    auto end = functionEnds_.find(info_.functionKeys_[i]);
    if (end != functionEnds_.end()) info_.functions_[i].end = end->second;
  }
}

void CdbParser::DropSelfContainingMembers() {
  // Depth of by-value struct nesting per struct: -1 not yet known, -2 being measured (a cycle if met again).
  std::vector<int> depth(info_.structs_.size(), -1);
  auto inner = [this](const StructMember& m) -> const StructType* {
    size_t i = 0;
    while (m.type.Is(TypeCode::kArray, i)) ++i;
    return m.type.Is(TypeCode::kStruct, i) ? info_.StructByName(m.type.chain[i].structName) : nullptr;
  };
  auto measure = [&](auto& self, size_t index, int level) -> int {
    if (depth[index] == -2 || level > kMaxStructNesting) return kMaxStructNesting + 1;
    if (depth[index] >= 0) return depth[index];
    depth[index] = -2;
    int deepest = 0;
    for (const StructMember& m : info_.structs_[index].members) {
      if (const StructType* s = inner(m)) {
        deepest = std::max(deepest, 1 + self(self, static_cast<size_t>(s - info_.structs_.data()), level + 1));
      }
    }
    depth[index] = std::min(deepest, kMaxStructNesting + 1);
    return depth[index];
  };
  bool changed = false;
  for (size_t i = 0; i < info_.structs_.size(); ++i) {
    if (measure(measure, i, 0) <= kMaxStructNesting) continue;
    StructType& s = info_.structs_[i];
    std::erase_if(s.members, [&](const StructMember& m) { return inner(m) != nullptr; });
    depth[i] = 0;
    Report(std::string(texts::kSelfContaining) + ": " + s.name, s.recordLine);
    changed = true;
  }
  if (changed) info_.IndexStructs();
}

void CdbParser::Report(std::string message, uint32_t line) {
  if (diagnostics_.size() < kMaxDiagnostics) diagnostics_.push_back({fileName_, line, std::move(message)});
  ++malformed_;
}

}  // namespace orven::debuginfo
