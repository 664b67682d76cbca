// The target's requests against a fake driver whose answers each case sets: what a failure says to the user
// (addresses as the user writes them), the fatal notice failing a request that otherwise succeeded, and the
// connection made once.
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "host/target.h"
#include "tests/support/recording_events.h"

namespace orven::host {
namespace {

struct FakeDriver {
  uint32_t connectResult = 0;
  int connects = 0;
  uint16_t memResult = 0;
  uint32_t errorAddress = 0;
  bool postFatal = false;  // the driver closes the link during the request
  bool acceptBreakpoint = true;
  OrvendHostWindow* window = nullptr;
  uint32_t messageId = 0;
};
FakeDriver g_driver;

// Run control as the driver serves it: a go returns only once a stop request arrived; every request is
// recorded in the order the driver received it.
struct FakeRunControl {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<uint16_t> codes;
  bool going = false;
  bool stopRequested = false;
  bool stopFails = false;  // the target keeps running (the forced reset was declined)

  void WaitForGo() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return going; });
  }
};
FakeRunControl g_run;

void PostFatalIfTold() {
  if (g_driver.postFatal && g_driver.window != nullptr) {
    g_driver.window->post(g_driver.window->context, g_driver.messageId, ORVEND_KIND_FATAL, 0);
  }
}
uint32_t FakeInit(uint16_t code, void* argument) {
  if (code == ORVEND_INIT_MAIN_WINDOW) g_driver.window = static_cast<OrvendHostWindow*>(argument);
  if (code == ORVEND_INIT_MESSAGE_ID) g_driver.messageId = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(argument));
  if (code == ORVEND_INIT_CONNECT) {
    ++g_driver.connects;
    return g_driver.connectResult;
  }
  return 0;
}
uint16_t FakeMemAcc(uint16_t, uint8_t*, OrvendAddress* address, uint32_t) {
  address->error_address = g_driver.memResult != 0 ? g_driver.errorAddress : 0;
  PostFatalIfTold();
  return g_driver.memResult;
}
OrvendBreakpoint* FakeBreakFunc(uint16_t, uint16_t, OrvendAddress*, OrvendBreakpoint* bp) {
  return g_driver.acceptBreakpoint ? bp : nullptr;
}
uint32_t FakeGoStep(uint16_t code, uint32_t, OrvendAddress*) {
  std::unique_lock lock(g_run.mutex);
  g_run.codes.push_back(code);
  if (code == ORVEND_GO_STOP) {
    if (g_run.stopFails) return 0;
    g_run.stopRequested = true;
  } else if (code == ORVEND_GO) {
    g_run.going = true;
    g_run.changed.notify_all();
    g_run.changed.wait(lock, [] { return g_run.stopRequested; });
    g_run.going = false;
    g_run.stopRequested = false;
  }
  g_run.changed.notify_all();
  return 1;
}
void FakeSetUi(const OrvendUi*) {}

DriverEntryPoints FakeApi() {
  DriverEntryPoints api;
  api.Init = &FakeInit;
  api.MemAcc = &FakeMemAcc;
  api.BreakFunc = &FakeBreakFunc;
  api.GoStep = &FakeGoStep;
  api.SetUi = &FakeSetUi;
  return api;
}

class TargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_driver = FakeDriver{};
    g_run.codes.clear();
    g_run.stopFails = false;
    host_.Bind();
  }
  DriverEntryPoints api_ = FakeApi();
  orven::testing::RecordingEvents events_;
  DebugHost host_{api_, events_};
  Target target_{host_};
};

TEST_F(TargetTest, AFailedMemoryRequestSaysWhyAndWhereAsTheUserWritesTheAddress) {
  const struct {
    bool read;
    uint16_t result;
    uint32_t errorAddress;
    bool fatal;
    const char* reason;  // empty: succeeds
  } cases[] = {
      {true, 0, 0, false, ""},
      {true, 1, 0, false, "refused while the target runs"},
      {false, 1, 0, false, "refused while the target runs"},
      {true, 2, 0x01000010u, false, "read failed at X:0010"},
      {false, 5, 0xFF000100u, false, "write failed at C:0100"},
      {false, 5, 0xF0000080u, false, "write failed at D:0080"},
      {true, 0, 0, true, "the emulator link was closed"},
      {false, 0, 0, true, "the emulator link was closed"},
  };
  for (const auto& c : cases) {
    g_driver.memResult = c.result;
    g_driver.errorAddress = c.errorAddress;
    g_driver.postFatal = c.fatal;
    uint8_t buffer[2] = {};
    const Result r = c.read ? target_.ReadMemory(0x01000010u, buffer, 2) : target_.WriteMemory(0xFF000100u, {1, 2});
    EXPECT_EQ(r.ok, std::strlen(c.reason) == 0) << c.reason;
    EXPECT_EQ(r.reason, c.reason);
  }
}

TEST_F(TargetTest, ConnectsOnceAndAFailedConnectionIsTriedAgainByTheNextRequest) {
  g_driver.connectResult = 1;
  EXPECT_EQ(target_.EnsureConnected().reason, "cannot connect to the emulator");
  EXPECT_FALSE(target_.Connected());
  g_driver.connectResult = 0;
  EXPECT_TRUE(target_.EnsureConnected().ok);
  EXPECT_TRUE(target_.EnsureConnected().ok);
  EXPECT_EQ(g_driver.connects, 2);
  target_.Shutdown();
  EXPECT_TRUE(target_.EnsureConnected().ok);
  EXPECT_EQ(g_driver.connects, 3) << "a shutdown ends the connection";
}

TEST_F(TargetTest, ARefusedBreakpointLeavesNothingBehindAndAStopRequestIsSentOnlyWhileARunIsInProgress) {
  g_driver.acceptBreakpoint = false;
  EXPECT_EQ(target_.AddBreakpoint(0x0062, 0, 1, "").reason, "the driver does not accept this breakpoint");
  EXPECT_EQ(target_.ChangeBreakpoint(0x0062, BreakpointChange::kDisable).reason, "no breakpoint at C:0062");
  g_driver.acceptBreakpoint = true;
  EXPECT_TRUE(target_.AddBreakpoint(0x0062, 0, 1, "").ok);
  EXPECT_EQ(target_.AddBreakpoint(0x0062, 0, 1, "").reason, "there is a breakpoint at C:0062");
  EXPECT_TRUE(target_.ChangeBreakpoint(0x0062, BreakpointChange::kClear).ok);
  EXPECT_EQ(host_.FindBreakpoint(ORVEND_TAG(ORVEND_SPACE_CODE, 0x0062)), nullptr);

  // Idle, a stop request would make the driver skip the next run.
  EXPECT_FALSE(target_.Interrupt());
  EXPECT_TRUE(g_run.codes.empty());
  const RunResult step = target_.Step(1);
  EXPECT_TRUE(step.result.ok && step.stopped && !step.backgroundGo);
  target_.GoInBackground();
  g_run.WaitForGo();
  const RunResult stop = target_.Stop();
  EXPECT_TRUE(stop.result.ok && stop.stopped && stop.backgroundGo);
  EXPECT_FALSE(target_.BackgroundRunning());
  EXPECT_EQ(g_run.codes, (std::vector<uint16_t>{ORVEND_GO_STEP, ORVEND_GO, ORVEND_GO_STOP}));
}

TEST_F(TargetTest, AStopRequestSaysWhetherTheTargetStoppedAndIsTakenBackWhenTheRunEnds) {
  EXPECT_EQ(target_.InterruptRun(), InterruptOutcome::kNothingRuns);
  RunResult go;
  std::thread runner([&] { go = target_.Go(); });
  g_run.WaitForGo();
  {
    std::lock_guard lock(g_run.mutex);
    g_run.stopFails = true;
  }
  EXPECT_EQ(target_.InterruptRun(), InterruptOutcome::kStillRunning);
  {
    std::lock_guard lock(g_run.mutex);
    g_run.stopFails = false;
  }
  EXPECT_EQ(target_.InterruptRun(), InterruptOutcome::kStopped);
  runner.join();
  EXPECT_TRUE(go.result.ok && go.stopped);
  // A stop request can reach the driver just after the go ended, and would then make the next run do
  // nothing: a step of no instructions after every interrupted run takes it back.
  EXPECT_EQ(g_run.codes, (std::vector<uint16_t>{ORVEND_GO, ORVEND_GO_STOP, ORVEND_GO_STOP, ORVEND_GO_STEP}));
  EXPECT_EQ(target_.InterruptRun(), InterruptOutcome::kNothingRuns);
}

}  // namespace
}  // namespace orven::host
