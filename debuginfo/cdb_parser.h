// Reads the .cdb file `sdcc --debug` writes: one record a line, its first letter saying what it is.
//   M:<module>                                            a module (one per source file)
//   F:<scope>$<name>$<level>$<block>(<type>),<space>,<on stack>,<stack>,<interrupt>,<vector>,<bank>
//   S:<scope>$<name>$<level>$<block>(<type>),<space>,<on stack>,<stack offset>[,[<registers>]]
//   T:F<module>$<tag>[({<offset>}S:S$<member>$<level>$<block>(<type>),<space>,<on stack>,<stack>)...]
//   L:<scope>$<name>$<level>$<block>:<hex address>        where the linker put a symbol or function
//   L:X<scope>$<name>$<level>$<block>:<hex address>       the last instruction of a function
//   L:C$<file>$<line>$<level>$<block>:<hex address>       a C line
//   L:A$<module>$<line>:<hex address>                     an assembler line (not kept)
// <scope> is G (global), F<module> (file static) or L<module>.<function> (parameter or local); <level> is
// written "1_0" in symbol records and "1" in some linker records, both meaning level 1, sublevel 0.
// A record that does not parse is skipped and reported with its line; the rest of the file still counts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "debuginfo/debug_info.h"

namespace orven::debuginfo {

// Longest record accepted; a struct of a few hundred members fits many times over.
inline constexpr size_t kMaxRecordLength = 256 * 1024;
// Malformed records reported one by one; the rest are counted.
inline constexpr size_t kMaxDiagnostics = 100;

class CdbParser {
 public:
  // `fileName` names the file in messages.
  explicit CdbParser(std::string fileName) : fileName_(std::move(fileName)) {}

  // Parses a whole file's text and returns the indexed model. One parser reads one file.
  DebugInfo Parse(std::string_view text);

  // Malformed records, at most kMaxDiagnostics of them, then one line saying how many more there were.
  const std::vector<Diagnostic>& Diagnostics() const { return diagnostics_; }
  size_t MalformedRecords() const { return malformed_; }

 private:
  void ParseRecord(std::string_view record);
  bool ParseModule(std::string_view body);
  bool ParseFunction(std::string_view body);
  bool ParseSymbolRecord(std::string_view body);
  bool ParseStruct(std::string_view body);
  bool ParseLinker(std::string_view body);
  void ApplyLinkAddresses();
  void DropSelfContainingMembers();
  void Report(std::string message, uint32_t line);

  std::string fileName_;
  uint32_t lineNumber_ = 0;
  DebugInfo info_;
  std::string module_;  // the module whose records follow
  std::unordered_map<std::string, uint32_t> fileIndex_;
  std::unordered_map<std::string, uint32_t> linkAddresses_;  // canonical key → address
  std::unordered_map<std::string, uint32_t> functionEnds_;   // canonical key → last instruction
  std::vector<Diagnostic> diagnostics_;
  size_t malformed_ = 0;
};

// "G$main$0$0" and "G$main$0_0$0" name the same thing; this gives the second form.
std::string CanonicalLinkKey(std::string_view key);

}  // namespace orven::debuginfo
