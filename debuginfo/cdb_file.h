// Loads a program's .cdb from disk and completes it from the linker's files beside it: the .map of the same
// name and each module's relocated listing (MODULE.rst), for the addresses the .cdb leaves out.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "debuginfo/debug_info.h"

namespace orven::debuginfo {

// Largest .cdb, .map or .rst read.
inline constexpr size_t kMaxDebugFileSize = 64u * 1024 * 1024;

struct CdbLoad {
  std::optional<DebugInfo> info;         // nullopt when the .cdb cannot be read
  std::vector<Diagnostic> diagnostics;   // the reason it cannot, or the records it skipped
  size_t malformedRecords = 0;
  size_t completedFromLinker = 0;        // addresses the .map and .rst files supplied
  size_t withoutAddress = 0;             // static symbols still without one
};

CdbLoad LoadCdbFile(const std::string& path);

}  // namespace orven::debuginfo
