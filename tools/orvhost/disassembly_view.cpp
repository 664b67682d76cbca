#include "tools/orvhost/disassembly_view.h"

#include <algorithm>
#include <cstdio>

#include "debugger/disassembler.h"
#include "tools/orvhost/command_line.h"
#include "tools/orvhost/location.h"
#include "tools/orvhost/texts.h"

namespace orven::orvhost {

namespace {

constexpr uint32_t kLongestInstruction = 3;

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[512];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

}  // namespace

bool DisassemblyView::Disassemble(const std::vector<std::string>& args, uint16_t pc, const CodeReader& read,
                                  std::string& out, std::string& error, bool& usage) {
  usage = false;
  if (args.size() > 2) {
    usage = true;
    return false;
  }
  const debuginfo::DebugInfo* info = source_.Info();
  uint32_t begin = pc;
  std::optional<uint32_t> count;
  if (!args.empty()) {
    // An address, or a function (or any location) by name.
    Location place;
    if (const auto address = ParseCodeLocation(args[0])) {
      begin = *address;
    } else if (ResolveLocation(info, args[0], std::nullopt, place, error) && place.address) {
      begin = *place.address;
    } else {
      if (error.empty()) error = texts::kNoFunctionAtAddress;
      return false;
    }
  }
  if (args.size() == 2) {
    const auto n = ParseNumber(args[1], kMaxCount);
    if (!n || *n == 0) {
      usage = true;
      return false;
    }
    count = static_cast<uint32_t>(*n);
  }
  // A whole function, or `count` instructions (read with room for the longest ones).
  const debuginfo::Function* function = nullptr;
  uint32_t end = 0;
  if (count) {
    end = std::min<uint32_t>(0x10000, begin + *count * kLongestInstruction);
  } else {
    function = info != nullptr ? info->FunctionAt(begin) : nullptr;
    if (function == nullptr) {
      error = args.empty() ? texts::kNoFunctionAtPc : texts::kNoFunctionAtAddress;
      return false;
    }
    begin = *function->begin;
    end = *function->end + 1;
  }
  std::vector<uint8_t> code(std::min<uint32_t>(0x10000, end + kLongestInstruction) - begin);
  if (!read(static_cast<uint16_t>(begin), code, error)) return false;
  uint32_t after = begin;
  const std::string body = Instructions(begin, end, count, pc, code, function != nullptr, after);
  if (function != nullptr) {
    out = Format(texts::kDumpOfFunction, function->name.c_str());
  } else {
    out = Format(texts::kDumpOfRange, begin, after);
  }
  out += body + texts::kEndOfDump;
  return true;
}

std::string DisassemblyView::Instructions(uint32_t begin, uint32_t end, std::optional<uint32_t> count, uint16_t pc,
                                          std::span<const uint8_t> code, bool offsetsOnly, uint32_t& after) {
  const debuginfo::DebugInfo* info = source_.Info();
  const debugger::Disassembler disassembler([info](uint16_t address) -> std::optional<std::string> {
    const debuginfo::Function* f = info != nullptr ? info->FunctionAt(address) : nullptr;
    if (f == nullptr || *f->begin != address) return std::nullopt;
    return f->name;
  });
  std::string text;
  std::optional<uint32_t> shownFile;  // the file whose name heads the source lines
  uint32_t shownLine = 0;             // the last source line shown
  uint32_t address = begin;
  for (uint32_t n = 0; address < end && address <= 0xFFFF && (!count || n < *count); ++n) {
    // The source of a line whose code starts here, and the lines before it not shown yet.
    const debuginfo::LineRecord* r = info != nullptr ? info->LineAt(address) : nullptr;
    if (r != nullptr && r->address == address && (!shownFile || *shownFile != r->file || r->line != shownLine) &&
        source_.Line(r->file, r->line)) {
      if (!shownFile || *shownFile != r->file) {
        if (shownFile) text += "\n";
        text += source_.FileName(r->file) + ":\n";
        shownLine = 0;
      } else {
        text += "\n";
      }
      const uint32_t from = shownLine != 0 && r->line > shownLine ? shownLine + 1 : r->line;
      for (uint32_t line = from; line <= r->line; ++line) {
        text += Format(texts::kSourceLine, line, source_.Line(r->file, line).value_or("").c_str());
      }
      shownFile = r->file;
      shownLine = r->line;
    }
    const size_t at = address - begin;
    const debugger::Instruction in =
        disassembler.Decode(static_cast<uint16_t>(address), code.subspan(at, std::min<size_t>(3, code.size() - at)));
    std::string instruction = in.text;
    // A jump within a function names its target as gdb does: "sjmp 0x0068 <fib+6>".
    if (in.target && (in.flow == debugger::Flow::kJump || in.flow == debugger::Flow::kBranch)) {
      const debuginfo::Function* f = info != nullptr ? info->FunctionAt(*in.target) : nullptr;
      if (f != nullptr && *f->begin != *in.target) instruction += " " + FunctionOffset(info, *in.target);
    }
    const char* mark = address == pc ? "=> " : "   ";
    const std::string name = FunctionOffset(info, address, !offsetsOnly);
    text += name.empty() ? Format(texts::kInstructionNoName, mark, address, instruction.c_str())
                         : Format(texts::kInstruction, mark, address, name.c_str(), instruction.c_str());
    address += in.length;
  }
  after = address;
  return text;
}

}  // namespace orven::orvhost
