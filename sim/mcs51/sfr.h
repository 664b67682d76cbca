// Special function register addresses and bits of the 8052 that the pod stands in for.
#pragma once

#include <cstdint>

namespace orven::mcs51 {

// Direct addresses 0x80-0xFF.
enum Sfr : uint8_t {
  kP0 = 0x80,
  kSp = 0x81,
  kDpl = 0x82,
  kDph = 0x83,
  kPcon = 0x87,
  kTcon = 0x88,
  kTmod = 0x89,
  kTl0 = 0x8A,
  kTl1 = 0x8B,
  kTh0 = 0x8C,
  kTh1 = 0x8D,
  kP1 = 0x90,
  kScon = 0x98,
  kSbuf = 0x99,
  kP2 = 0xA0,
  kIe = 0xA8,
  kP3 = 0xB0,
  kIp = 0xB8,
  kT2con = 0xC8,
  kRcap2l = 0xCA,
  kRcap2h = 0xCB,
  kTl2 = 0xCC,
  kTh2 = 0xCD,
  kPsw = 0xD0,
  kAcc = 0xE0,
  kB = 0xF0,
};

// PSW
constexpr uint8_t kPswCy = 0x80;
constexpr uint8_t kPswAc = 0x40;
constexpr uint8_t kPswOv = 0x04;
constexpr uint8_t kPswP = 0x01;
constexpr uint8_t kPswBank = 0x18;

// TCON
constexpr uint8_t kTconTf1 = 0x80;
constexpr uint8_t kTconTr1 = 0x40;
constexpr uint8_t kTconTf0 = 0x20;
constexpr uint8_t kTconTr0 = 0x10;
constexpr uint8_t kTconIe1 = 0x08;
constexpr uint8_t kTconIt1 = 0x04;
constexpr uint8_t kTconIe0 = 0x02;
constexpr uint8_t kTconIt0 = 0x01;

// SCON
constexpr uint8_t kSconRi = 0x01;
constexpr uint8_t kSconTi = 0x02;

// T2CON
constexpr uint8_t kT2conTf2 = 0x80;
constexpr uint8_t kT2conExf2 = 0x40;
constexpr uint8_t kT2conRclk = 0x20;
constexpr uint8_t kT2conTclk = 0x10;
constexpr uint8_t kT2conTr2 = 0x04;
constexpr uint8_t kT2conCt2 = 0x02;
constexpr uint8_t kT2conCpRl2 = 0x01;

// PCON
constexpr uint8_t kPconSmod = 0x80;
constexpr uint8_t kPconPd = 0x02;
constexpr uint8_t kPconIdl = 0x01;

// IE / IP (the same bit for each source in both)
constexpr uint8_t kIeEa = 0x80;
constexpr uint8_t kIeEt2 = 0x20;
constexpr uint8_t kIeEs = 0x10;
constexpr uint8_t kIeEt1 = 0x08;
constexpr uint8_t kIeEx1 = 0x04;
constexpr uint8_t kIeEt0 = 0x02;
constexpr uint8_t kIeEx0 = 0x01;

// True for the addresses where the 8052 has a register; the others read 0 and ignore writes.
constexpr bool SfrExists(uint8_t addr) {
  switch (addr) {
    case kP0: case kSp: case kDpl: case kDph: case kPcon: case kTcon: case kTmod: case kTl0: case kTl1:
    case kTh0: case kTh1: case kP1: case kScon: case kSbuf: case kP2: case kIe: case kP3: case kIp:
    case kT2con: case kRcap2l: case kRcap2h: case kTl2: case kTh2: case kPsw: case kAcc: case kB:
      return true;
    default:
      return false;
  }
}

}  // namespace orven::mcs51
