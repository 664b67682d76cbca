#include "tools/orvhost/source_view.h"

#include <algorithm>
#include <cstdio>

#include "tools/orvhost/command_line.h"
#include "tools/orvhost/location.h"
#include "tools/orvhost/texts.h"

namespace orven::orvhost {

namespace {

using debuginfo::AddressSpace;
using debuginfo::DebugInfo;

// Lines a list shows, and how many of them come before the line it is around.
constexpr uint32_t kListLines = 10;
constexpr uint32_t kLinesBefore = 5;

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char text[512];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

uint32_t FirstAround(uint32_t line) { return line > kLinesBefore ? line - kLinesBefore : 1; }

// Where the code of the line starting at `start` ends: the next address another line record starts at, within
// the function.
uint32_t LineEnd(const DebugInfo& info, uint32_t start) {
  const auto& records = info.Lines().ByAddress();
  const auto next = std::upper_bound(records.begin(), records.end(), start,
                                     [](uint32_t a, const debuginfo::LineRecord& r) { return a < r.address; });
  uint32_t end = next != records.end() ? next->address : start + 1;
  const debuginfo::Function* f = info.FunctionAt(start);
  if (f != nullptr && f->end && (next == records.end() || *f->end + 1 < end)) end = *f->end + 1;
  return end;
}

std::string Named(const DebugInfo& info, uint32_t address) {
  const std::string name = FunctionOffset(&info, address);
  return name.empty() ? name : " " + name;
}

// The sections static variables live in, by the space a debugger names.
struct SpaceSections {
  char letter;
  AddressSpace spaces[2];
  const char* sections[2];
};
constexpr SpaceSections kSections[] = {
    {'C', {AddressSpace::kCodeStatic, AddressSpace::kCode}, {"CODE", "CODE"}},
    {'D', {AddressSpace::kData, AddressSpace::kSfr}, {"DATA", "SFR"}},
    {'I', {AddressSpace::kIdata, AddressSpace::kData}, {"IDATA", "DATA"}},
    {'X', {AddressSpace::kXdata, AddressSpace::kXdata}, {"XDATA", "XDATA"}},
};

}  // namespace

void SourceView::Reset() {
  file_.reset();
  next_ = 0;
  around_.reset();
}

std::optional<uint32_t> SourceView::CurrentFile() const {
  if (file_) return file_;
  const DebugInfo* info = source_.Info();
  if (info == nullptr) return std::nullopt;
  Location place;
  std::string ignored;
  if (ResolveLocation(info, "main", std::nullopt, place, ignored) && place.file) return place.file;
  if (info->Files().size() == 1) return 0;
  return std::nullopt;
}

bool SourceView::ListFrom(uint32_t file, uint32_t first, std::string& out, std::string& error) {
  const std::string& name = source_.FileName(file);
  const std::optional<size_t> count = source_.LineCount(file);
  if (!count) {
    error = Format(texts::kNoSuchSourceFile, name.c_str());
    return false;
  }
  if (first > *count) {
    error = Format(texts::kLineOutOfRange, first, name.c_str(), *count);
    return false;
  }
  const uint32_t last = std::min<uint32_t>(first + kListLines - 1, static_cast<uint32_t>(*count));
  for (uint32_t line = first; line <= last; ++line) {
    out += Format(texts::kSourceLine, line, source_.Line(file, line).value_or("").c_str());
  }
  file_ = file;
  next_ = last + 1;
  around_.reset();
  return true;
}

bool SourceView::List(const std::string& location, std::string& out, std::string& error) {
  const DebugInfo* info = source_.Info();
  if (info == nullptr) {
    error = texts::kNoSymbolTable;
    return false;
  }
  if (!location.empty()) {
    Location place;
    if (!ResolveLocation(info, location, CurrentFile(), place, error)) return false;
    if (!place.file) {
      error = Format(texts::kNoLineForAddress, place.address.value_or(0), Named(*info, place.address.value_or(0)).c_str());
      return false;
    }
    return ListFrom(*place.file, FirstAround(place.line), out, error);
  }
  if (around_ && file_) return ListFrom(*file_, FirstAround(*around_), out, error);
  if (next_ != 0 && file_) return ListFrom(*file_, next_, out, error);
  Location place;
  if (!ResolveLocation(info, "main", std::nullopt, place, error) || !place.file) {
    if (info->Files().empty()) return false;
    return ListFrom(0, 1, out, error);
  }
  return ListFrom(*place.file, FirstAround(place.line), out, error);
}

bool SourceView::InfoLine(const std::string& location, std::string& out, std::string& error) {
  const DebugInfo* info = source_.Info();
  Location place;
  if (!ResolveLocation(info, location, CurrentFile(), place, error)) return false;
  uint32_t file = place.file.value_or(0);
  uint32_t line = place.line;
  std::optional<uint32_t> start;
  if (place.isAddress) {
    const debuginfo::LineRecord* r = info != nullptr ? info->LineAt(*place.address) : nullptr;
    if (r == nullptr) {
      const std::string name = info != nullptr ? Named(*info, *place.address) : std::string();
      out = Format(texts::kNoLineForAddress, *place.address, name.c_str()) + "\n";
      return true;
    }
    file = r->file;  // the line the address lies in
    line = r->line;
    start = r->address;
  } else if (!place.file) {
    error = Format(texts::kNoLineForAddress, place.address.value_or(0), Named(*info, place.address.value_or(0)).c_str());
    return false;
  } else {
    const std::vector<uint32_t> addresses = info->Lines().AddressesOf(file, line);
    if (!addresses.empty()) start = addresses.front();
  }
  const std::string& name = source_.FileName(file);
  if (start) {
    const uint32_t end = LineEnd(*info, *start);
    out = Format(texts::kLineRange, line, name.c_str(), *start, Named(*info, *start).c_str(), end,
                 Named(*info, end).c_str());
    return true;
  }
  const std::optional<uint32_t> next = info->Lines().NextLineWithCode(file, line);
  if (!next) {
    error = Format(texts::kLineNumberOutOfRange, line, name.c_str());
    return false;
  }
  const uint32_t at = info->Lines().AddressesOf(file, *next).front();
  out = Format(texts::kLineWithoutCode, line, name.c_str(), at, Named(*info, at).c_str());
  return true;
}

bool SourceView::InfoSymbol(const std::string& text, std::string& out, std::string& error) {
  const DebugInfo* info = source_.Info();
  if (info == nullptr) {
    error = texts::kNoSymbolTable;
    return false;
  }
  char letter = 'C';
  uint32_t address = 0;
  if (const auto ref = ParseMemoryRef(text); ref && text.size() > 2 && text[1] == ':') {
    letter = static_cast<char>(ref->space);
    address = ref->address;
  } else if (const auto code = ParseCodeLocation(text)) {
    address = *code;
  } else {
    error = Format(texts::kBadAddress, text.c_str());
    return false;
  }
  const auto found = [&](const std::string& name, uint32_t offset, const char* section) {
    out = offset == 0 ? Format(texts::kSymbolInSection, name.c_str(), section)
                      : Format(texts::kSymbolPlusInSection, name.c_str(), offset, section);
    return true;
  };
  if (letter == 'C') {
    if (const debuginfo::Function* f = info->FunctionAt(address)) return found(f->name, address - *f->begin, "CODE");
  }
  for (const SpaceSections& s : kSections) {
    if (s.letter != letter) continue;
    for (int i = 0; i < 2; ++i) {
      for (const debuginfo::Symbol& symbol : info->Symbols()) {
        if (symbol.space != s.spaces[i] || !symbol.address || symbol.onStack) continue;
        const uint32_t size = std::max<uint32_t>(1, info->SizeOf(symbol.type));
        if (address >= *symbol.address && address - *symbol.address < size) {
          return found(symbol.name, address - *symbol.address, s.sections[i]);
        }
      }
    }
  }
  out = Format(texts::kNoSymbolMatches, text.c_str()) + "\n";
  return true;
}

std::optional<std::string> SourceView::StopText(uint16_t pc) {
  const DebugInfo* info = source_.Info();
  if (info == nullptr) return std::nullopt;
  const debuginfo::LineRecord* r = info->LineAt(pc);
  const debuginfo::Function* f = info->FunctionAt(pc);
  if (r == nullptr || f == nullptr) return std::nullopt;
  std::string text = Format(texts::kStoppedAtLine, pc, f->name.c_str(), source_.FileName(r->file).c_str(), r->line);
  if (const auto line = source_.Line(r->file, r->line)) text += Format(texts::kSourceLine, r->line, line->c_str());
  file_ = r->file;
  around_ = r->line;
  return text;
}

}  // namespace orven::orvhost
