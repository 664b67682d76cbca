#include "host/driver_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace orven::host {

namespace {

template <typename F>
bool Bind(void* handle, const char* name, F& out, std::string& error) {
  void* symbol = dlsym(handle, name);
  if (symbol == nullptr) {
    error = std::string("missing entry point ") + name;
    return false;
  }
  out = reinterpret_cast<F>(symbol);
  return true;
}

std::string ExecutableDir() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

DriverLibrary::~DriverLibrary() {
  // The driver may still hold threads of its own (a device simulator); the process is ending anyway, so the
  // library stays mapped rather than pulling code out from under them.
}

bool DriverLibrary::Load(const std::string& path, std::string& error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    error = reason != nullptr ? reason : "cannot load " + path;
    return false;
  }
  DriverEntryPoints api;
  const bool ok = Bind(handle, "AG_Init", api.Init, error) && Bind(handle, "AG_MemAcc", api.MemAcc, error) &&
                  Bind(handle, "AG_RegAcc", api.RegAcc, error) && Bind(handle, "AG_AllReg", api.AllReg, error) &&
                  Bind(handle, "AG_MemAtt", api.MemAtt, error) && Bind(handle, "AG_BpInfo", api.BpInfo, error) &&
                  Bind(handle, "AG_BreakFunc", api.BreakFunc, error) &&
                  Bind(handle, "AG_GoStep", api.GoStep, error) && Bind(handle, "AG_Serial", api.Serial, error) &&
                  Bind(handle, "AG_HistFunc", api.HistFunc, error) && Bind(handle, "DllUv3Cap", api.Uv3Cap, error) &&
                  Bind(handle, "EnumUv351", api.Enum, error) && Bind(handle, "OrvendSetUi", api.SetUi, error);
  if (!ok) {
    error = path + ": " + error;
    dlclose(handle);
    return false;
  }
  handle_ = handle;
  api_ = api;
  return true;
}

std::string DriverLibrary::DefaultPath() {
  const std::string dir = ExecutableDir();
  const std::string candidates[] = {dir + "/../lib/liborvend.so", dir + "/liborvend.so"};
  for (const std::string& c : candidates) {
    if (access(c.c_str(), R_OK) == 0) return c;
  }
  return candidates[0];
}

}  // namespace orven::host
