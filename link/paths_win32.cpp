// Windows: the running module's directory. For the driver DLL this is the folder of the IDE's executable, which
// is where a standalone program keeps its data as well.
#include "link/paths.h"

#include <windows.h>

#include <vector>

namespace orven {

namespace {

std::string Utf8(const wchar_t* text, int length) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string ExecutableDir() {
  // Long paths: grow the buffer until the name fits (GetModuleFileNameW truncates silently otherwise).
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) {
      std::string path = Utf8(buf.data(), static_cast<int>(n));
      size_t slash = path.find_last_of("\\/");
      return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    if (buf.size() >= 32768) return {};
    buf.resize(buf.size() * 2);
  }
}

std::string InstalledDataDir() {
  // An installed Windows program keeps its data beside itself.
  return ExecutableDir();
}

}  // namespace orven
