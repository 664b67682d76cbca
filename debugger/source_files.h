// The program's source text, for the line shown after a stop. A file is looked for under the name the debug
// records give it, then by its last path component in each source directory (the .cdb's own directory first).
// Read once and kept; a file that cannot be read is remembered as missing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orven::debugger {

class SourceFiles {
 public:
  // Largest source file read; a larger one counts as missing.
  static constexpr size_t kMaxFileSize = 16u * 1024 * 1024;

  void AddDirectory(std::string directory) { directories_.push_back(std::move(directory)); }

  // Line `line` (1-based) of `file` without its line end; nullopt when the file or the line is not there.
  std::optional<std::string> Line(const std::string& file, uint32_t line);

 private:
  const std::vector<std::string>* Load(const std::string& file);

  std::vector<std::string> directories_;
  std::map<std::string, std::optional<std::vector<std::string>>> files_;
};

}  // namespace orven::debugger
