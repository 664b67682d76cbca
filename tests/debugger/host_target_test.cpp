// The target port over the debug host, against the driver's entry points in process and the simulated QX410
// with its pod in virtual time, on the debuggee SDCC compiles here: what each request does to the target,
// what it refuses before the driver sees it, and how many emulator exchanges each costs.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <span>
#include <vector>

#include "debugger/disassembler.h"
#include "debugger/host_target.h"
#include "driver/device.h"
#include "host/debug_host.h"
#include "host/target.h"
#include "link/clock.h"
#include "sim/emulator_backend.h"
#include "tests/support/in_process_driver.h"
#include "tests/support/sdcc_program.h"
#include "tests/support/recording_events.h"

namespace orven::debugger {
namespace {

class HostTargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string(ORVEN_DEBUGGEE).empty() || !program_.Load(ORVEN_DEBUGGEE)) GTEST_SKIP() << "no SDCC";
    driver::ResetStateForTesting();
    driver::UseDeviceForTesting(*backend_, clock_);
    host_.Bind();
    ASSERT_TRUE(target_.SetOptions("-E0 -F15 -V0 -C0").ok);
    ASSERT_TRUE(target_.Connect().ok) << events_.output;
    host::HexImage image;
    std::string error;
    ASSERT_TRUE(image.LoadFile(std::string(ORVEN_DEBUGGEE) + ".ihx", error)) << error;
    ASSERT_TRUE(target_.LoadProgram(image).ok) << events_.output;
    ASSERT_TRUE(target_.Reset().ok);
  }
  void TearDown() override {
    port_.reset();
    target_.Close();
    driver::ReleaseDeviceForTesting();
    driver::ResetStateForTesting();
  }

  size_t Exchanges() const { return backend_->Device()->CommandLog().size(); }
  uint16_t Symbol(const char* name) const { return static_cast<uint16_t>(program_.At(name)); }
  uint16_t Pc() {
    RegisterSet r;
    EXPECT_TRUE(port_->ReadRegisters(r).ok);
    return r.pc;
  }
  // The first one-byte instruction of a function that falls through to the next.
  uint16_t FirstOneByteInstruction(const char* function) const {
    for (uint16_t pc = Symbol(function); pc + 3u < program_.code.size();) {
      const Instruction in = Disassembler().Decode(pc, std::span(program_.code).subspan(pc, 3));
      if (in.length == 1 && in.flow == Flow::kNext) return pc;
      pc = static_cast<uint16_t>(pc + in.length);
    }
    ADD_FAILURE() << "no one-byte instruction in " << function;
    return 0;
  }

  testing::SdccProgram program_;
  VirtualClock clock_;
  std::unique_ptr<sim::SimulatedEmulatorBackend> backend_ = sim::MakeSimulatedEmulatorBackend(clock_);
  testing::RecordingEvents events_;
  host::DebugHost host_{testing::InProcessDriver(), events_};
  host::Target target_{host_};
  std::unique_ptr<HostTarget> port_ = std::make_unique<HostTarget>(target_);
};

TEST_F(HostTargetTest, EverySpaceReadsBackWhatWasWrittenAndRangesBeyondASpaceAreRefusedUnasked) {
  const struct {
    Space space;
    uint32_t address;
  } spaces[] = {
      {Space::kXdata, 0x0100}, {Space::kXdata, 0xFFF0}, {Space::kPdata, 0x10},
      {Space::kData, 0x30},    {Space::kIdata, 0x90},
  };
  for (const auto& s : spaces) {
    SCOPED_TRACE(static_cast<int>(s.space));
    const std::vector<uint8_t> pattern = {0xA5, 0x5A, static_cast<uint8_t>(s.address), 0x00, 0xFF};
    ASSERT_TRUE(port_->Write(s.space, s.address, pattern).ok);
    std::vector<uint8_t> back(pattern.size());
    ASSERT_TRUE(port_->Read(s.space, s.address, back).ok);
    EXPECT_EQ(back, pattern);
  }
  std::vector<uint8_t> code(8);
  ASSERT_TRUE(port_->Read(Space::kCode, Symbol("_main"), code).ok);
  EXPECT_EQ(code, std::vector<uint8_t>(program_.code.begin() + Symbol("_main"),
                                       program_.code.begin() + Symbol("_main") + 8));

  const struct {
    Space space;
    uint32_t address;
    size_t count;
  } beyond[] = {
      {Space::kData, 0xF0, 0x11}, {Space::kIdata, 0x100, 1}, {Space::kPdata, 0xFF, 2},
      {Space::kXdata, 0xFFFF, 2}, {Space::kCode, 0x10000, 1},
  };
  const size_t before = Exchanges();
  for (const auto& b : beyond) {
    std::vector<uint8_t> buffer(b.count);
    const PortResult read = port_->Read(b.space, b.address, buffer);
    EXPECT_FALSE(read.ok) << b.address;
    EXPECT_EQ(read.reason, "the range ends beyond the memory space");
    EXPECT_FALSE(port_->Write(b.space, b.address, buffer).ok) << b.address;
  }
  EXPECT_EQ(Exchanges(), before);
}

TEST_F(HostTargetTest, RegistersWrittenAreReadBackAndTooWideValuesRefused) {
  const struct {
    RegisterId reg;
    uint32_t value;
  } writes[] = {{RegisterId::kR3, 0x77}, {RegisterId::kDptr, 0x1234}, {RegisterId::kB, 0x42},
                {RegisterId::kAcc, 0x99}, {RegisterId::kPc, Symbol("_level3")}};
  for (const auto& w : writes) ASSERT_TRUE(port_->WriteRegister(w.reg, w.value).ok) << static_cast<int>(w.reg);
  RegisterSet r;
  ASSERT_TRUE(port_->ReadRegisters(r).ok);
  EXPECT_EQ(r.r[3], 0x77);
  EXPECT_EQ(r.dptr, 0x1234);
  EXPECT_EQ(r.b, 0x42);
  EXPECT_EQ(r.acc, 0x99);
  EXPECT_EQ(r.pc, Symbol("_level3"));
  EXPECT_FALSE(port_->WriteRegister(RegisterId::kAcc, 0x100).ok);
  EXPECT_FALSE(port_->WriteRegister(RegisterId::kPc, 0x10000).ok);
}

TEST_F(HostTargetTest, RunsStopAtBreakpointsAndGoUntilDoesNotRunPastOneOnItsNeighbour) {
  // A breakpoint just before the go-until address: the driver would not arm it, the port must stop there.
  const uint16_t before = FirstOneByteInstruction("_level3");
  ASSERT_TRUE(port_->SetBreakpoint(before).ok);
  RunOutcome run = port_->Run(before + 1);
  ASSERT_TRUE(run.result.ok) << run.result.reason << events_.output;
  EXPECT_TRUE(run.stopped);
  EXPECT_EQ(Pc(), before);
  EXPECT_EQ(port_->Breakpoints(), std::set<uint16_t>{before}) << "the port's own go-until breakpoint is gone";

  // A step leaves the breakpoint; go-until without neighbours ends at its address.
  run = port_->StepInstruction();
  ASSERT_TRUE(run.result.ok && run.stopped);
  EXPECT_EQ(Pc(), before + 1);
  ASSERT_TRUE(port_->ClearBreakpoint(before).ok);
  ASSERT_TRUE(port_->SetBreakpoint(Symbol("_level2")).ok);
  ASSERT_TRUE(port_->WriteRegister(RegisterId::kPc, 0).ok);
  run = port_->Run();
  ASSERT_TRUE(run.result.ok && run.stopped) << run.result.reason;
  EXPECT_EQ(Pc(), Symbol("_level2"));
  ASSERT_TRUE(port_->ClearBreakpoint(Symbol("_level2")).ok);
  run = port_->Run(Symbol("_level3"));
  ASSERT_TRUE(run.result.ok && run.stopped) << run.result.reason;
  EXPECT_EQ(Pc(), Symbol("_level3"));
  EXPECT_FALSE(port_->Interrupt()) << "nothing runs";
}

TEST_F(HostTargetTest, BreakpointsStayWithinTheLimitAndTheHostsOwnAreLeftAlone) {
  const uint16_t hosts = Symbol("_main");
  ASSERT_TRUE(target_.AddBreakpoint(hosts, 0, 1, "").ok);
  const PortResult taken = port_->SetBreakpoint(hosts);
  EXPECT_FALSE(taken.ok);
  EXPECT_EQ(taken.reason, "the host's breakpoint list already has a breakpoint at C:" +
                              [&] { char t[8]; std::snprintf(t, sizeof t, "%04X", hosts); return std::string(t); }());
  EXPECT_FALSE(port_->ClearBreakpoint(hosts).ok) << "not the port's to clear";

  const uint16_t addresses[] = {Symbol("_level1"), Symbol("_level2"), Symbol("_level3"), Symbol("_fib")};
  for (uint16_t a : addresses) ASSERT_TRUE(port_->SetBreakpoint(a).ok) << a;
  EXPECT_TRUE(port_->SetBreakpoint(addresses[0]).ok) << "already armed";
  const size_t before = Exchanges();
  const PortResult fifth = port_->SetBreakpoint(Symbol("_timer0_isr"));
  EXPECT_FALSE(fifth.ok);
  EXPECT_EQ(fifth.reason, "the emulator has no more hardware breakpoints");
  EXPECT_EQ(Exchanges(), before);
  EXPECT_EQ(events_.output.find("ORVEN ERROR"), std::string::npos) << events_.output;

  // Gone with the port: its own records; the host's stays.
  port_.reset();
  for (uint16_t a : addresses) EXPECT_FALSE(target_.ChangeBreakpoint(a, host::BreakpointChange::kDisable).ok) << a;
  EXPECT_TRUE(target_.ChangeBreakpoint(hosts, host::BreakpointChange::kClear).ok);
}

TEST_F(HostTargetTest, EmulatorExchangesPerRequest) {
  ASSERT_TRUE(port_->SetBreakpoint(Symbol("_level3")).ok);
  ASSERT_TRUE(port_->Run().stopped);
  std::vector<uint8_t> sixteen(16), two(2);
  RegisterSet r;
  const struct {
    const char* request;
    std::function<bool()> call;
    size_t most;
  } requests[] = {
      {"16 bytes of xdata", [&] { return port_->Read(Space::kXdata, 0x0100, sixteen).ok; }, 1},
      {"2 bytes of data", [&] { return port_->Read(Space::kData, 0x08, two).ok; }, 1},
      {"16 bytes of idata", [&] { return port_->Read(Space::kIdata, 0x80, sixteen).ok; }, 1},
      // The stop read them already: one read tells whether the emulator answered (the register window
      // cannot), one fills the window, and the requests of that stop take what they read.
      {"the registers", [&] { return port_->ReadRegisters(r).ok; }, 0},
      {"a breakpoint", [&] { return port_->SetBreakpoint(Symbol("_level2")).ok; }, 0},
      {"one instruction", [&] { return port_->StepInstruction().stopped; }, 3},
      {"the registers after a step", [&] { return port_->ReadRegisters(r).ok; }, 0},
  };
  for (const auto& q : requests) {
    const size_t before = Exchanges();
    ASSERT_TRUE(q.call()) << q.request;
    EXPECT_LE(Exchanges() - before, q.most) << q.request;
  }
}

}  // namespace
}  // namespace orven::debugger
