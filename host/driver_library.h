// The driver library as a host binds it: loaded with dlopen, every entry point looked up by name.
#pragma once

#include <string>

#include "orvend/orvend.h"

namespace orven::host {

struct DriverEntryPoints {
  decltype(&::AG_Init) Init = nullptr;
  decltype(&::AG_MemAcc) MemAcc = nullptr;
  decltype(&::AG_RegAcc) RegAcc = nullptr;
  decltype(&::AG_AllReg) AllReg = nullptr;
  decltype(&::AG_MemAtt) MemAtt = nullptr;
  decltype(&::AG_BpInfo) BpInfo = nullptr;
  decltype(&::AG_BreakFunc) BreakFunc = nullptr;
  decltype(&::AG_GoStep) GoStep = nullptr;
  decltype(&::AG_Serial) Serial = nullptr;
  decltype(&::AG_HistFunc) HistFunc = nullptr;
  decltype(&::DllUv3Cap) Uv3Cap = nullptr;
  decltype(&::EnumUv351) Enum = nullptr;
  decltype(&::OrvendSetUi) SetUi = nullptr;
};

class DriverLibrary {
 public:
  DriverLibrary() = default;
  ~DriverLibrary();
  DriverLibrary(const DriverLibrary&) = delete;
  DriverLibrary& operator=(const DriverLibrary&) = delete;

  // Loads the library at path and binds all 13 entry points. False (with dlerror's reason or the missing
  // name in error) if it cannot be loaded or lacks one of them; nothing stays loaded then.
  bool Load(const std::string& path, std::string& error);
  const DriverEntryPoints& Api() const { return api_; }

  // Where a host looks by default: ../lib/liborvend.so from the executable's folder (the build tree and
  // an installed prefix), then liborvend.so beside it. The first that exists, else the first candidate.
  static std::string DefaultPath();

 private:
  void* handle_ = nullptr;
  DriverEntryPoints api_;
};

}  // namespace orven::host
