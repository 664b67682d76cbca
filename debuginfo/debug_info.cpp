#include "debuginfo/debug_info.h"

#include <algorithm>
#include <map>

namespace orven::debuginfo {
namespace {

std::string_view LastPathComponent(std::string_view path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Static storage the linker places (as opposed to registers, the stack and struct members).
bool HasLinkAddress(const Symbol& s) {
  if (s.onStack || s.scope == ScopeKind::kMember) return false;
  switch (s.space) {
    case AddressSpace::kCode:
    case AddressSpace::kCodeStatic:
    case AddressSpace::kData:
    case AddressSpace::kXdata:
    case AddressSpace::kIdata:
    case AddressSpace::kBit:
    case AddressSpace::kSfr:
    case AddressSpace::kSbit:
    case AddressSpace::kPdata: return true;
    default: return false;
  }
}

}  // namespace

const Function* DebugInfo::FunctionByName(std::string_view name, std::string_view module) const {
  const Function* best = nullptr;
  auto [first, last] = functionsByName_.equal_range(std::string(name));
  for (auto it = first; it != last; ++it) {
    const Function& f = functions_[it->second];
    if (!module.empty() && f.module == module) return &f;
    if (!best || (best->isStatic && !f.isStatic) || (!best->begin && f.begin)) best = &f;
  }
  return best;
}

const Function* DebugInfo::FunctionAt(uint32_t pc) const {
  auto after = std::upper_bound(functionsByAddress_.begin(), functionsByAddress_.end(), pc,
                                [this](uint32_t value, uint32_t i) { return value < *functions_[i].begin; });
  if (after == functionsByAddress_.begin()) return nullptr;
  const Function& f = functions_[*(after - 1)];
  return f.Contains(pc) ? &f : nullptr;
}

const LineRecord* DebugInfo::LineAt(uint32_t pc) const {
  const Function* f = FunctionAt(pc);
  if (!f) return lines_.At(pc, std::nullopt, std::nullopt);
  const LineRecord* at = lines_.At(pc, f->begin, f->end);
  // The function's opening line shares its first address with the first statement; the statement is where
  // the PC is.
  const LineRecord* next = at ? at + 1 : nullptr;
  const auto& all = lines_.ByAddress();
  if (at && at->address == *f->begin && next != all.data() + all.size() && next->address == at->address) {
    return next;
  }
  return at;
}

std::optional<uint32_t> DebugInfo::FileIndex(std::string_view name) const {
  auto it = fileIndex_.find(std::string(name));
  if (it != fileIndex_.end()) return it->second;
  for (uint32_t i = 0; i < files_.size(); ++i) {
    if (LastPathComponent(files_[i]) == LastPathComponent(name)) return i;
  }
  return std::nullopt;
}

std::vector<uint32_t> DebugInfo::AddressesOfLine(std::string_view file, uint32_t line) const {
  auto index = FileIndex(file);
  return index ? lines_.AddressesOf(*index, line) : std::vector<uint32_t>{};
}

std::vector<uint32_t> DebugInfo::LinesOfFile(std::string_view file) const {
  auto index = FileIndex(file);
  return index ? lines_.LinesOf(*index) : std::vector<uint32_t>{};
}

bool DebugInfo::VisibleInBlock(const Function& function, const Symbol& symbol, const LineRecord& at) const {
  if (symbol.block == at.block) return true;
  if (symbol.block > at.block || symbol.level >= at.level) return false;
  // Blocks are numbered as they open, so the symbol's block encloses the PC's block unless a block opened in
  // between at the symbol's level or outside it (a sibling, which closed the symbol's block first).
  for (uint32_t i : function.locals) {
    const Symbol& other = symbols_[i];
    if (other.block > symbol.block && other.block <= at.block && other.level <= symbol.level) return false;
  }
  const auto& all = lines_.ByAddress();
  for (const LineRecord* r = lines_.FirstIn(*function.begin, *function.end);
       r && r != all.data() + all.size() && r->address <= *function.end; ++r) {
    if (r->block > symbol.block && r->block <= at.block && r->level <= symbol.level) return false;
  }
  return true;
}

std::vector<Scope> DebugInfo::ScopeChainAt(uint32_t pc) const {
  std::vector<Scope> chain;
  const Function* f = FunctionAt(pc);
  if (f) {
    const LineRecord* at = LineAt(pc);
    std::map<uint32_t, std::vector<const Symbol*>, std::greater<>> blocks;
    Scope function{Scope::Kind::kFunction, 0, {}};
    for (uint32_t i : f->locals) {
      const Symbol& s = symbols_[i];
      if (s.level <= 1) {
        function.symbols.push_back(&s);
      } else if (at && VisibleInBlock(*f, s, *at)) {
        blocks[s.block].push_back(&s);
      }
    }
    for (auto& [block, symbols] : blocks) chain.push_back(Scope{Scope::Kind::kBlock, block, std::move(symbols)});
    chain.push_back(std::move(function));
    Scope file{Scope::Kind::kFile, 0, {}};
    for (const Symbol& s : symbols_) {
      if (s.scope == ScopeKind::kFile && s.module == f->module) file.symbols.push_back(&s);
    }
    chain.push_back(std::move(file));
  }
  Scope global{Scope::Kind::kGlobal, 0, {}};
  for (const Symbol& s : symbols_) {
    if (s.scope == ScopeKind::kGlobal && GlobalSymbol(s.name) == &s) global.symbols.push_back(&s);
  }
  chain.push_back(std::move(global));
  return chain;
}

const Symbol* DebugInfo::FindSymbol(std::string_view name, uint32_t pc) const {
  const Function* f = FunctionAt(pc);
  if (!f) return GlobalSymbol(name);
  const LineRecord* at = LineAt(pc);
  const Symbol* best = nullptr;
  for (uint32_t i : f->locals) {
    const Symbol& s = symbols_[i];
    if (s.name != name) continue;
    if (s.level <= 1) {
      if (!best) best = &s;
    } else if (at && VisibleInBlock(*f, s, *at) && (!best || best->level <= 1 || s.block > best->block)) {
      best = &s;  // the innermost block wins
    }
  }
  return best ? best : GlobalSymbol(name, f->module);
}

const Symbol* DebugInfo::GlobalSymbol(std::string_view name, std::string_view module) const {
  const Symbol* best = nullptr;
  auto [first, last] = globalsByName_.equal_range(std::string(name));
  for (auto it = first; it != last; ++it) {
    const Symbol& s = symbols_[it->second];
    if (s.scope == ScopeKind::kFile) {
      if (!module.empty() && s.module == module) return &s;
      continue;
    }
    // Every module that declares a global repeats it under the same link key, so each gets the address; of
    // a function, the module with its function record holds the definition.
    if (!best || (!best->address && s.address)) {
      best = &s;
    } else if (bool(best->address) == bool(s.address) && best->type.Is(TypeCode::kFunction)) {
      const Function* f = FunctionByName(name);
      if (f && !f->isStatic && f->module == s.module) best = &s;
    }
  }
  return best;
}

const StructType* DebugInfo::StructByName(std::string_view name, std::string_view module) const {
  const StructType* best = nullptr;
  auto [first, last] = structsByName_.equal_range(std::string(name));
  for (auto it = first; it != last; ++it) {
    const StructType& s = structs_[it->second];
    if (!module.empty() && s.module == module) return &s;
    if (!best) best = &s;
  }
  return best;
}

uint32_t DebugInfo::SizeOf(const Type& type, size_t from) const {
  if (from == 0) return type.size;
  if (from >= type.chain.size()) return 0;
  const TypeElement& e = type.chain[from];
  switch (e.code) {
    case TypeCode::kArray: {
      uint64_t total = uint64_t{e.count} * SizeOf(type, from + 1);
      return total > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(total);
    }
    case TypeCode::kPointer: return PointerSize(e.pointer);
    case TypeCode::kStruct: {
      const StructType* s = StructByName(e.structName);
      return s ? s->size : 0;
    }
    default: return BasicSize(e.code);
  }
}

std::vector<const Symbol*> DebugInfo::SymbolsWithoutAddress() const {
  std::vector<const Symbol*> out;
  for (const Symbol& s : symbols_) {
    if (HasLinkAddress(s) && !s.address) out.push_back(&s);
  }
  return out;
}

size_t DebugInfo::FillMissingAddresses(
    const std::function<std::optional<uint32_t>(const std::string& key, const std::string& module)>& lookup) {
  size_t filled = 0;
  for (size_t i = 0; i < symbols_.size(); ++i) {
    Symbol& s = symbols_[i];
    if (!HasLinkAddress(s) || s.address) continue;
    if ((s.address = lookup(symbolKeys_[i], s.module))) ++filled;
  }
  for (size_t i = 0; i < functions_.size(); ++i) {
    Function& f = functions_[i];
    if (f.begin) continue;
    if ((f.begin = lookup(functionKeys_[i], f.module))) ++filled;
  }
  if (filled) Index();
  return filled;
}

void DebugInfo::Index() {
  lines_.Finish();
  // A function without an end record runs to the last line record before the next function.
  std::vector<uint32_t> begins;
  for (const Function& f : functions_) {
    if (f.begin) begins.push_back(*f.begin);
  }
  std::sort(begins.begin(), begins.end());
  for (Function& f : functions_) {
    if (!f.begin || f.end) continue;
    auto next = std::upper_bound(begins.begin(), begins.end(), *f.begin);
    uint32_t limit = next == begins.end() ? 0xFFFFFFFFu : *next - 1;
    const LineRecord* last = lines_.LastIn(*f.begin, limit);
    f.end = last ? last->address : *f.begin;
  }

  functionsByAddress_.clear();
  functionsByName_.clear();
  for (uint32_t i = 0; i < functions_.size(); ++i) {
    Function& f = functions_[i];
    functionsByName_.emplace(f.name, i);
    f.locals.clear();
    if (!f.begin || !f.end || *f.end < *f.begin) continue;
    functionsByAddress_.push_back(i);
    if (const LineRecord* first = lines_.FirstIn(*f.begin, *f.end)) f.file = files_[first->file];
  }
  std::sort(functionsByAddress_.begin(), functionsByAddress_.end(), [this](uint32_t a, uint32_t b) {
    return std::pair(*functions_[a].begin, *functions_[a].end) < std::pair(*functions_[b].begin, *functions_[b].end);
  });
  // Code belongs to one function. Where records claim overlapping ranges, the earlier function ends where the
  // next begins, and one left with no code of its own loses its range.
  std::vector<uint32_t> disjoint;
  for (uint32_t i : functionsByAddress_) {
    const Function& f = functions_[i];
    while (!disjoint.empty()) {
      Function& previous = functions_[disjoint.back()];
      if (*previous.end < *f.begin) break;
      if (*f.begin == *previous.begin) {
        previous.end.reset();
        disjoint.pop_back();
      } else {
        previous.end = *f.begin - 1;
        break;
      }
    }
    disjoint.push_back(i);
  }
  functionsByAddress_ = std::move(disjoint);

  globalsByName_.clear();
  for (uint32_t i = 0; i < symbols_.size(); ++i) {
    const Symbol& s = symbols_[i];
    if (s.scope == ScopeKind::kGlobal || s.scope == ScopeKind::kFile) {
      globalsByName_.emplace(s.name, i);
    } else if (s.scope == ScopeKind::kFunction) {
      const Function* owner = FunctionByName(s.function, s.module);
      if (owner && (owner->module == s.module || s.module.empty())) {
        functions_[static_cast<size_t>(owner - functions_.data())].locals.push_back(i);
      }
    }
  }
  fileIndex_.clear();
  for (uint32_t i = 0; i < files_.size(); ++i) fileIndex_.emplace(files_[i], i);
  IndexStructs();
}

void DebugInfo::IndexStructs() {
  structsByName_.clear();
  for (uint32_t i = 0; i < structs_.size(); ++i) {
    StructType& s = structs_[i];
    structsByName_.emplace(s.name, i);
    uint64_t size = 0;
    bool allAtZero = true;
    bool overlap = false;  // two members on the same bits: only a union does that
    for (size_t m = 0; m < s.members.size(); ++m) {
      const StructMember& member = s.members[m];
      size = std::max(size, uint64_t{member.offset} + member.type.size);
      if (member.offset != 0) allAtZero = false;
      bool bits = member.type.Is(TypeCode::kBitField);
      for (size_t k = 0; k < m && !overlap; ++k) {
        const StructMember& other = s.members[k];
        if (other.offset != member.offset) continue;
        bool otherBits = other.type.Is(TypeCode::kBitField);
        overlap = !bits || !otherBits || other.type.chain[0].bitOffset == member.type.chain[0].bitOffset;
      }
    }
    s.size = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
    s.isUnion = s.members.size() > 1 && allAtZero && overlap;
  }
}

}  // namespace orven::debuginfo
