// What the source-level engine needs of the target: memory and registers, the breakpoints it arms and the run
// requests. Over the driver it is the debug host's Target (each call one or a few emulator exchanges); tests
// plug in a target of their own. Every request answers false with a reason a user reads when the target did
// not do it; nothing here prints.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace orven::debugger {

// The 8051 memory spaces a debugger names: X:, P:, D:, I:, C:.
enum class Space : uint8_t {
  kCode,   // C: code memory, 16-bit addresses
  kData,   // D: direct internal RAM 0x00-0x7F and the special function registers 0x80-0xFF
  kIdata,  // I: indirect internal RAM 0x00-0xFF
  kXdata,  // X: external RAM, 16-bit addresses
  kPdata,  // P: one 256-byte page of external RAM, 8-bit addresses
};

// The registers of the current bank and the core's own, as the emulator reports them after a stop.
struct RegisterSet {
  uint16_t pc = 0;
  uint8_t acc = 0;
  uint8_t b = 0;
  uint8_t psw = 0;
  uint8_t sp = 0;
  uint16_t dptr = 0;
  uint8_t r[8] = {};  // R0-R7 of the bank PSW selects
};

// Registers the user can assign.
enum class RegisterId : uint8_t { kR0, kR1, kR2, kR3, kR4, kR5, kR6, kR7, kAcc, kB, kPsw, kSp, kDptr, kPc };

struct PortResult {
  bool ok = true;
  std::string reason;  // empty when ok

  static PortResult Ok() { return {}; }
  static PortResult Failed(std::string why) { return {false, std::move(why)}; }
};

// How a run request ended. stopped: the target is halted and ReadRegisters gives the PC.
struct RunOutcome {
  PortResult result;
  bool stopped = false;
};

class TargetPort {
 public:
  virtual ~TargetPort() = default;

  // One request for a contiguous range (the engine merges neighbouring reads before it asks).
  virtual PortResult Read(Space space, uint32_t address, std::span<uint8_t> out) = 0;
  virtual PortResult Write(Space space, uint32_t address, std::span<const uint8_t> bytes) = 0;
  virtual PortResult ReadRegisters(RegisterSet& out) = 0;
  virtual PortResult WriteRegister(RegisterId reg, uint32_t value) = 0;

  // The emulator's hardware breakpoints the engine may arm at once (4 on the VELM5 pod).
  virtual uint32_t HardwareBreakpointLimit() const = 0;
  // Code breakpoints armed for the next run. The engine keeps the count within the limit; the user's own
  // breakpoints and its temporary ones travel through the same list.
  virtual PortResult SetBreakpoint(uint16_t address) = 0;
  virtual PortResult ClearBreakpoint(uint16_t address) = 0;

  // One instruction (an interrupt the core enters counts as that instruction's effect).
  virtual RunOutcome StepInstruction() = 0;
  // Runs in real time until a breakpoint, the stop request or, when given, `until` is reached.
  virtual RunOutcome Run(int32_t until = -1) = 0;
  // The stop request from another thread while Run waits; false when nothing runs.
  virtual bool Interrupt() = 0;
};

}  // namespace orven::debugger
