// A program's SDCC debug information, indexed for a source-level debugger: functions by name and address,
// lines both ways, the C scopes in force at a PC, and struct layouts.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "debuginfo/line_table.h"
#include "debuginfo/model.h"

namespace orven::debuginfo {

// One level of the C scopes at a PC, innermost first: blocks, the function, the file, the program.
struct Scope {
  enum class Kind : uint8_t { kBlock, kFunction, kFile, kGlobal };
  Kind kind = Kind::kGlobal;
  uint32_t block = 0;  // kBlock: the compiler's block number
  std::vector<const Symbol*> symbols;
};

// Immutable once read (FillMissingAddresses aside), so any number of threads may look things up at once. The
// pointers it hands out stay valid as long as it lives.
class DebugInfo {
 public:
  const std::vector<std::string>& Modules() const { return modules_; }
  const std::vector<Function>& Functions() const { return functions_; }
  const std::vector<Symbol>& Symbols() const { return symbols_; }
  const std::vector<StructType>& Structs() const { return structs_; }
  const std::vector<std::string>& Files() const { return files_; }
  const LineTable& Lines() const { return lines_; }

  // A function by its C name; of two static ones with one name, the one in `module` when given.
  const Function* FunctionByName(std::string_view name, std::string_view module = {}) const;
  // The function whose code holds the PC, or nullptr.
  const Function* FunctionAt(uint32_t pc) const;
  // The C line the PC is on (within its function), or nullptr.
  const LineRecord* LineAt(uint32_t pc) const;

  // A source file by the name the records use, or by its last path component ("prog.c" finds "src/prog.c").
  std::optional<uint32_t> FileIndex(std::string_view name) const;
  std::vector<uint32_t> AddressesOfLine(std::string_view file, uint32_t line) const;
  std::vector<uint32_t> LinesOfFile(std::string_view file) const;

  // The scopes in force at the PC, innermost first. Outside every function: the program's globals only.
  std::vector<Scope> ScopeChainAt(uint32_t pc) const;
  // A name as C resolves it at the PC: block, function, file, then program scope. nullptr when unknown.
  const Symbol* FindSymbol(std::string_view name, uint32_t pc) const;
  // A symbol at file or program level; of a module's statics the one in `module` when given.
  const Symbol* GlobalSymbol(std::string_view name, std::string_view module = {}) const;

  // A struct or union by its tag; the one of `module` first when given.
  const StructType* StructByName(std::string_view name, std::string_view module = {}) const;
  // Bytes of the type that starts at chain element `from` (0: the whole type, as the compiler sized it).
  uint32_t SizeOf(const Type& type, size_t from = 0) const;

  // Symbols with static storage that the debug records left without an address (bit variables, for one).
  std::vector<const Symbol*> SymbolsWithoutAddress() const;
  // Fills addresses the records lack from `lookup` (link key such as "G$done$0_0$0", module → address) and
  // re-indexes. Returns how many it filled.
  size_t FillMissingAddresses(
      const std::function<std::optional<uint32_t>(const std::string& key, const std::string& module)>& lookup);

 private:
  friend class CdbParser;

  // Ties symbols to functions, sorts the lines, sizes structs and builds the look-up tables.
  void Index();
  void IndexStructs();
  bool VisibleInBlock(const Function& function, const Symbol& symbol, const LineRecord& at) const;

  std::vector<std::string> modules_;
  std::vector<Function> functions_;
  std::vector<Symbol> symbols_;
  std::vector<StructType> structs_;
  std::vector<std::string> files_;
  LineTable lines_;
  // Link keys ("G$main$0_0$0") of functions, as the linker records name them.
  std::vector<std::string> functionKeys_;
  std::vector<std::string> symbolKeys_;

  std::unordered_map<std::string, uint32_t> fileIndex_;
  std::unordered_multimap<std::string, uint32_t> functionsByName_;
  std::unordered_multimap<std::string, uint32_t> globalsByName_;  // G and F scopes
  std::unordered_multimap<std::string, uint32_t> structsByName_;
  std::vector<uint32_t> functionsByAddress_;  // functions with a range, by begin
};

}  // namespace orven::debuginfo
