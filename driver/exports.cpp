// The library's C entry points.
#include "orvend/orvend.h"

extern "C" {

uint32_t AG_Init(uint16_t, void*) { return 0; }
uint16_t AG_MemAcc(uint16_t, uint8_t*, OrvendAddress*, uint32_t) { return 0; }
uint16_t AG_RegAcc(uint16_t, uint32_t, void*) { return 0; }
uint16_t AG_AllReg(uint16_t, void*) { return 0; }
uint32_t AG_MemAtt(uint16_t, uint32_t, OrvendAddress*) { return 0; }
uint32_t AG_BpInfo(uint16_t, void*) { return 0; }
OrvendBreakpoint* AG_BreakFunc(uint16_t, uint16_t, OrvendAddress*, OrvendBreakpoint*) { return nullptr; }
uint32_t AG_GoStep(uint16_t, uint32_t, OrvendAddress*) { return 0; }
uint32_t AG_Serial(uint16_t, uint32_t, uint32_t, void*) { return 0; }
uint32_t AG_HistFunc(void) { return 0; }
uint32_t DllUv3Cap(uint32_t, void*) { return 0; }
uint32_t EnumUv351(void*, uint32_t) { return 0; }
void OrvendSetUi(const OrvendUi*) {}

}  // extern "C"
