// The loaded program's debug information and the C sources its line records name: what the source-level
// commands look lines, functions and symbols up in. Sources are read once, when first shown, from the folder
// of the .cdb (or where an absolute name in the records points).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "debuginfo/debug_info.h"

namespace orven::orvhost {

// Largest source file shown.
inline constexpr size_t kMaxSourceFileSize = 16u * 1024 * 1024;

class ProgramSource {
 public:
  // The .cdb a program's HEX file has beside it: same folder and name, extension .cdb.
  static std::string CdbBeside(const std::string& hexPath);

  // Reads a .cdb; on success it replaces what was loaded and `report` holds the line that says what was found
  // followed by the records skipped (one per line). False with the reason when the file cannot be read.
  bool Read(const std::string& cdbPath, std::string& report, std::string& error);
  // A program without debug information was loaded.
  void Forget();

  // null when no debug information is loaded.
  const debuginfo::DebugInfo* Info() const { return info_ ? &*info_ : nullptr; }
  // Where the compiler keeps a reentrant function's frame pointer (_bp in D:), from the linker's .map beside
  // the .cdb; nullopt when the map does not say.
  std::optional<uint8_t> FramePointer() const { return framePointer_; }
  // The folder of the .cdb, where the sources are looked for.
  const std::string& Folder() const { return folder_; }
  // The name of a file as the records give it.
  const std::string& FileName(uint32_t file) const { return info_->Files().at(file); }
  // The text of a source line (1-based), or nullopt when the file cannot be read or is shorter.
  std::optional<std::string> Line(uint32_t file, uint32_t line);
  // Lines the file has, or nullopt when it cannot be read.
  std::optional<size_t> LineCount(uint32_t file);

 private:
  const std::vector<std::string>* Lines(uint32_t file);

  std::optional<debuginfo::DebugInfo> info_;
  std::string folder_;  // of the .cdb
  std::optional<uint8_t> framePointer_;
  // Each file's lines, read on first use; null when it could not be read.
  std::map<uint32_t, std::unique_ptr<std::vector<std::string>>> sources_;
};

}  // namespace orven::orvhost
