// A target port over an in-memory 8051 image: code, xdata (pdata is its first page), internal RAM and the
// SFRs, with the register set kept in the SFRs and the bank as the chip keeps them. Counts the requests it
// answers and refuses one space on demand, as a pod that stops replying would.
#pragma once

#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "debugger/target_port.h"

namespace orven::debugger::testing {

class MemoryImageTarget : public TargetPort {
 public:
  MemoryImageTarget() : code(0x10000, 0), xdata(0x10000, 0) {}

  std::vector<uint8_t> code;
  std::vector<uint8_t> xdata;
  std::array<uint8_t, 256> iram{};
  std::array<uint8_t, 128> sfr{};  // 0x80-0xFF
  uint16_t pc = 0;
  size_t reads = 0;
  size_t writes = 0;
  size_t registerReads = 0;
  std::optional<Space> refuse;  // requests for this space fail

  uint8_t& Sfr(uint8_t address) { return sfr[address - 0x80]; }

  PortResult Read(Space space, uint32_t address, std::span<uint8_t> out) override {
    ++reads;
    uint8_t* at = Place(space, address, out.size());
    if (!at) return PortResult::Failed("no reply from the pod");
    std::memcpy(out.data(), at, out.size());
    return PortResult::Ok();
  }
  PortResult Write(Space space, uint32_t address, std::span<const uint8_t> bytes) override {
    ++writes;
    uint8_t* at = Place(space, address, bytes.size());
    if (!at) return PortResult::Failed("no reply from the pod");
    std::memcpy(at, bytes.data(), bytes.size());
    return PortResult::Ok();
  }
  PortResult ReadRegisters(RegisterSet& out) override {
    ++registerReads;
    if (refuse) return PortResult::Failed("no reply from the pod");
    out.pc = pc;
    out.acc = Sfr(0xE0);
    out.b = Sfr(0xF0);
    out.psw = Sfr(0xD0);
    out.sp = Sfr(0x81);
    out.dptr = static_cast<uint16_t>(Sfr(0x83) << 8 | Sfr(0x82));
    for (int n = 0; n < 8; ++n) out.r[n] = iram[(Sfr(0xD0) & 0x18) + n];
    return PortResult::Ok();
  }
  PortResult WriteRegister(RegisterId reg, uint32_t value) override {
    ++writes;
    if (refuse) return PortResult::Failed("no reply from the pod");
    auto v = static_cast<uint8_t>(value);
    switch (reg) {
      case RegisterId::kAcc: Sfr(0xE0) = v; break;
      case RegisterId::kB: Sfr(0xF0) = v; break;
      case RegisterId::kPsw: Sfr(0xD0) = v; break;
      case RegisterId::kSp: Sfr(0x81) = v; break;
      case RegisterId::kDptr:
        Sfr(0x82) = v;
        Sfr(0x83) = static_cast<uint8_t>(value >> 8);
        break;
      case RegisterId::kPc: pc = static_cast<uint16_t>(value); break;
      default: iram[(Sfr(0xD0) & 0x18) + static_cast<unsigned>(reg)] = v;
    }
    return PortResult::Ok();
  }
  uint32_t HardwareBreakpointLimit() const override { return 4; }
  PortResult SetBreakpoint(uint16_t) override { return PortResult::Ok(); }
  PortResult ClearBreakpoint(uint16_t) override { return PortResult::Ok(); }
  RunOutcome StepInstruction() override { return {}; }
  RunOutcome Run(int32_t) override { return {}; }
  bool Interrupt() override { return false; }

 private:
  uint8_t* Place(Space space, uint32_t address, size_t length) {
    if (refuse == space) return nullptr;
    size_t limit = space == Space::kCode || space == Space::kXdata ? 0x10000 : 0x100;
    if (address + length > limit) return nullptr;
    switch (space) {
      case Space::kCode: return code.data() + address;
      case Space::kXdata:
      case Space::kPdata: return xdata.data() + address;
      case Space::kIdata: return iram.data() + address;
      case Space::kData:
        // A range crossing 0x80 would mix RAM and SFRs; the pod reads one or the other.
        if (address >= 0x80) return sfr.data() + (address - 0x80);
        return address + length <= 0x80 ? iram.data() + address : nullptr;
    }
    return nullptr;
  }
};

}  // namespace orven::debugger::testing
