#include "tools/orvhost/program_source.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>

#include "debuginfo/cdb_file.h"
#include "tools/orvhost/texts.h"

namespace orven::orvhost {

namespace {

// Records skipped that load shows one by one; the rest are counted.
constexpr size_t kShownDiagnostics = 10;
// Bounds of a linker map.
constexpr size_t kMaxMapLines = 1'000'000;
constexpr size_t kMaxMapLineLength = 4096;

// A source file's lines, or nullopt when it cannot be read or is too large.
std::optional<std::vector<std::string>> ReadSource(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxSourceFileSize) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

size_t LinesWithCode(const debuginfo::DebugInfo& info) {
  std::set<std::pair<uint32_t, uint32_t>> lines;
  for (const debuginfo::LineRecord& r : info.Lines().ByAddress()) lines.emplace(r.file, r.line);
  return lines.size();
}

// The linker map's line for the frame pointer: "[D:]  0000000A  _bp  ...". Lines are read bounded; a map that
// names it twice or outside D:'s 256 bytes gives none.
std::optional<uint8_t> FramePointerInMap(const std::filesystem::path& map) {
  std::ifstream in(map, std::ios::binary);
  std::optional<uint8_t> found;
  size_t lines = 0;
  for (std::string line; lines < kMaxMapLines && std::getline(in, line); ++lines) {
    if (line.size() > kMaxMapLineLength) continue;
    std::istringstream words(line);
    std::string previous, word;
    while (words >> word) {
      if (word == "_bp" && previous.size() == 8 && previous.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos) {
        const unsigned long address = std::stoul(previous, nullptr, 16);
        if (address > 0xFF || (found && *found != address)) return std::nullopt;
        found = static_cast<uint8_t>(address);
      }
      previous = word;
    }
  }
  return found;
}

}  // namespace

std::string ProgramSource::CdbBeside(const std::string& hexPath) {
  return std::filesystem::path(hexPath).replace_extension(".cdb").string();
}

bool ProgramSource::Read(const std::string& cdbPath, std::string& report, std::string& error) {
  debuginfo::CdbLoad load = debuginfo::LoadCdbFile(cdbPath);
  if (!load.info) {
    error = load.diagnostics.empty() ? cdbPath : load.diagnostics.front().ToString();
    return false;
  }
  info_ = std::move(load.info);
  folder_ = std::filesystem::path(cdbPath).parent_path().string();
  framePointer_ = FramePointerInMap(std::filesystem::path(cdbPath).replace_extension(".map"));
  sources_.clear();
  char line[160];
  const auto plural = [](size_t n) { return n == 1 ? "" : "s"; };
  const size_t modules = info_->Modules().size(), functions = info_->Functions().size();
  const size_t lines = LinesWithCode(*info_);
  std::snprintf(line, sizeof line, texts::kDebugInfoRead, modules, plural(modules), functions, plural(functions),
                lines, plural(lines));
  report = line;
  for (size_t i = 0; i < load.diagnostics.size() && i < kShownDiagnostics; ++i) {
    report += load.diagnostics[i].ToString() + "\n";
  }
  if (load.diagnostics.size() > kShownDiagnostics) {
    std::snprintf(line, sizeof line, texts::kMoreDiagnostics, load.diagnostics.size() - kShownDiagnostics);
    report += line;
  }
  return true;
}

void ProgramSource::Forget() {
  info_.reset();
  folder_.clear();
  framePointer_.reset();
  sources_.clear();
}

const std::vector<std::string>* ProgramSource::Lines(uint32_t file) {
  if (!info_ || file >= info_->Files().size()) return nullptr;
  auto [it, inserted] = sources_.try_emplace(file);
  if (inserted) {
    // The name the compiler was given; where it is relative, beside the .cdb, then its last component there.
    const std::filesystem::path name(info_->Files()[file]);
    std::optional<std::vector<std::string>> lines;
    if (name.is_absolute()) {
      lines = ReadSource(name);
    } else {
      const std::filesystem::path folder(folder_);
      lines = ReadSource(folder / name);
      if (!lines) lines = ReadSource(folder / name.filename());
    }
    if (lines) it->second = std::make_unique<std::vector<std::string>>(std::move(*lines));
  }
  return it->second.get();
}

std::optional<std::string> ProgramSource::Line(uint32_t file, uint32_t line) {
  const std::vector<std::string>* lines = Lines(file);
  if (lines == nullptr || line == 0 || line > lines->size()) return std::nullopt;
  return (*lines)[line - 1];
}

std::optional<size_t> ProgramSource::LineCount(uint32_t file) {
  const std::vector<std::string>* lines = Lines(file);
  if (lines == nullptr) return std::nullopt;
  return lines->size();
}

}  // namespace orven::orvhost
