#include <gtest/gtest.h>

#include <string>

#include "driver/entry.h"
#include "driver/run_control.h"
#include "driver_fixture.h"

namespace orven::driver::testing {
namespace {

class RunControl : public DriverFixture {
 protected:
  static void* Callback(uint32_t code, void* argument) {
    if (code == ORVEND_CALLBACK_COMMAND) executed.emplace_back(static_cast<const char*>(argument));
    if (code == ORVEND_CALLBACK_REFRESH) ++refreshes;
    return nullptr;
  }
  void SetUp() override {
    DriverFixture::SetUp();
    executed.clear();
    refreshes = 0;
    state().host.callback = Callback;
  }
  static inline std::vector<std::string> executed;
  static inline int refreshes = 0;
};

TEST_F(RunControl, BreakpointCountsDownThenStops) {
  OrvendBreakpoint* bp = AddBreakpoint(0xFF000100, 3);
  EXPECT_EQ(BreakpointHit(state(), Link(), 0xFF000100), kHitContinue);
  EXPECT_EQ(bp->remaining_count, 2);
  EXPECT_EQ(BreakpointHit(state(), Link(), 0xFF000100), kHitContinue);
  EXPECT_EQ(BreakpointHit(state(), Link(), 0xFF000100), kHitStop);
  EXPECT_EQ(bp->remaining_count, 1);
  EXPECT_EQ(BreakpointHit(state(), Link(), 0xFF000101), kHitNone);

  // A count already at or below 1 stops and stays where it is.
  bp->remaining_count = 0;
  EXPECT_EQ(BreakpointHit(state(), Link(), 0xFF000100), kHitStop);
  bp->remaining_count = INT32_MIN;
  EXPECT_EQ(BreakpointHit(state(), Link(), 0xFF000100), kHitStop);
  EXPECT_EQ(bp->remaining_count, INT32_MIN);
}

TEST_F(RunControl, CommandBreakpointsRunTheirCommandAndGoOn) {
  char command[] = "printf(\"hit\")";
  AddBreakpoint(0xFF000200, 2, 0, command);
  EXPECT_EQ(BreakpointHit(state(), Link(), 0xFF000200), kHitContinue);
  EXPECT_TRUE(executed.empty());
  EXPECT_EQ(BreakpointHit(state(), Link(), 0xFF000200), kHitContinue);
  EXPECT_EQ(BreakpointHit(state(), Link(), 0xFF000200), kHitContinue);
  EXPECT_EQ(executed, (std::vector<std::string>{command, command}));
  // Disabled and conditional records are not address breakpoints.
  OrvendBreakpoint* off = AddBreakpoint(0xFF000300);
  off->flags &= ~ORVEND_BP_ENABLED;
  AddBreakpoint(0xFF000400, 1, 1);
  EXPECT_EQ(BreakpointHit(state(), Link(), 0xFF000300), kHitNone);
  EXPECT_EQ(BreakpointHit(state(), Link(), 0xFF000400), kHitNone);
}

TEST_F(RunControl, ArmingReportsRefusedBreakpointsAndSkipsTheTarget) {
  AddBreakpoint(0xFF000100);
  OrvendBreakpoint* tooMany = AddBreakpoint(0xFF000200);
  OrvendBreakpoint* conflict = AddBreakpoint(0xFF000300);
  AddBreakpoint(0xFF000400);  // the target
  AddBreakpoint(0xFF000401);  // the target + 1
  AddBreakpoint(0xFF0003FF);  // the target - 1
  codeAttr[0x200] = kAttrBpEnabled;
  target.breakpointAnswers[0x200] = emulator::kBreakpointTooMany;
  target.breakpointAnswers[0x300] = emulator::kBreakpointConflict;
  ASSERT_TRUE(ArmBreakpoints(state(), target, Link(), true, 0xFF000400));
  EXPECT_EQ(target.calls, (std::vector<std::string>{"SetBreakpoint 00000100 1", "SetBreakpoint 00000200 1",
                                                    "SetBreakpoint 00000300 1"}));
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "ORVEN ERROR 11: Can't Set Breakpoint at 0200H, The Amount Exceeded the Limit.\n",
                       "ORVEN ERROR 10: Can't Set Breakpoint at 0300H, The Address Conflict.\n"}));
  EXPECT_FALSE(BreakpointEnabled(*tooMany));
  EXPECT_FALSE(BreakpointEnabled(*conflict));
  EXPECT_EQ(codeAttr[0x200], kAttrBpDisabled);
  EXPECT_TRUE(state().armed);
  // Armed already: nothing more is sent; disarming clears what was set.
  target.calls.clear();
  ASSERT_TRUE(ArmBreakpoints(state(), target, Link(), true, 0xFF000400));
  EXPECT_TRUE(target.calls.empty());
  ASSERT_TRUE(ArmBreakpoints(state(), target, Link(), false, 0xFF000400));
  EXPECT_EQ(target.calls, std::vector<std::string>{"ClearArmedBreakpoints"});
  EXPECT_FALSE(state().armed);
}

TEST_F(RunControl, AFailedArmingLeavesNothingArmed) {
  AddBreakpoint(0xFF000100);
  AddBreakpoint(0xFF000200);
  target.breakpointAnswers[0x200] = emulator::kBreakpointLinkFailed;
  EXPECT_FALSE(ArmBreakpoints(state(), target, Link(), true, kNoRunTarget));
  EXPECT_FALSE(state().armed);
  EXPECT_EQ(target.calls.back(), "ClearArmedBreakpoints");
  // The next run arms again instead of believing it is armed.
  target.breakpointAnswers.clear();
  target.calls.clear();
  ASSERT_TRUE(ArmBreakpoints(state(), target, Link(), true, kNoRunTarget));
  EXPECT_EQ(target.calls.size(), 2u);
}

TEST_F(RunControl, GoLeavesABreakpointFirstAndStopsAtTheNext) {
  AddBreakpoint(0xFF000100);
  AddBreakpoint(0xFF000200);
  state().currentPc = 0xFF000100;
  target.stepPcs = {0x102};
  target.goHaltPc = 0x0200;
  OrvendAddress none{};
  none.address.tagged = kNoRunTarget;
  ASSERT_EQ(GoStep(state(), target, Link(), ORVEND_GO, 0, &none), 0u);
  EXPECT_EQ(target.calls, (std::vector<std::string>{"Step", "SetBreakpoint 00000100 1", "SetBreakpoint 00000200 1",
                                                    "Go 0000FFFF 0", "ClearArmedBreakpoints"}));
  EXPECT_EQ(hostPc, 0xFF000200u);
  EXPECT_EQ(refreshes, 1);
  EXPECT_FALSE(state().running.load());
}

TEST_F(RunControl, ConditionalBreakpointsRunStepByStepWithTheWarningFromTheSecondGo) {
  AddBreakpoint(0xFF000105);
  AddBreakpoint(0xFF000000, 1, 1);  // a conditional breakpoint
  state().currentPc = 0xFF000100;
  target.stepPcs = {0x101, 0x103, 0x105};
  OrvendAddress none{};
  none.address.tagged = kNoRunTarget;
  GoStep(state(), target, Link(), ORVEND_GO, 0, &none);
  EXPECT_TRUE(texts.empty()) << "the first go counts the conditional breakpoints while arming";
  EXPECT_EQ(target.calls, (std::vector<std::string>{"Step", "Step", "Step", "ClearArmedBreakpoints"}));
  EXPECT_EQ(hostPc, 0xFF000105u);

  target.calls.clear();
  target.stepPcs = {0x106, 0x105};
  target.stepIndex = 0;
  GoStep(state(), target, Link(), ORVEND_GO, 0, &none);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], "Application does not run in real time because of conditional breakpoint(s) !\n");
  EXPECT_EQ(target.calls, (std::vector<std::string>{"Step", "Step"})) << "nothing was armed";
}

TEST_F(RunControl, GoUntilStopsAtItsTargetAndAStopWhileIdleCancelsTheNextStep) {
  state().currentPc = 0xFF000010;
  target.registers.SetPc(0x0040);
  OrvendAddress until{};
  until.address.tagged = 0xFF000040;
  GoStep(state(), target, Link(), ORVEND_GO_UNTIL, 0, &until);
  EXPECT_EQ(target.calls, (std::vector<std::string>{"Go 00000040 0", "ClearArmedBreakpoints"}));

  // Stepping toward a go-until target (a conditional breakpoint forces steps) ends there too.
  AddBreakpoint(0xFF000000, 1, 2);
  target.calls.clear();
  state().currentPc = 0xFF000080;
  target.stepPcs = {0x81, 0x84};
  until.address.tagged = 0xFF000084;
  GoStep(state(), target, Link(), ORVEND_GO_UNTIL, 0, &until);  // counts: the first go arms
  target.calls.clear();
  target.stepIndex = 0;
  GoStep(state(), target, Link(), ORVEND_GO_UNTIL, 0, &until);
  EXPECT_EQ(target.calls, (std::vector<std::string>{"Step", "Step"}));

  target.calls.clear();
  EXPECT_EQ(GoStep(state(), target, Link(), ORVEND_GO_STOP, 0, nullptr), 1u);
  GoStep(state(), target, Link(), ORVEND_GO_STEP, 5, nullptr);
  EXPECT_TRUE(target.calls.empty());
  GoStep(state(), target, Link(), ORVEND_GO_STEP, 2, nullptr);
  EXPECT_EQ(target.calls, (std::vector<std::string>{"Step", "Step"}));
}

TEST_F(RunControl, WhereAGoStartsAndWhetherItSteps) {
  struct Case {
    const char* name;
    std::vector<uint32_t> breakpoints;
    uint32_t pc, until;
    std::vector<uint32_t> stepPcs;
    int goHaltPc;
    std::vector<std::string> calls;
    uint32_t stoppedAt;
  } cases[] = {
      {"just past a breakpoint: one step first", {0x100}, 0x101, kNoRunTarget, {0x103}, 0x100,
       {"Step", "SetBreakpoint 00000100 1", "Go 0000FFFF 0", "ClearArmedBreakpoints"}, 0x100},
      {"just past the go-until address: one step first", {}, 0x101, 0x100, {0x103}, 0x100,
       {"Step", "Go 00000100 0", "ClearArmedBreakpoints"}, 0x100},
      // A breakpoint at the go-until address is not armed: the run steps, and goes on in real time only from
      // where no breakpoint lies.
      {"a breakpoint at the go-until address: a step", {0x84}, 0x80, 0x84, {0x84}, -1,
       {"Step", "ClearArmedBreakpoints"}, 0x84},
      {"a breakpoint at the go-until address: a step, then the run", {0x84}, 0x80, 0x84, {0x81}, 0x84,
       {"Step", "Go 00000084 0", "ClearArmedBreakpoints"}, 0x84},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    records.clear();
    head = nullptr;
    for (uint32_t at : c.breakpoints) AddBreakpoint(kTagCode | at);
    target.calls.clear();
    target.stepPcs = c.stepPcs;
    target.stepIndex = 0;
    target.goHaltPc = c.goHaltPc;
    state().currentPc = kTagCode | c.pc;
    OrvendAddress until{};
    until.address.tagged = c.until == kNoRunTarget ? kNoRunTarget : (kTagCode | c.until);
    ASSERT_EQ(GoStep(state(), target, Link(), c.until == kNoRunTarget ? ORVEND_GO : ORVEND_GO_UNTIL, 0, &until), 0u);
    EXPECT_EQ(target.calls, c.calls);
    EXPECT_EQ(hostPc, kTagCode | c.stoppedAt);
  }
}

TEST_F(RunControl, StepsAndRunsMakeTheRegisterCopyStale) {
  for (uint16_t request : {uint16_t{ORVEND_GO_STEP}, uint16_t{ORVEND_GO}, uint16_t{ORVEND_GO_UNTIL}}) {
    SCOPED_TRACE(request);
    state().registersWritten = true;
    uint8_t byte = 0;
    state().memory.CacheStore(&byte, 0x01000010, 1);
    ASSERT_TRUE(xdata0Attr[0x10] & kAttrValid);
    target.stepPcs = {0x10};
    OrvendAddress until{};
    until.address.tagged = 0xFF000040;
    GoStep(state(), target, Link(), request, 1, &until);
    EXPECT_FALSE(state().registersWritten.load());
    EXPECT_FALSE(xdata0Attr[0x10] & kAttrValid);
  }
}

TEST_F(RunControl, AStopTheTargetRefusesAnswers0AndLeavesItRunning) {
  struct Case {
    bool running, stopFails;
    uint32_t result;
    bool runningAfter, stopSent;
  } cases[] = {
      {true, true, 0, true, true},
      {true, false, 1, true, true},    // running stays the go request's until it ends
      {false, true, 1, false, false},  // nothing runs: nothing to stop
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "running " << c.running << ", stop fails " << c.stopFails);
    state().running = c.running;
    target.stopFails = c.stopFails;
    target.calls.clear();
    EXPECT_EQ(GoStep(state(), target, Link(), ORVEND_GO_STOP, 0, nullptr), c.result);
    EXPECT_EQ(state().running.load(), c.runningAfter);
    EXPECT_EQ(target.calls == std::vector<std::string>{"Stop"}, c.stopSent);
    state().stopRequested = false;
  }
}

TEST_F(RunControl, AFailedStepEndsTheRunDeadAndUnarmed) {
  AddBreakpoint(0xFF000100);
  AddBreakpoint(0xFF000000, 1, 1);
  state().armed = true;  // as a run that died while armed would leave it
  target.stepPcs.clear();   // every step fails
  GoStep(state(), target, Link(), ORVEND_GO, 0, nullptr);
  EXPECT_TRUE(state().fatal.load());
  EXPECT_FALSE(state().armed);
  EXPECT_EQ(target.calls.back(), "PostFatalNotice");
  EXPECT_EQ(GoStep(state(), target, Link(), ORVEND_GO, 0, nullptr), 0u);
}

TEST_F(RunControl, AGoWhoseStartHaltOrPcIsNotKnownEndsDeadWithoutAStop) {
  struct Case {
    const char* name;
    int breakpointAnswer;
    bool failGo, failReadPc;
    bool goSent;
  };
  const Case cases[] = {
      {"breakpoint not set", emulator::kBreakpointLinkFailed, false, false, false},
      {"go or its polling failed", 0, true, false, true},
      {"PC after the halt not read", 0, false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    state().fatal = false;
    records.clear();
    AddBreakpoint(0xFF000100);
    target.breakpointAnswers[0x100] = c.breakpointAnswer;
    target.failGo = c.failGo;
    target.failReadPc = c.failReadPc;
    target.fatal = &state().fatal;
    target.calls.clear();
    refreshes = 0;
    state().currentPc = 0xFF000010;
    const uint32_t pcBefore = state().currentPc.load();
    GoStep(state(), target, Link(), ORVEND_GO, 0, nullptr);
    EXPECT_TRUE(state().fatal.load());
    EXPECT_FALSE(state().armed);
    EXPECT_FALSE(state().running);
    EXPECT_EQ(refreshes, 0) << "no stop reported";
    EXPECT_EQ(state().currentPc.load(), pcBefore);
    EXPECT_EQ(target.calls.back(), "PostFatalNotice");
    bool went = false;
    for (const std::string& call : target.calls) went = went || call.rfind("Go ", 0) == 0;
    EXPECT_EQ(went, c.goSent) << ::testing::PrintToString(target.calls);
  }
}

TEST_F(RunControl, BreakpointMarksInTheAttributeWords) {
  codeAttr[0x100] = kAttrValid;
  uint32_t address = 0xFF000100;
  EXPECT_EQ(BpInfo(state(), &target, 11, &address), 0u);
  EXPECT_EQ(BpInfo(state(), &target, 1, &address), kAttrBpEnabled);
  EXPECT_EQ(BpInfo(state(), &target, 9, &address), 0u);
  EXPECT_EQ(codeAttr[0x100], kAttrValid | kAttrBpDisabled);
  EXPECT_EQ(BpInfo(state(), &target, 8, &address), 0u);
  EXPECT_EQ(codeAttr[0x100], kAttrValid | kAttrBpEnabled);
  // Code 7 queries as 1 does, bit 0x10 included; code 10 removes either mark and keeps the rest.
  codeAttr[0x180] = kAttrValid | 0x0010 | kAttrBpDisabled | 0x0001;
  uint32_t other = 0xFF000180;
  EXPECT_EQ(BpInfo(state(), &target, 7, &other), 0x0050u);
  EXPECT_EQ(BpInfo(state(), &target, 10, &other), 0u);
  EXPECT_EQ(codeAttr[0x180], kAttrValid | 0x0010 | 0x0001);
  codeAttr[0x180] = kAttrBpEnabled;
  EXPECT_EQ(BpInfo(state(), &target, 10, &other), 0u);
  EXPECT_EQ(codeAttr[0x180], 0);
  uint32_t nowhere = 0xFF090000;
  EXPECT_EQ(BpInfo(state(), &target, 1, &nowhere), 0x80000000u);
  EXPECT_EQ(BpInfo(state(), &target, 1, nullptr), 0x80000000u);

  OrvendBreakpoint* a = AddBreakpoint(0xFF000100);
  OrvendBreakpoint* b = AddBreakpoint(0xFF000200);
  b->flags &= ~ORVEND_BP_ENABLED;
  AddBreakpoint(0xFF000300, 1, 1);
  EXPECT_EQ(BpInfo(state(), &target, 5, nullptr), 1u);
  EXPECT_EQ(codeAttr[0x100], kAttrValid | kAttrBpDisabled);
  EXPECT_EQ(BpInfo(state(), &target, 6, nullptr), 2u);
  EXPECT_EQ(codeAttr[0x100], kAttrValid);

  OrvendAddress at{};
  at.address.tagged = 0xFF000100;
  EXPECT_EQ(BreakFunc(state(), &target, 1, &at, a), a);
  EXPECT_EQ(codeAttr[0x100], kAttrValid | kAttrBpEnabled);
  EXPECT_EQ(BreakFunc(state(), &target, 2, &at, a), a);
  EXPECT_EQ(codeAttr[0x100], kAttrValid);
  // A disabled record is marked disabled, by code 1 and code 4 alike.
  for (uint16_t request : {uint16_t{1}, uint16_t{4}}) {
    codeAttr[0x100] = kAttrValid | kAttrBpEnabled;
    a->flags &= ~ORVEND_BP_ENABLED;
    EXPECT_EQ(BreakFunc(state(), &target, request, &at, a), a);
    EXPECT_EQ(codeAttr[0x100], kAttrValid | kAttrBpDisabled) << request;
  }
  a->flags |= ORVEND_BP_ENABLED;
  codeAttr[0x100] = kAttrValid;
  OrvendBreakpoint kind2{};
  kind2.flags = 2 | ORVEND_BP_ENABLED;
  EXPECT_EQ(BreakFunc(state(), &target, 5, &at, &kind2), nullptr);
  EXPECT_EQ(BreakFunc(state(), &target, 5, &at, a), a);
  EXPECT_EQ(BreakFunc(state(), &target, 1, nullptr, a), nullptr);
  EXPECT_EQ(BreakFunc(state(), &target, 1, &at, nullptr), nullptr);
}

}  // namespace
}  // namespace orven::driver::testing
