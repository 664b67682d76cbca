#include "tools/orvhost/location.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "tools/orvhost/command_line.h"
#include "tools/orvhost/texts.h"

namespace orven::orvhost {

namespace {

bool AllDigits(const std::string& s) {
  if (s.empty() || s.size() > 9) return false;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::string Format(const char* format, const std::string& a) {
  char text[320];
  std::snprintf(text, sizeof text, format, a.c_str());
  return text;
}

bool FunctionPlace(const debuginfo::DebugInfo& info, const debuginfo::Function& f, Location& out, std::string& error,
                   const std::string& name) {
  if (!f.begin) {
    error = Format(texts::kFunctionNotDefined, name);
    return false;
  }
  out.function = &f;
  out.address = *f.begin;
  if (const debuginfo::LineRecord* r = info.LineAt(*f.begin)) {
    out.file = r->file;
    out.line = FunctionLine(info, f).value_or(r->line);
  }
  return true;
}

}  // namespace

std::optional<uint32_t> ParseCodeLocation(const std::string& text) {
  if (text.empty()) return std::nullopt;
  const std::string bare = text[0] == '*' ? text.substr(1) : text;
  const auto address = ParseCodeAddress(bare);
  if (!address || *address > 0xFFFF) return std::nullopt;
  return address;
}

bool ResolveLocation(const debuginfo::DebugInfo* info, const std::string& text, std::optional<uint32_t> currentFile,
                     Location& out, std::string& error) {
  out = Location{};
  const bool looksLikeAddress = !text.empty() && (text[0] == '*' || text.rfind("0x", 0) == 0 ||
                                                  text.rfind("0X", 0) == 0 || text.rfind("C:", 0) == 0 ||
                                                  text.rfind("c:", 0) == 0);
  if (looksLikeAddress) {
    const auto address = ParseCodeLocation(text);
    if (!address) {
      error = Format(texts::kBadAddress, text);
      return false;
    }
    out.address = *address;
    out.isAddress = true;
    if (info != nullptr) {
      out.function = info->FunctionAt(*address);
      if (const debuginfo::LineRecord* r = info->LineAt(*address)) {
        out.file = r->file;
        out.line = r->line;
      }
    }
    return true;
  }
  if (info == nullptr) {
    error = texts::kNoSymbolTable;
    return false;
  }
  const size_t colon = text.rfind(':');
  const std::string fileName = colon == std::string::npos ? std::string() : text.substr(0, colon);
  const std::string rest = colon == std::string::npos ? text : text.substr(colon + 1);
  std::optional<uint32_t> file = currentFile;
  if (colon != std::string::npos) {
    file = info->FileIndex(fileName);
    if (!file) {
      error = Format(texts::kNoSourceFile, fileName);
      return false;
    }
  }
  if (AllDigits(rest)) {
    if (!file) {
      error = texts::kNoDefaultFile;
      return false;
    }
    out.file = file;
    out.line = static_cast<uint32_t>(std::stoul(rest));
    return true;
  }
  // A function: of two statics with one name, the one of the file named.
  std::string module;
  if (colon != std::string::npos) module = std::filesystem::path(fileName).stem().string();
  const debuginfo::Function* f = info->FunctionByName(rest, module);
  if (f == nullptr || (colon != std::string::npos && !module.empty() && f->module != module)) {
    error = Format(texts::kFunctionNotDefined, text);
    return false;
  }
  return FunctionPlace(*info, *f, out, error, text);
}

std::string FunctionOffset(const debuginfo::DebugInfo* info, uint32_t address, bool withName) {
  const debuginfo::Function* f = info != nullptr ? info->FunctionAt(address) : nullptr;
  if (f == nullptr || !f->begin) return {};
  const uint32_t offset = address - *f->begin;
  std::string text = "<" + (withName ? f->name : std::string());
  if (offset != 0 || !withName) text += "+" + std::to_string(offset);
  return text + ">";
}

std::optional<uint32_t> FunctionLine(const debuginfo::DebugInfo& info, const debuginfo::Function& function) {
  if (!function.begin) return std::nullopt;
  // A function without a prologue has its declaration and its first statement at one address: the
  // declaration is the lower line.
  std::optional<uint32_t> line;
  const auto& records = info.Lines().ByAddress();
  auto r = std::lower_bound(records.begin(), records.end(), *function.begin,
                            [](const debuginfo::LineRecord& record, uint32_t a) { return record.address < a; });
  for (; r != records.end() && r->address == *function.begin; ++r) {
    if (!line || r->line < *line) line = r->line;
  }
  return line;
}

}  // namespace orven::orvhost
