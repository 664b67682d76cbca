// One lost, malformed or refused reply at every emulator command of a debugging session (init, load, bp, go,
// regs, dump, step, download): the step that sent it ends as a failure the host sees (its entry point's
// failure answer or the fatal notice) within its time-out, and reports nothing as done.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "link/command_codes.h"
#include "sim/fault_plan.h"
#include "simulated_host.h"

namespace orven::driver::testing {
namespace {

using sim::Fault;
using sim::FaultKind;

struct SessionStep {
  const char* name;
  // True when the host would report the step as done: the entry points answered success.
  std::function<bool(SimulatedHost&)> run;
};

bool Init(SimulatedHost& h) {
  if (AG_Init(ORVEND_INIT_CONNECT, nullptr) != 0) return false;
  // The host reads the registers first, then shows them in the register window.
  if (AG_AllReg(1, nullptr) != 0) return false;
  for (uint32_t i = 0; h.host.view != nullptr && i < 22; ++i) h.host.items[i] = h.host.view->items[i];
  TestHostRefreshRegisters(&h.host);
  return true;
}

bool Download(SimulatedHost& h) {
  h.host.segment_count = 1;
  h.host.segments[0] = {0, static_cast<uint32_t>(h.program.code.size()), h.program.code.data(),
                        static_cast<uint32_t>(h.program.code.size())};
  return AG_Init(ORVEND_INIT_PREPARE_DOWNLOAD, nullptr) == 0 && AG_Init(ORVEND_INIT_DOWNLOAD, nullptr) == 0;
}

const SessionStep kSession[] = {
    {"init", Init},
    {"load",
     [](SimulatedHost& h) {
       return TestHostLoad(&h.host, h.program.code.data(), static_cast<uint32_t>(h.program.code.size())) == 0;
     }},
    {"bp",
     [](SimulatedHost& h) { return TestHostAddBreakpoint(&h.host, h.program.At("_tick"), 1, nullptr, 0) != nullptr; }},
    {"go", [](SimulatedHost&) { return TestHostGoStep(ORVEND_GO, 0, 0) == 0; }},
    {"regs",
     [](SimulatedHost& h) {
       if (AG_AllReg(1, nullptr) != 0) return false;
       TestHostRefreshRegisters(&h.host);
       return true;
     }},
    {"dump",
     [](SimulatedHost&) {
       uint8_t bytes[16];
       return TestHostRead(ORVEND_TAG(ORVEND_SPACE_IDATA, 0x08), bytes, sizeof bytes, nullptr) == 0;
     }},
    {"step", [](SimulatedHost&) { return TestHostGoStep(ORVEND_GO_STEP, 1, 0) == 0; }},
    {"download", Download},
};
constexpr size_t kSteps = sizeof kSession / sizeof kSession[0];

struct Outcome {
  bool done;
  uint64_t elapsedMs;  // virtual time
};

// One step as the host sees it: done unless an entry point failed or the fatal notice came.
Outcome RunStep(SimulatedHost& h, size_t step) {
  const int notices = h.host.fatal_notices;
  const uint64_t t0 = h.clock.NowMs();
  const bool answered = kSession[step].run(h);
  return {answered && h.host.fatal_notices == notices, h.clock.NowMs() - t0};
}

struct FaultCase {
  const char* name;
  Fault fault;
};

const FaultCase kFaults[] = {
    {"no reply", {FaultKind::kNoReply, 0, 0, 1}},
    {"wrong command code", {FaultKind::kWrongCode, 0, 0, 1}},
    {"failure status", {FaultKind::kRefuse, 1, 0, 1}},
};

bool NeverAnswered(uint8_t code) {
  return code == cmd::EC_RESTART || code == cmd::EC_ENTER_LOADER || code == cmd::EC_DISCONNECT ||
         code == cmd::EC_STOP_REQUEST;
}

// Where a command is first sent in the session: the step, and how many of it went out before.
struct Target {
  size_t step;
  uint8_t code;
  uint32_t earlier;
};

TEST(FaultSweep, EveryCommandOfASessionTimesEveryReplyFaultEndsInAFailureTheHostSees) {
  // The session once without faults: what each step sends, and how long it takes.
  std::vector<Target> targets;
  std::vector<uint64_t> cleanMs;
  {
    SimulatedHost h;
    if (!h.Open()) GTEST_SKIP() << "no SDCC-built test program";
    for (size_t step = 0; step < kSteps; ++step) {
      const size_t before = h.Device().CommandLog().size();
      const Outcome o = RunStep(h, step);
      ASSERT_TRUE(o.done) << kSession[step].name;
      if (std::string(kSession[step].name) == "go") {
        EXPECT_EQ(h.Pc(), h.Code("_tick")) << "stops at the breakpoint";
      }
      cleanMs.push_back(o.elapsedMs);
      const std::vector<uint8_t> log = h.Device().CommandLog();
      for (size_t i = before; i < log.size(); ++i) {
        const uint8_t code = log[i];
        const bool seen = std::any_of(targets.begin(), targets.end(),
                                      [&](const Target& t) { return t.step == step && t.code == code; });
        if (seen || NeverAnswered(code)) continue;
        targets.push_back({step, code, static_cast<uint32_t>(std::count(log.begin(), log.begin() + i, code))});
      }
    }
  }

  int cases = 0;
  for (const Target& t : targets) {
    for (const FaultCase& f : kFaults) {
      SCOPED_TRACE(std::string(kSession[t.step].name) + ", command " + std::to_string(t.code) + ": " + f.name);
      ++cases;
      SimulatedHost h;
      ASSERT_TRUE(h.Open());
      Fault fault = f.fault;
      fault.skip = t.earlier;
      h.Device().SetFault(t.code, fault);
      for (size_t step = 0; step < t.step; ++step) ASSERT_TRUE(RunStep(h, step).done) << kSession[step].name;
      const uint32_t pc = h.Pc();
      const int refreshes = h.host.refreshes;
      const Outcome o = RunStep(h, t.step);
      EXPECT_FALSE(o.done);
      if (o.done) ADD_FAILURE() << "reported as done";
      // Within the step's own time and the longest reply time-out (a go's start, 5 s) beyond it.
      EXPECT_LE(o.elapsedMs, cleanMs[t.step] + 5000);
      // Nothing reported as where the target stopped.
      EXPECT_EQ(h.Pc(), pc);
      EXPECT_EQ(h.host.refreshes, refreshes);
      if (HasFailure()) {
        h.PrintState();
        return;
      }
    }
  }
  std::string list;
  for (const Target& t : targets) list += std::string(" ") + kSession[t.step].name + ":" + std::to_string(t.code);
  std::printf("fault sweep: %d cases over %zu commands:%s\n", cases, targets.size(), list.c_str());
  EXPECT_GE(cases, 36);
}

}  // namespace
}  // namespace orven::driver::testing
