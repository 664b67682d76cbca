// Interrupts, timers, the serial transmitter, run control and time, as tiny opcode programs.
#include <gtest/gtest.h>

#include "link/clock.h"
#include "tests/mcs51/core_test_support.h"

namespace orven::mcs51test {
namespace {

using mcs51::RunLimits;
using mcs51::StopReason;

// Timer 0 in mode 2 overflowing every 4 cycles; its handler at 000B counts in R7 and returns with RETI.
std::unique_ptr<mcs51::Core> TimerProgram() {
  auto core = CoreWith({
      0x02, 0x00, 0x30,  // 0000 LJMP 0030h
  });
  const uint8_t handler[] = {0x0F, 0x32};  // 000B INC R7; RETI
  core->LoadCode(0x0B, handler, sizeof handler);
  const uint8_t main[] = {
      0x75, 0x89, 0x02,  // 0030 MOV TMOD,#02h
      0x75, 0x8C, 0xFC,  // 0033 MOV TH0,#FCh
      0x75, 0x8A, 0xFC,  // 0036 MOV TL0,#FCh
      0x75, 0xA8, 0x82,  // 0039 MOV IE,#82h
      0xD2, 0x8C,        // 003C SETB TR0
      0x80, 0xFE,        // 003E SJMP $
  };
  core->LoadCode(0x30, main, sizeof main);
  return core;
}

TEST(PeripheralTest, TimerInterruptEntersAndReturnsWithReti) {
  auto core = TimerProgram();
  bool entered = false;
  for (int i = 0; i < 20 && !entered; ++i) {
    core->Step();
    entered = core->EnteredInterrupt();
  }
  ASSERT_TRUE(entered);
  EXPECT_EQ(core->Pc(), 0x000B);
  EXPECT_EQ(core->Sp(), 0x09);
  EXPECT_EQ(core->Iram(0x08), 0x3E);  // the interrupted SJMP
  EXPECT_EQ(core->SfrValue(mcs51::kTcon) & mcs51::kTconTf0, 0);  // cleared by the hardware call
  Steps(*core, 2);                  // INC R7; RETI
  EXPECT_EQ(core->Pc(), 0x003E);
  EXPECT_EQ(core->Sp(), 0x07);
  EXPECT_EQ(core->R(7), 1);
  RunLimits limits;
  limits.maxCycles = 400;
  core->Run(limits);
  EXPECT_GT(core->R(7), 50);
}

TEST(PeripheralTest, HighPriorityPreemptsLowButNotTheReverse) {
  auto core = CoreWith({0x02, 0x00, 0x30});
  const uint8_t ext0[] = {0x0E, 0x32};        // 0003 INC R6; RETI  (INT0, low)
  const uint8_t t0[] = {0x0F, 0x32};          // 000B INC R7; RETI  (timer 0, high)
  core->LoadCode(0x03, ext0, sizeof ext0);
  core->LoadCode(0x0B, t0, sizeof t0);
  const uint8_t main[] = {
      0x75, 0xB8, 0x02,  // 0030 MOV IP,#02h  (timer 0 high)
      0x75, 0xA8, 0x83,  // 0033 MOV IE,#83h
      0x00,              // 0036 NOP
      0x75, 0x88, 0x22,  // 0037 MOV TCON,#22h (TF0 and IE0 both pending)
      0x80, 0xFE,        // 003A SJMP $
  };
  core->LoadCode(0x30, main, sizeof main);
  Steps(*core, 5);
  ASSERT_TRUE(core->EnteredInterrupt());
  EXPECT_EQ(core->Pc(), 0x000B);  // the high-priority source wins
  // Inside the high-priority handler INT0 (low) must wait until RETI and one more instruction.
  core->Step();
  EXPECT_FALSE(core->EnteredInterrupt());
  core->Step();  // RETI
  EXPECT_FALSE(core->EnteredInterrupt());
  core->Step();  // SJMP, then INT0
  EXPECT_TRUE(core->EnteredInterrupt());
  EXPECT_EQ(core->Pc(), 0x0003);
}

TEST(PeripheralTest, SerialModeOneCapturesBytesAndRaisesTi) {
  auto core = CoreWith({
      0x75, 0x98, 0x40,  // 0000 MOV SCON,#40h (mode 1)
      0x75, 0x89, 0x20,  // 0003 MOV TMOD,#20h
      0x75, 0x8D, 0xFF,  // 0006 MOV TH1,#FFh  (overflow every cycle)
      0xD2, 0x8E,        // 0009 SETB TR1
      0x75, 0x99, 0x55,  // 000B MOV SBUF,#55h
      0x30, 0x99, 0xFD,  // 000E JNB TI,$
      0x75, 0x99, 0xAA,  // 0011 MOV SBUF,#AAh
      0x80, 0xFE,        // 0014 SJMP $
  });
  RunLimits limits;
  limits.stopAddress = 0x0011;
  limits.maxCycles = 2000;
  const auto result = core->Run(limits);
  EXPECT_EQ(result.reason, StopReason::kStopAddress);
  // TL1 starts at 0, so the first overflow takes 256 cycles; then TI rises at the start of the stop bit,
  // after 9 bits of 32 overflows.
  EXPECT_NEAR(static_cast<double>(core->Cycles()), 256 + 9 * 32 + 7, 4);
  core->Step();
  EXPECT_EQ(core->SerialOutput(), (std::vector<uint8_t>{0x55, 0xAA}));
  uint8_t sbuf = 0xEE;
  core->ReadMemory(mcs51::Space::kSfr, mcs51::kSbuf, &sbuf, 1);
  EXPECT_EQ(sbuf, 0x00);  // reads the (empty) receive buffer
}

TEST(PeripheralTest, RunStopsAtBreakpointsStopAddressAndLimits) {
  auto core = CoreWith({
      0x00,              // 0000 NOP
      0x00,              // 0001 NOP
      0x80, 0xFC,        // 0002 SJMP 0000
  });
  core->SetBreakpoint(0x0001, true);
  RunLimits limits;
  auto r = core->Run(limits);
  EXPECT_EQ(r.reason, StopReason::kBreakpoint);
  EXPECT_EQ(core->Pc(), 0x0001);
  r = core->Run(limits);  // leaves the breakpoint, comes round to it again
  EXPECT_EQ(r.reason, StopReason::kBreakpoint);
  EXPECT_EQ(r.instructions, 3u);
  core->ClearBreakpoints();
  limits.stopAddress = 0x0002;
  EXPECT_EQ(core->Run(limits).reason, StopReason::kStopAddress);
  limits = RunLimits{};
  limits.maxInstructions = 10;
  r = core->Run(limits);
  EXPECT_EQ(r.reason, StopReason::kInstructions);
  EXPECT_EQ(r.instructions, 10u);
  limits = RunLimits{};
  limits.maxCycles = 7;
  r = core->Run(limits);
  EXPECT_EQ(r.reason, StopReason::kBudget);
  EXPECT_GE(r.cycles, 7u);
  EXPECT_LE(r.cycles, 8u);
}

TEST(PeripheralTest, CatchUpRunsTheCrystalsCyclesOfVirtualTime) {
  auto core = CoreWith({0x80, 0xFE});  // SJMP $
  VirtualClock clock(5000);
  core->SyncTo(clock);
  clock.Advance(500);
  auto r = core->CatchUp(clock);
  EXPECT_EQ(r.cycles, 500'000u);  // 12 MHz / 12 = 1 MHz machine cycles
  EXPECT_EQ(core->ElapsedMs(), 500u);
  core->SetCrystal(24'000'000, 12);
  clock.Advance(10);
  r = core->CatchUp(clock);
  EXPECT_EQ(core->CyclesForMs(10), 20'000u);
  EXPECT_GT(r.cycles, 0u);
}

TEST(PeripheralTest, TimeConversionsStayExactWhereTheProductPassesSixtyFourBits) {
  // 10^12 ms at 33 MHz: ms x crystal is 3.3e19, past 2^64; the quotient itself fits. Built for 32-bit hosts
  // too (the Windows driver), where there is no 128-bit integer to lean on.
  auto core = CoreWith({0x80, 0xFE});
  core->SetCrystal(33'000'000, 12);
  EXPECT_EQ(core->CyclesForMs(1'000'000'000'000ull), 2'750'000'000'000'000ull);
  EXPECT_EQ(core->CyclesForMs(1), 2'750u);
  core->SetCrystal(11'059'200, 12);
  EXPECT_EQ(core->CyclesForMs(999), 920'678u);  // floor(999 x 921.6)
}

TEST(PeripheralTest, IdleWithNothingToWakeItEndsARunLimitedOnlyByInstructions) {
  auto core = CoreWith({0x75, 0x87, 0x01, 0x00});  // MOV PCON,#01h (IDL), no timer, no interrupt enabled
  RunLimits limits;
  limits.maxInstructions = 1000;
  const auto r = core->Run(limits);
  EXPECT_EQ(r.reason, StopReason::kIdleStuck);
  EXPECT_EQ(r.instructions, 1u);
  EXPECT_GE(r.cycles, orven::mcs51::kIdleStuckCycles);
}

TEST(PeripheralTest, PowerDownStopsAndIdleWaitsForAnInterrupt) {
  auto core = CoreWith({0x75, 0x87, 0x02, 0x00});  // MOV PCON,#02h (PD); NOP
  core->Step();
  EXPECT_EQ(core->Step(), 0u);
  EXPECT_EQ(core->Run(RunLimits{}).reason, StopReason::kPowerDown);

  auto idle = TimerProgram();
  const uint8_t sleep[] = {0x75, 0x87, 0x01, 0x80, 0xFB};  // 003E MOV PCON,#01h; SJMP 003E
  idle->LoadCode(0x3E, sleep, sizeof sleep);
  for (int i = 0; i < 20 && !idle->Idle(); ++i) idle->Step();
  ASSERT_TRUE(idle->Idle());
  const uint64_t instructions = idle->Instructions();
  EXPECT_EQ(idle->Step(), 1u);  // no instruction runs while idle
  EXPECT_EQ(idle->Instructions(), instructions);
  RunLimits limits;
  limits.maxCycles = 50;
  idle->Run(limits);
  EXPECT_GT(idle->R(7), 0);  // the timer woke it
  EXPECT_GT(idle->Instructions(), instructions);
}

TEST(PeripheralTest, DebuggerAccessIsBoundedPerSpace) {
  mcs51::Core core;
  uint8_t buf[4] = {1, 2, 3, 4};
  EXPECT_TRUE(core.WriteMemory(mcs51::Space::kXdata, 0xFFFC, buf, 4));
  EXPECT_FALSE(core.WriteMemory(mcs51::Space::kXdata, 0xFFFD, buf, 4));
  EXPECT_FALSE(core.ReadMemory(mcs51::Space::kIdata, 0xFE, buf, 4));
  EXPECT_FALSE(core.ReadMemory(mcs51::Space::kSfr, 0x7F, buf, 1));
  EXPECT_TRUE(core.WriteMemory(mcs51::Space::kSfr, 0xC0, buf, 1));  // no register there: ignored
  EXPECT_EQ(core.SfrValue(0xC0), 0);
  const uint8_t one = 1;
  EXPECT_TRUE(core.WriteMemory(mcs51::Space::kBit, 0xD3, &one, 1));  // PSW.3 = RS0
  EXPECT_EQ(core.Psw() & mcs51::kPswBank, 0x08);
  mcs51::Registers regs = core.GetRegisters();
  regs.r[5] = 0x5A;
  regs.pc = 0x1234;
  core.SetRegisters(regs);
  EXPECT_EQ(core.Iram(0x0D), 0x5A);  // bank 1
  EXPECT_EQ(core.Pc(), 0x1234);
}

}  // namespace
}  // namespace orven::mcs51test
