#include "sim/mcs51/core.h"
#include "sim/mcs51/cycle_table.h"

#include <algorithm>
#include <cstring>

namespace orven::mcs51 {

namespace {

constexpr size_t kSerialReserve = 64 * 1024;

inline uint8_t Parity(uint8_t v) {
  v ^= v >> 4;
  v ^= v >> 2;
  v ^= v >> 1;
  return v & 1;
}

// floor(a * b / c) without a 128-bit type (32-bit targets have none): a = q*c + r, so a*b/c = q*b + r*b/c,
// and r*b stays below 2^64 because r < c < 2^32.
inline uint64_t MulDiv(uint64_t a, uint32_t b, uint32_t c) {
  return (a / c) * b + (a % c) * b / c;
}

}  // namespace

Core::Core() : code_(new uint8_t[kMemSize]()), xdata_(new uint8_t[kMemSize]()) {
  serialOut_.reserve(kSerialReserve);
  Reset();
}

void Core::Reset() {
  sfr_.fill(0);
  Ref(kP0) = Ref(kP1) = Ref(kP2) = Ref(kP3) = 0xFF;
  Ref(kSp) = 0x07;
  sbufRx_ = 0;
  pc_ = 0;
  inService_ = 0;
  irqHold_ = false;
  txBitsLeft_ = 0;
  txDivider_ = 0;
  txPrescale_ = 0;
  cycles_ = 0;
  instructions_ = 0;
  UpdateActivity();
}

void Core::ClearMemory() {
  iram_.fill(0);
  std::memset(xdata_.get(), 0, kMemSize);
}

// ---- Direct, SFR and bit access as instructions see them ----

uint8_t Core::ReadSfrPeek(uint8_t addr) const { return ReadSfr(addr); }

uint8_t Core::ReadSfr(uint8_t addr) const {
  switch (addr) {
    case kPsw:
      return static_cast<uint8_t>((Get(kPsw) & ~kPswP) | Parity(Get(kAcc)));
    case kSbuf:
      return sbufRx_;  // the transmit half cannot be read back
    default:
      // Port pins read as their latches: the pod's ports drive nothing else.
      return sfr_[addr - 0x80];
  }
}

void Core::WriteSfr(uint8_t addr, uint8_t v) {
  switch (addr) {
    case kSbuf:
      StartTransmit(v);
      return;
    case kIe:
    case kIp:
      // The chip finishes the next instruction before it takes an interrupt after IE/IP change.
      irqHold_ = true;
      sfr_[addr - 0x80] = v;
      return;
    case kTcon:
    case kT2con:
    case kTmod:
      sfr_[addr - 0x80] = v;
      UpdateActivity();
      return;
    case kP3: {
      // INT0/INT1 are P3.2/P3.3; with nothing else on the pod's pins they follow the latch. A falling edge
      // requests an edge-triggered interrupt, a low level a level-triggered one.
      const uint8_t old = Get(kP3);
      sfr_[addr - 0x80] = v;
      uint8_t& tcon = Ref(kTcon);
      const bool edge0 = (tcon & kTconIt0) != 0;
      const bool edge1 = (tcon & kTconIt1) != 0;
      if (!(v & 0x04) && (!edge0 || (old & 0x04))) tcon |= kTconIe0;
      if (!(v & 0x08) && (!edge1 || (old & 0x08))) tcon |= kTconIe1;
      return;
    }
    default:
      if (SfrExists(addr)) sfr_[addr - 0x80] = v;
      return;
  }
}

bool Core::ReadBit(uint8_t bit) const {
  const uint8_t byte = bit < 0x80 ? iram_[0x20 + (bit >> 3)] : ReadSfr(static_cast<uint8_t>(bit & 0xF8));
  return (byte >> (bit & 7)) & 1;
}

void Core::WriteBit(uint8_t bit, bool v) {
  const uint8_t mask = static_cast<uint8_t>(1u << (bit & 7));
  if (bit < 0x80) {
    uint8_t& byte = iram_[0x20 + (bit >> 3)];
    byte = static_cast<uint8_t>(v ? (byte | mask) : (byte & ~mask));
    return;
  }
  const uint8_t addr = static_cast<uint8_t>(bit & 0xF8);
  // Bit writes are read-modify-write of the latch; SBUF (0x98 is SCON, so never here) needs no special case.
  const uint8_t byte = addr == kPsw ? Get(kPsw) : sfr_[addr - 0x80];
  WriteSfr(addr, static_cast<uint8_t>(v ? (byte | mask) : (byte & ~mask)));
}

// ---- Execution ----

unsigned Core::Step() {
  if (PoweredDown()) return 0;
  unsigned cycles = 1;
  if (Idle()) {
    if (active_) Tick(1);
  } else {
    // The peripherals count the opcode-fetch cycle before the instruction's writes land and its other cycles
    // after: an instruction that starts a timer does not count, a one-cycle load of a timer register
    // overwrites the count, and a two-cycle load counts once more. Bit tests
    // (JB, JNB) sample their bit in the last cycle, so they see a flag that rises while they run; JBC samples in
    // its first, as it must clear the bit it read.
    const uint8_t op = code_[pc_];
    cycles = kCycles[op];
    const unsigned before = (op == 0x20 || op == 0x30) ? cycles : 1;
    if (active_) Tick(before);
    irqHold_ = false;
    Execute();
    ++instructions_;
    if (active_ && cycles > before) Tick(cycles - before);
  }
  cycles_ += cycles;
  enteredInterrupt_ = false;
  if (!irqHold_ && (Get(kIe) & kIeEa)) {
    const unsigned entry = EnterInterrupt();
    enteredInterrupt_ = entry != 0;
    cycles += entry;
  }
  return cycles;
}

RunResult Core::Run(const RunLimits& limits) {
  RunResult result;
  const uint64_t startCycles = cycles_;
  const uint64_t startInstructions = instructions_;
  const bool checkStop = limits.stopAddress >= 0;
  const uint16_t stopAddress = static_cast<uint16_t>(limits.stopAddress);
  bool first = true;
  uint64_t idleSince = UINT64_MAX;
  for (;;) {
    const uint64_t ranCycles = cycles_ - startCycles;
    const uint64_t ranInstructions = instructions_ - startInstructions;
    if (ranCycles >= limits.maxCycles) {
      result.reason = StopReason::kBudget;
      break;
    }
    if (ranInstructions >= limits.maxInstructions) {
      result.reason = StopReason::kInstructions;
      break;
    }
    if (!first) {
      if (checkStop && pc_ == stopAddress) {
        result.reason = StopReason::kStopAddress;
        break;
      }
      if (anyBreakpoint_ && HasBreakpoint(pc_)) {
        result.reason = StopReason::kBreakpoint;
        break;
      }
    }
    first = false;
    if (Step() == 0) {
      result.reason = StopReason::kPowerDown;
      break;
    }
    if (Idle()) {
      if (idleSince == UINT64_MAX) idleSince = cycles_;
      if (cycles_ - idleSince >= kIdleStuckCycles) {
        result.reason = StopReason::kIdleStuck;
        break;
      }
    } else {
      idleSince = UINT64_MAX;
    }
  }
  result.cycles = cycles_ - startCycles;
  result.instructions = instructions_ - startInstructions;
  return result;
}

// ---- Time ----

void Core::SetCrystal(uint32_t hz, uint32_t clocksPerCycle) {
  crystalHz_ = hz == 0 ? kDefaultCrystalHz : hz;
  clocksPerCycle_ = clocksPerCycle == 0 ? kDefaultClocksPerCycle : clocksPerCycle;
}

uint64_t Core::CyclesForMs(uint64_t ms) const {
  return MulDiv(ms, crystalHz_, 1000u) / clocksPerCycle_;
}

uint64_t Core::ElapsedMs() const {
  return MulDiv(cycles_, clocksPerCycle_ * 1000u, crystalHz_);
}

void Core::SyncTo(const Clock& clock) { originMs_ = clock.NowMs() - std::min(clock.NowMs(), ElapsedMs()); }

RunResult Core::CatchUp(const Clock& clock, int32_t stopAddress) {
  const uint64_t now = clock.NowMs();
  const uint64_t targetMs = now > originMs_ ? now - originMs_ : 0;
  const uint64_t target = CyclesForMs(targetMs);
  RunLimits limits;
  limits.maxCycles = target > cycles_ ? target - cycles_ : 0;
  limits.stopAddress = stopAddress;
  return Run(limits);
}

// ---- Breakpoints ----

void Core::SetBreakpoint(uint16_t addr, bool on) {
  const uint64_t mask = uint64_t{1} << (addr & 63);
  if (on) {
    breakpoints_[addr >> 6] |= mask;
  } else {
    breakpoints_[addr >> 6] &= ~mask;
  }
  anyBreakpoint_ = std::any_of(breakpoints_.begin(), breakpoints_.end(), [](uint64_t w) { return w != 0; });
}

void Core::ClearBreakpoints() {
  breakpoints_.fill(0);
  anyBreakpoint_ = false;
}

// ---- Debugger access ----

bool Core::ReadMemory(Space space, uint32_t addr, uint8_t* out, size_t count) const {
  const uint32_t lo = space == Space::kSfr ? 0x80 : 0;
  const uint32_t hi = (space == Space::kCode || space == Space::kXdata) ? kMemSize : 0x100;
  if (addr < lo || addr > hi || count > hi - addr) return false;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t a = addr + static_cast<uint32_t>(i);
    switch (space) {
      case Space::kCode: out[i] = code_[a]; break;
      case Space::kXdata: out[i] = xdata_[a]; break;
      case Space::kIdata: out[i] = iram_[a]; break;
      case Space::kDirect:
      case Space::kSfr: out[i] = a < 0x80 ? iram_[a] : ReadSfrPeek(static_cast<uint8_t>(a)); break;
      case Space::kBit: {
        const uint8_t bit = static_cast<uint8_t>(a);
        const uint8_t byte =
            bit < 0x80 ? iram_[0x20 + (bit >> 3)] : ReadSfrPeek(static_cast<uint8_t>(bit & 0xF8));
        out[i] = (byte >> (bit & 7)) & 1;
        break;
      }
    }
  }
  return true;
}

bool Core::WriteMemory(Space space, uint32_t addr, const uint8_t* data, size_t count) {
  const uint32_t lo = space == Space::kSfr ? 0x80 : 0;
  const uint32_t hi = (space == Space::kCode || space == Space::kXdata) ? kMemSize : 0x100;
  if (addr < lo || addr > hi || count > hi - addr) return false;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t a = addr + static_cast<uint32_t>(i);
    const uint8_t v = data[i];
    switch (space) {
      case Space::kCode: code_[a] = v; break;
      case Space::kXdata: xdata_[a] = v; break;
      case Space::kIdata: iram_[a] = v; break;
      case Space::kDirect:
      case Space::kSfr:
        if (a < 0x80) {
          iram_[a] = v;
        } else if (SfrExists(static_cast<uint8_t>(a))) {
          sfr_[a - 0x80] = v;  // no side effects: the debugger only sets the register
        }
        break;
      case Space::kBit: {
        const uint8_t bit = static_cast<uint8_t>(a);
        const uint8_t mask = static_cast<uint8_t>(1u << (bit & 7));
        uint8_t* byte = nullptr;
        if (bit < 0x80) {
          byte = &iram_[0x20 + (bit >> 3)];
        } else if (SfrExists(static_cast<uint8_t>(bit & 0xF8))) {
          byte = &sfr_[(bit & 0xF8) - 0x80];
        }
        if (byte != nullptr) *byte = static_cast<uint8_t>(v ? (*byte | mask) : (*byte & ~mask));
        break;
      }
    }
  }
  UpdateActivity();
  return true;
}

void Core::LoadCode(uint32_t addr, const uint8_t* data, size_t count) {
  if (addr >= kMemSize) return;
  std::memcpy(code_.get() + addr, data, std::min<size_t>(count, kMemSize - addr));
}

Registers Core::GetRegisters() const {
  Registers regs;
  regs.acc = Get(kAcc);
  regs.b = Get(kB);
  regs.psw = ReadSfrPeek(kPsw);
  regs.sp = Get(kSp);
  regs.dptr = Dptr();
  regs.pc = pc_;
  for (unsigned n = 0; n < 8; ++n) regs.r[n] = R(n);
  return regs;
}

void Core::SetRegisters(const Registers& regs) {
  Ref(kAcc) = regs.acc;
  Ref(kB) = regs.b;
  Ref(kPsw) = regs.psw;  // the bank comes from the new PSW, so R0-R7 land in that bank
  Ref(kSp) = regs.sp;
  Ref(kDpl) = static_cast<uint8_t>(regs.dptr);
  Ref(kDph) = static_cast<uint8_t>(regs.dptr >> 8);
  pc_ = regs.pc;
  for (unsigned n = 0; n < 8; ++n) Rn(n) = regs.r[n];
}

}  // namespace orven::mcs51
