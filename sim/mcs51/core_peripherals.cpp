// Timers 0, 1 and 2, the serial transmitter and interrupt entry, advanced once per instruction by its
// machine cycles.
#include "sim/mcs51/core.h"

namespace orven::mcs51 {

namespace {

inline uint8_t U8(unsigned v) { return static_cast<uint8_t>(v); }

// One count of a timer 0/1 pair in mode 0 (13 bits: TL's low five bits below TH), 1 (16 bits) or 2 (TL
// reloads from TH). Returns true on overflow.
inline bool CountTimer(uint8_t& tl, uint8_t& th, unsigned mode) {
  switch (mode) {
    case 0:
      if ((tl & 0x1F) != 0x1F) {
        ++tl;
        return false;
      }
      tl = U8(tl & 0xE0);
      return ++th == 0;
    case 1:
      if (++tl != 0) return false;
      return ++th == 0;
    default:  // 2
      if (++tl != 0) return false;
      tl = th;
      return true;
  }
}

// Bit times from the SBUF write to TI: the 8 data bits in mode 0; TI rises at the start of the stop bit
// in the others (start and 8 data bits in mode 1, start and 9 data bits in modes 2 and 3).
constexpr int kFrameBits[4] = {8, 9, 10, 10};

}  // namespace

void Core::UpdateActivity() {
  const uint8_t tcon = Get(kTcon);
  const bool timer0Split = (Get(kTmod) & 0x03) == 0x03;  // timer 1 runs free while timer 0 is split
  active_ = (tcon & (kTconTr0 | kTconTr1)) != 0 || timer0Split || (Get(kT2con) & kT2conTr2) != 0 ||
            txBitsLeft_ > 0;
}

void Core::Tick(unsigned cycles) {
  TickTimer01(cycles);
  if (Get(kT2con) & kT2conTr2) TickTimer2(cycles);
  if (txBitsLeft_ > 0) {
    const unsigned mode = Get(kScon) >> 6;
    if (mode == 0) {
      // Shift-register mode: one bit per machine cycle.
      txBitsLeft_ -= static_cast<int>(cycles);
      if (txBitsLeft_ <= 0) {
        txBitsLeft_ = 0;
        Ref(kScon) |= kSconTi;
      }
    } else if (mode == 2) {
      // A bit every 64 oscillator clocks, 32 with SMOD.
      const unsigned clocksPerBit = (Get(kPcon) & kPconSmod) ? 32 : 64;
      txPrescale_ += cycles * clocksPerCycle_;
      while (txPrescale_ >= clocksPerBit && txBitsLeft_ > 0) {
        txPrescale_ -= clocksPerBit;
        if (--txBitsLeft_ == 0) Ref(kScon) |= kSconTi;
      }
    }
  }
  UpdateActivity();
}

void Core::TickTimer01(unsigned cycles) {
  const uint8_t tmod = Get(kTmod);
  const unsigned mode0 = tmod & 3;
  const unsigned mode1 = (tmod >> 4) & 3;
  uint8_t& tcon = Ref(kTcon);
  const uint8_t p3 = Get(kP3);
  // GATE lets INTx (P3.2 / P3.3) hold the timer; C/T counts pin edges, which the pod's unconnected pins
  // never make.
  const bool gate0 = !(tmod & 0x08) || (p3 & 0x04);
  const bool gate1 = !(tmod & 0x80) || (p3 & 0x08);
  const bool timer0 = !(tmod & 0x04);
  const bool timer1 = !(tmod & 0x40);
  for (unsigned c = 0; c < cycles; ++c) {
    if (mode0 == 3) {
      // Split: TL0 is timer 0 with TF0; TH0 counts machine cycles under TR1 and owns TF1.
      if ((tcon & kTconTr0) && gate0 && timer0 && ++Ref(kTl0) == 0) tcon |= kTconTf0;
      if ((tcon & kTconTr1) && ++Ref(kTh0) == 0) tcon |= kTconTf1;
    } else if ((tcon & kTconTr0) && gate0 && timer0) {
      if (CountTimer(Ref(kTl0), Ref(kTh0), mode0)) tcon |= kTconTf0;
    }
    if (mode1 != 3 && timer1 && (mode0 == 3 || ((tcon & kTconTr1) && gate1))) {
      if (CountTimer(Ref(kTl1), Ref(kTh1), mode1)) {
        if (mode0 != 3) tcon |= kTconTf1;
        if (txBitsLeft_ > 0 && !(Get(kT2con) & kT2conTclk)) SerialBaudTick(false);
      }
    }
  }
}

void Core::TickTimer2(unsigned cycles) {
  uint8_t& t2con = Ref(kT2con);
  if (t2con & kT2conCt2) return;  // counts T2 pin edges: none on the pod
  const bool baud = (t2con & (kT2conRclk | kT2conTclk)) != 0;
  // As a baud generator timer 2 counts every state (half a machine cycle's clocks / 6 states).
  const unsigned counts = baud ? cycles * (clocksPerCycle_ / 2) : cycles;
  for (unsigned c = 0; c < counts; ++c) {
    uint8_t& tl = Ref(kTl2);
    uint8_t& th = Ref(kTh2);
    if (++tl != 0 || ++th != 0) continue;
    if (baud) {
      tl = Get(kRcap2l);
      th = Get(kRcap2h);
      if (txBitsLeft_ > 0 && (t2con & kT2conTclk)) SerialBaudTick(true);
    } else {
      t2con |= kT2conTf2;
      if (!(t2con & kT2conCpRl2)) {
        tl = Get(kRcap2l);
        th = Get(kRcap2h);
      }
    }
  }
}

void Core::SerialBaudTick(bool fromTimer2) {
  const unsigned mode = Get(kScon) >> 6;
  if (mode != 1 && mode != 3) return;
  // Timer 1 overflows make a bit every 32 (16 with SMOD); timer 2 overflows every 16.
  const unsigned divide = fromTimer2 ? 16 : ((Get(kPcon) & kPconSmod) ? 16 : 32);
  if (++txDivider_ < divide) return;
  txDivider_ = 0;
  if (--txBitsLeft_ == 0) Ref(kScon) |= kSconTi;
}

void Core::StartTransmit(uint8_t v) {
  serialOut_.push_back(v);
  txBitsLeft_ = kFrameBits[Get(kScon) >> 6];
  txDivider_ = 0;
  txPrescale_ = 0;
  active_ = true;
}

unsigned Core::PendingRequests() const {
  const uint8_t ie = Get(kIe);
  if (!(ie & kIeEa)) return 0;
  const uint8_t tcon = Get(kTcon);
  // Requests in polling order, bit n = vector 0x03 + 8n: INT0, T0, INT1, T1, serial, T2.
  unsigned req = 0;
  if (tcon & kTconIe0) req |= 0x01;
  if (tcon & kTconTf0) req |= 0x02;
  if (tcon & kTconIe1) req |= 0x04;
  if (tcon & kTconTf1) req |= 0x08;
  if (Get(kScon) & (kSconRi | kSconTi)) req |= 0x10;
  if (Get(kT2con) & (kT2conTf2 | kT2conExf2)) req |= 0x20;
  return req & ie & 0x3F;
}

unsigned Core::EnterInterrupt() {
  if (inService_ & 2) return 0;
  const unsigned req = PendingRequests();
  if (req == 0) return 0;
  const uint8_t tcon = Get(kTcon);
  const unsigned high = req & Get(kIp);
  unsigned pick;
  uint8_t level;
  if (high != 0) {
    pick = high;
    level = 2;
  } else if (inService_ == 0) {
    pick = req;
    level = 1;
  } else {
    return 0;
  }
  const unsigned n = static_cast<unsigned>(__builtin_ctz(pick));
  switch (n) {
    case 0: if (tcon & kTconIt0) Ref(kTcon) &= U8(~kTconIe0); break;
    case 1: Ref(kTcon) &= U8(~kTconTf0); break;
    case 2: if (tcon & kTconIt1) Ref(kTcon) &= U8(~kTconIe1); break;
    case 3: Ref(kTcon) &= U8(~kTconTf1); break;
    default: break;  // serial and timer 2 flags are cleared by the handler
  }
  inService_ |= level;
  Ref(kPcon) &= U8(~kPconIdl);
  Push(U8(pc_));
  Push(U8(pc_ >> 8));
  pc_ = static_cast<uint16_t>(0x03 + 8 * n);
  // The timers go on counting during the hardware LCALL.
  cycles_ += entryCycles_;
  if (active_ && entryCycles_ > 0) Tick(entryCycles_);
  return entryCycles_;
}

}  // namespace orven::mcs51
