#include "debugger/location_resolver.h"

#include <charconv>

#include "debugger/code_position.h"
#include "debugger/format_text.h"
#include "debugger/texts.h"

namespace orven::debugger {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

template <typename T>
std::optional<T> Number(std::string_view s, int base = 10) {
  T value{};
  if (base == 16 && s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2);
  if (s.empty()) return std::nullopt;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

std::string_view Stem(std::string_view file) {
  const size_t slash = file.find_last_of("/\\");
  if (slash != std::string_view::npos) file.remove_prefix(slash + 1);
  const size_t dot = file.rfind('.');
  return dot == std::string_view::npos ? file : file.substr(0, dot);
}

}  // namespace

std::string ResolvedLocation::What() const {
  if (!function) return {};
  if (file.empty()) return "in " + function->name;
  return "in " + function->name + " at " + file + ":" + std::to_string(line);
}

ResolvedLocation LocationResolver::Describe(uint16_t address) const {
  ResolvedLocation out;
  out.address = address;
  const CodePosition at = PositionAt(info_, address);
  out.function = at.function;
  if (at.line) {
    out.file = at.file;
    out.line = at.line->line;
  }
  return out;
}

std::optional<ResolvedLocation> LocationResolver::Resolve(std::string_view text, std::string_view defaultFile,
                                                          std::string& error) const {
  text = Trim(text);
  if (!text.empty() && text.front() == '*') {
    const std::string_view digits = Trim(text.substr(1));
    const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    auto address = Number<uint32_t>(digits, hex ? 16 : 10);
    if (!address || *address > 0xFFFF) {
      error = FormatText(texts::kBadAddress, std::string(text).c_str());
      return std::nullopt;
    }
    return Describe(static_cast<uint16_t>(*address));
  }
  if (!info_) {
    error = texts::kNoDebugInfo;
    return std::nullopt;
  }
  const size_t colon = text.rfind(':');
  if (colon != std::string_view::npos) {
    const std::string_view file = Trim(text.substr(0, colon));
    const std::string_view rest = Trim(text.substr(colon + 1));
    if (auto line = Number<uint32_t>(rest)) return ResolveLine(file, *line, error);
    if (!info_->FileIndex(file)) {
      error = FormatText(texts::kNoSourceFile, std::string(file).c_str());
      return std::nullopt;
    }
    return ResolveFunction(rest, Stem(file), error);
  }
  if (auto line = Number<uint32_t>(text)) {
    if (defaultFile.empty()) {
      error = texts::kNoDefaultFile;
      return std::nullopt;
    }
    return ResolveLine(defaultFile, *line, error);
  }
  return ResolveFunction(text, {}, error);
}

std::optional<ResolvedLocation> LocationResolver::ResolveLine(std::string_view file, uint32_t line,
                                                              std::string& error) const {
  const auto index = info_->FileIndex(file);
  if (!index) {
    error = FormatText(texts::kNoSourceFile, std::string(file).c_str());
    return std::nullopt;
  }
  const auto withCode = info_->Lines().NextLineWithCode(*index, line);
  if (!withCode) {
    error = FormatText(texts::kLineOutOfRange, line, std::string(file).c_str());
    return std::nullopt;
  }
  const auto addresses = info_->Lines().AddressesOf(*index, *withCode);
  if (addresses.empty()) {
    error = FormatText(texts::kLineOutOfRange, line, std::string(file).c_str());
    return std::nullopt;
  }
  auto address = static_cast<uint16_t>(addresses.front());
  // The opening line of a function stands for the function: its breakpoint goes past the prologue.
  const debuginfo::Function* function = info_->FunctionAt(address);
  if (function && function->begin && *function->begin == address) address = AfterPrologue(*info_, *function);
  ResolvedLocation out = Describe(address);
  if (address == addresses.front()) {
    out.file = info_->Files()[*index];
    out.line = *withCode;
  }
  return out;
}

std::optional<ResolvedLocation> LocationResolver::ResolveFunction(std::string_view name, std::string_view module,
                                                                  std::string& error) const {
  const debuginfo::Function* function = info_->FunctionByName(name, module);
  if (!function || !function->begin) {
    error = FormatText(texts::kFunctionNotDefined, std::string(name).c_str());
    return std::nullopt;
  }
  return Describe(AfterPrologue(*info_, *function));
}

}  // namespace orven::debugger
