// disassemble as orvhost prints it, in gdb's form: a function (the one around the PC without arguments) with
// offsets from its start, or a number of instructions from an address with <function+offset>; "=>" marks the
// PC, and where the code has line information each line's source comes before its instructions.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tools/orvhost/program_source.h"

namespace orven::orvhost {

class DisassemblyView {
 public:
  // Reads code memory; false with the reason when it cannot.
  using CodeReader = std::function<bool(uint16_t address, std::span<uint8_t> out, std::string& error)>;

  // Most instructions one request shows.
  static constexpr uint32_t kMaxCount = 4096;

  // The source is borrowed and must outlive the view.
  explicit DisassemblyView(ProgramSource& source) : source_(source) {}

  // args: the words after the command ([ADDR [COUNT]]). False with the reason (bad arguments: usage true).
  bool Disassemble(const std::vector<std::string>& args, uint16_t pc, const CodeReader& read, std::string& out,
                   std::string& error, bool& usage);

 private:
  // Instructions from begin up to end (exclusive) or `count` of them; after: the address past the last.
  std::string Instructions(uint32_t begin, uint32_t end, std::optional<uint32_t> count, uint16_t pc,
                           std::span<const uint8_t> code, bool offsetsOnly, uint32_t& after);

  ProgramSource& source_;
};

}  // namespace orven::orvhost
