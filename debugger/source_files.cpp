#include "debugger/source_files.h"

#include <filesystem>
#include <fstream>

namespace orven::debugger {

namespace {

std::optional<std::vector<std::string>> ReadLines(const std::filesystem::path& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec || size > SourceFiles::kMaxFileSize) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace

const std::vector<std::string>* SourceFiles::Load(const std::string& file) {
  auto it = files_.find(file);
  if (it == files_.end()) {
    std::optional<std::vector<std::string>> lines = ReadLines(file);
    const std::string name = std::filesystem::path(file).filename().string();
    for (size_t i = 0; !lines && i < directories_.size(); ++i) {
      lines = ReadLines(std::filesystem::path(directories_[i]) / name);
    }
    it = files_.emplace(file, std::move(lines)).first;
  }
  return it->second ? &*it->second : nullptr;
}

std::optional<std::string> SourceFiles::Line(const std::string& file, uint32_t line) {
  const std::vector<std::string>* lines = Load(file);
  if (!lines || line == 0 || line > lines->size()) return std::nullopt;
  return (*lines)[line - 1];
}

}  // namespace orven::debugger
