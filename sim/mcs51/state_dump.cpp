#include "sim/mcs51/state_dump.h"

#include <cinttypes>
#include <cstdio>

namespace orven::mcs51 {

namespace {

void AppendHex(std::string& out, const uint8_t* data, size_t count) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (size_t i = 0; i < count; ++i) {
    out.push_back(kDigits[data[i] >> 4]);
    out.push_back(kDigits[data[i] & 15]);
  }
}

}  // namespace

std::string FormatState(const Core& core) {
  const Registers regs = core.GetRegisters();
  char line[128];
  std::snprintf(line, sizeof line, "PC=%04X ACC=%02X B=%02X PSW=%02X SP=%02X DPTR=%04X\n", regs.pc, regs.acc,
                regs.b, regs.psw, regs.sp, regs.dptr);
  std::string out = line;
  std::snprintf(line, sizeof line, "R=%02X %02X %02X %02X %02X %02X %02X %02X\n", regs.r[0], regs.r[1],
                regs.r[2], regs.r[3], regs.r[4], regs.r[5], regs.r[6], regs.r[7]);
  out += line;

  uint8_t buf[256];
  core.ReadMemory(Space::kIdata, 0, buf, 256);
  out += "IRAM=";
  AppendHex(out, buf, 256);
  core.ReadMemory(Space::kSfr, 0x80, buf, 128);
  out += "\nSFR=";
  AppendHex(out, buf, 128);
  core.ReadMemory(Space::kXdata, 0, buf, 256);
  out += "\nXRAM=";
  AppendHex(out, buf, 256);
  out += "\nSERIAL=";
  AppendHex(out, core.SerialOutput().data(), core.SerialOutput().size());
  std::snprintf(line, sizeof line, "\nINSTRUCTIONS=%" PRIu64 " CYCLES=%" PRIu64 "\n", core.Instructions(),
                core.Cycles());
  out += line;
  return out;
}

}  // namespace orven::mcs51
