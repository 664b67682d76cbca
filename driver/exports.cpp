// The library's C entry points: exactly these leave liborvend.so (see orvend.map).
#include "driver/device.h"
#include "driver/entry.h"
#include "driver/host_link.h"
#include "driver/run_control.h"
#include "orvend/orvend.h"

using namespace orven::driver;

extern "C" {

ORVEND_EXPORT uint32_t AG_Init(uint16_t code, void* argument) { return Init(code, argument); }

ORVEND_EXPORT uint16_t AG_MemAcc(uint16_t code, uint8_t* buffer, OrvendAddress* address, uint32_t count) {
  return MemAcc(code, buffer, address, count);
}

ORVEND_EXPORT uint16_t AG_RegAcc(uint16_t code, uint32_t reg, void* value) { return RegAcc(code, reg, value); }

ORVEND_EXPORT uint16_t AG_AllReg(uint16_t code, void* block) { return AllReg(code, block); }

ORVEND_EXPORT uint32_t AG_MemAtt(uint16_t code, uint32_t attribute, OrvendAddress* address) {
  return MemAtt(code, attribute, address);
}

ORVEND_EXPORT uint32_t AG_BpInfo(uint16_t code, void* argument) {
  DriverState& state = State();
  return BpInfo(state, state.target, code, argument);
}

ORVEND_EXPORT OrvendBreakpoint* AG_BreakFunc(uint16_t code, uint16_t /*ignored*/, OrvendAddress* address,
                                             OrvendBreakpoint* bp) {
  DriverState& state = State();
  return BreakFunc(state, state.target, code, address, bp);
}

ORVEND_EXPORT uint32_t AG_GoStep(uint16_t code, uint32_t count, OrvendAddress* address) {
  DriverState& state = State();
  if (state.fatal.load()) return 0;
  return GoStep(state, DeviceTarget(), Link(), code, count, address);
}

ORVEND_EXPORT uint32_t AG_Serial(uint16_t code, uint32_t channel, uint32_t count, void* data) {
  return Serial(code, channel, count, data);
}

ORVEND_EXPORT uint32_t AG_HistFunc(void) { return 0; }

ORVEND_EXPORT uint32_t DllUv3Cap(uint32_t code, void* record) { return Capability(code, record); }

ORVEND_EXPORT uint32_t EnumUv351(void* record, uint32_t code) { return Enumerate(record, code); }

ORVEND_EXPORT void OrvendSetUi(const OrvendUi* ui) { Link().SetUi(ui); }

}  // extern "C"
