// The 8052-compatible processor of the VELM5 pod: 64 KiB code, 64 KiB xdata, 256 bytes of internal RAM, the
// 8052's special function registers, timers 0/1/2, the serial port's transmitter and two-level interrupts.
//
// A plain state class: no virtual calls, no allocation after construction (serial output reserves its buffer
// up front), one dispatch switch per instruction. Time is counted in machine cycles; the crystal turns cycles
// into milliseconds so the pod can keep pace with a Clock (real or virtual).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "link/clock.h"
#include "sim/mcs51/sfr.h"

namespace orven::mcs51 {

// Memory spaces as the debugger sees them.
enum class Space : uint8_t {
  kCode,    // 0x0000-0xFFFF
  kXdata,   // 0x0000-0xFFFF
  kIdata,   // 0x00-0xFF, internal RAM as @Ri sees it (upper 128 bytes included)
  kDirect,  // 0x00-0xFF, 0x00-0x7F RAM and 0x80-0xFF the SFRs, as a direct address sees them
  kSfr,     // 0x80-0xFF only
  kBit,     // 0x00-0xFF bit addresses; one byte per bit, 0 or 1
};

enum class StopReason : uint8_t {
  kBudget,        // the machine-cycle budget ran out
  kInstructions,  // the instruction limit was reached
  kStopAddress,   // the PC reached the stop address
  kBreakpoint,    // the PC reached a hardware breakpoint
  kPowerDown,     // the program set PCON.PD; only a reset wakes the chip
  kIdleStuck,     // idle (PCON.IDL) for kIdleStuckCycles without an interrupt: nothing left to wake it
};

// Every source that can end idle mode (a timer overflow, a serial frame) does so well within this many machine
// cycles (the slowest, a serial frame at the lowest timer-1 baud rate, takes about 21 million), so a core idle
// for longer will sleep until a reset. Run stops there instead of counting cycles forever.
inline constexpr uint64_t kIdleStuckCycles = uint64_t{1} << 26;

struct RunLimits {
  uint64_t maxCycles = UINT64_MAX;
  uint64_t maxInstructions = UINT64_MAX;
  int32_t stopAddress = -1;  // -1: none
};

struct RunResult {
  StopReason reason = StopReason::kBudget;
  uint64_t cycles = 0;        // machine cycles spent in this run
  uint64_t instructions = 0;  // instructions executed in this run
};

// The registers the debugger shows; R0-R7 of the bank PSW selects.
struct Registers {
  uint8_t acc = 0;
  uint8_t b = 0;
  uint8_t psw = 0;
  uint8_t sp = 0;
  uint16_t dptr = 0;
  uint16_t pc = 0;
  std::array<uint8_t, 8> r{};
};

class Core {
 public:
  static constexpr uint32_t kMemSize = 0x10000;
  static constexpr uint32_t kDefaultCrystalHz = 12'000'000;
  static constexpr uint32_t kDefaultClocksPerCycle = 12;

  Core();

  // The processor's reset: PC 0, SFRs to their reset values, peripherals idle. Memory keeps its contents, as
  // on the chip; ClearMemory() gives the all-zero power-on state the tools use.
  void Reset();
  // Zeroes internal RAM and xdata (code stays).
  void ClearMemory();

  // Executes one instruction, then lets the peripherals run for its cycles and enters a pending interrupt
  // (the entry's two cycles included). In idle mode no instruction runs: one cycle passes. Returns the
  // machine cycles spent (0 when powered down).
  unsigned Step();

  // Runs until a limit is reached. Breakpoints and the stop address are checked before each instruction,
  // except the first, so a run can leave the address it stopped at.
  RunResult Run(const RunLimits& limits);

  // Machine-cycle budget from milliseconds of the crystal.
  uint64_t CyclesForMs(uint64_t ms) const;
  // Milliseconds of chip time since Reset() (rounded down).
  uint64_t ElapsedMs() const;
  void SetCrystal(uint32_t hz, uint32_t clocksPerCycle = kDefaultClocksPerCycle);
  uint32_t CrystalHz() const { return crystalHz_; }
  // Marks the clock's now as this core's time origin (call at reset of the pod).
  void SyncTo(const Clock& clock);
  // Runs until the core's time reaches the clock's now, or a stop address or breakpoint.
  RunResult CatchUp(const Clock& clock, int32_t stopAddress = -1);

  // Hardware breakpoints (any number; one bit per code address).
  void SetBreakpoint(uint16_t addr, bool on);
  bool HasBreakpoint(uint16_t addr) const { return (breakpoints_[addr >> 6] >> (addr & 63)) & 1; }
  void ClearBreakpoints();

  // Debugger access to a memory space. Returns false (and copies nothing) when the range leaves the space.
  // SFR reads and writes here have no side effects (writing SBUF sends nothing); PSW's P flag always
  // follows ACC.
  bool ReadMemory(Space space, uint32_t addr, uint8_t* out, size_t count) const;
  bool WriteMemory(Space space, uint32_t addr, const uint8_t* data, size_t count);
  // Bulk code load (e.g. from a HEX image); bytes past 0xFFFF are dropped.
  void LoadCode(uint32_t addr, const uint8_t* data, size_t count);

  Registers GetRegisters() const;
  void SetRegisters(const Registers& regs);
  uint16_t Pc() const { return pc_; }
  void SetPc(uint16_t pc) { pc_ = pc; }
  uint8_t Acc() const { return sfr_[kAcc - 0x80]; }
  uint8_t Psw() const { return ReadSfrPeek(kPsw); }
  uint8_t Sp() const { return sfr_[kSp - 0x80]; }
  uint16_t Dptr() const { return static_cast<uint16_t>(sfr_[kDph - 0x80] << 8 | sfr_[kDpl - 0x80]); }
  uint8_t R(unsigned n) const { return iram_[(sfr_[kPsw - 0x80] & kPswBank) + (n & 7)]; }
  uint8_t Iram(uint8_t addr) const { return iram_[addr]; }
  uint8_t SfrValue(uint8_t addr) const { return addr >= 0x80 ? ReadSfrPeek(addr) : 0; }
  uint8_t Code(uint16_t addr) const { return code_[addr]; }
  uint8_t Xdata(uint16_t addr) const { return xdata_[addr]; }

  // Bytes the program sent through SBUF, in order, captured when written.
  const std::vector<uint8_t>& SerialOutput() const { return serialOut_; }
  void ClearSerialOutput() { serialOut_.clear(); }

  // Machine cycles of the hardware call that enters a handler: 2 on the chip. s51 bills it as 1; the
  // differential tests set that to compare cycle for cycle.
  void SetInterruptEntryCycles(unsigned cycles) { entryCycles_ = cycles; }

  // True when the last Step() ended by entering an interrupt handler (the PC is at its vector).
  bool EnteredInterrupt() const { return enteredInterrupt_; }

  uint64_t Cycles() const { return cycles_; }
  uint64_t Instructions() const { return instructions_; }
  bool Idle() const { return (sfr_[kPcon - 0x80] & kPconIdl) != 0; }
  bool PoweredDown() const { return (sfr_[kPcon - 0x80] & kPconPd) != 0; }

 private:
  // core_exec.cpp
  unsigned Execute();

  // core.cpp: direct and bit access with the chip's side effects
  uint8_t ReadDirect(uint8_t addr) const { return addr < 0x80 ? iram_[addr] : ReadSfr(addr); }
  void WriteDirect(uint8_t addr, uint8_t v) {
    if (addr < 0x80) {
      iram_[addr] = v;
    } else {
      WriteSfr(addr, v);
    }
  }
  uint8_t ReadSfr(uint8_t addr) const;
  uint8_t ReadSfrPeek(uint8_t addr) const;
  void WriteSfr(uint8_t addr, uint8_t v);
  bool ReadBit(uint8_t bit) const;
  void WriteBit(uint8_t bit, bool v);

  // core_peripherals.cpp
  void Tick(unsigned cycles);
  void TickTimer01(unsigned cycles);
  void TickTimer2(unsigned cycles);
  void SerialBaudTick(bool fromTimer2);
  void StartTransmit(uint8_t v);
  unsigned PendingRequests() const;
  unsigned EnterInterrupt();
  void UpdateActivity();

  uint8_t& Ref(uint8_t sfr) { return sfr_[sfr - 0x80]; }
  uint8_t Get(uint8_t sfr) const { return sfr_[sfr - 0x80]; }
  uint8_t& A() { return sfr_[kAcc - 0x80]; }
  uint8_t& Rn(unsigned n) { return iram_[(sfr_[kPsw - 0x80] & kPswBank) + n]; }
  uint8_t Fetch() { return code_[pc_++]; }
  void Push(uint8_t v) { iram_[++Ref(kSp)] = v; }
  uint8_t Pop() { return iram_[Ref(kSp)--]; }
  bool Carry() const { return (sfr_[kPsw - 0x80] & kPswCy) != 0; }
  void SetCarry(bool c) {
    uint8_t& psw = Ref(kPsw);
    psw = static_cast<uint8_t>(c ? (psw | kPswCy) : (psw & ~kPswCy));
  }
  void Add(uint8_t v, bool carryIn);
  void Subb(uint8_t v);
  void Jump(int8_t rel) { pc_ = static_cast<uint16_t>(pc_ + rel); }

  std::unique_ptr<uint8_t[]> code_;
  std::unique_ptr<uint8_t[]> xdata_;
  std::array<uint8_t, 256> iram_{};
  std::array<uint8_t, 128> sfr_{};  // 0x80-0xFF; PSW's stored P bit is ignored, parity is computed on read
  uint8_t sbufRx_ = 0;              // the receive half of SBUF
  uint16_t pc_ = 0;

  // Interrupts: in-service levels (bit 0 low, bit 1 high) and the one-instruction hold after RETI or a write
  // to IE/IP.
  uint8_t inService_ = 0;
  bool irqHold_ = false;
  bool enteredInterrupt_ = false;
  unsigned entryCycles_ = 2;
  // Timers or the transmitter are running: the per-instruction tick has work to do.
  bool active_ = false;

  // Serial transmitter: bits still to shift out, and the baud divider for modes 1 and 3.
  int txBitsLeft_ = 0;
  unsigned txDivider_ = 0;
  unsigned txPrescale_ = 0;  // mode 2: machine-cycle fractions of a bit

  uint64_t cycles_ = 0;
  uint64_t instructions_ = 0;
  uint32_t crystalHz_ = kDefaultCrystalHz;
  uint32_t clocksPerCycle_ = kDefaultClocksPerCycle;
  uint64_t originMs_ = 0;

  std::array<uint64_t, kMemSize / 64> breakpoints_{};
  bool anyBreakpoint_ = false;
  std::vector<uint8_t> serialOut_;
};

}  // namespace orven::mcs51
