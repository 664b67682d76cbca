// C line records in both directions: the addresses a source line compiled to, and the line a PC belongs to.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "debuginfo/model.h"

namespace orven::debuginfo {

class LineTable {
 public:
  // Records in the order the file gives them; Finish() sorts once all are in.
  void Add(const LineRecord& record) { byAddress_.push_back(record); }
  void Finish();

  // The line a PC inside [begin, end] executes: the record with the greatest address at or below the PC, and of
  // several at that address the first one the compiler wrote. Without a range only a record exactly at the PC
  // counts. nullptr when none fits.
  const LineRecord* At(uint32_t pc, std::optional<uint32_t> begin, std::optional<uint32_t> end) const;

  // Addresses of one line of one file, ascending and distinct (a loop line can have several).
  std::vector<uint32_t> AddressesOf(uint32_t file, uint32_t line) const;
  // Lines of a file that have code, ascending and distinct.
  std::vector<uint32_t> LinesOf(uint32_t file) const;
  // The first line at or after `line` that has code, as a breakpoint on a line without code moves there.
  std::optional<uint32_t> NextLineWithCode(uint32_t file, uint32_t line) const;

  // The first record in [begin, end], or nullptr.
  const LineRecord* FirstIn(uint32_t begin, uint32_t end) const;
  // The last record in [begin, end], or nullptr.
  const LineRecord* LastIn(uint32_t begin, uint32_t end) const;

  const std::vector<LineRecord>& ByAddress() const { return byAddress_; }

 private:
  std::vector<LineRecord> byAddress_;  // stable by address: records at one address keep the file's order
  std::vector<uint32_t> byLine_;       // indices into byAddress_, by file, line, address
};

}  // namespace orven::debuginfo
