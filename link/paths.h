// Where the running program lives: data files (chip configuration files, settings) are looked up beside it.
#pragma once

#include <string>

namespace orven {

// Directory of the running executable, with its trailing '/'. Empty if it cannot be determined.
std::string ExecutableDir();

// Installed data directory for read-only data (…/share/orven/ beside the executable's …/bin/), with a trailing
// '/'. Used when a file is not found beside the executable.
std::string InstalledDataDir();

}  // namespace orven
