#include "link/paths.h"

#include <unistd.h>

#include <climits>
#include <vector>

namespace orven {

std::string ExecutableDir() {
  std::vector<char> buf(PATH_MAX + 1);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return {};
  std::string path(buf.data(), static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string InstalledDataDir() {
  std::string dir = ExecutableDir();
  // dir is ".../bin/"; the data sit in ".../share/orven/".
  if (dir.size() < 2) return {};
  size_t slash = dir.rfind('/', dir.size() - 2);
  if (slash == std::string::npos) return {};
  return dir.substr(0, slash + 1) + "share/orven/";
}

}  // namespace orven
