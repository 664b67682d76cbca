// The driver's entry points taken from the library linked into the test itself, as the debug host takes them
// from liborvend.so with dlopen.
#pragma once

#include "driver/device.h"
#include "host/debug_host.h"

namespace orven::testing {

inline host::DriverEntryPoints InProcessDriver() {
  host::DriverEntryPoints api;
  api.Init = &AG_Init;
  api.MemAcc = &AG_MemAcc;
  api.RegAcc = &AG_RegAcc;
  api.AllReg = &AG_AllReg;
  api.MemAtt = &AG_MemAtt;
  api.BpInfo = &AG_BpInfo;
  api.BreakFunc = &AG_BreakFunc;
  api.GoStep = &AG_GoStep;
  api.Serial = &AG_Serial;
  api.HistFunc = &AG_HistFunc;
  api.Uv3Cap = &DllUv3Cap;
  api.Enum = &EnumUv351;
  api.SetUi = &OrvendSetUi;
  return api;
}

}  // namespace orven::testing
