// The emulator command set as the simulated QX410 answers it: identity, the pod's memory spaces and
// registers, run control, breakpoints, the pod knobs and faults on the emulator codes.
#include <gtest/gtest.h>

#include <random>

#include "sim/mcs51/sfr.h"
#include "tests/sim/emulator_rig.h"

namespace orven::testing {
namespace {

using namespace orven::cmd;
using mcs51::Space;

TEST(EmulatorDevice, IdentifiesAsQx410WithTheDriversFirmwareAndAnswersStatus) {
  EmulatorRig rig;
  Answer id = rig.Exchange(EC_IDENTIFY, 0, 40);
  ASSERT_TRUE(id.ok);
  ASSERT_EQ(id.data.size(), 40u);
  IdentificationBlock block;
  std::copy(id.data.begin(), id.data.end(), block.bytes);
  EXPECT_EQ(block.ModelWord(), 0x5295);
  EXPECT_EQ(block.Build(), 563u);
  EXPECT_EQ(block.VersionText(), " V2.06(B563)");
  EXPECT_EQ(block.SerialText(), " 01AB007F");

  Answer status = rig.Status();
  EXPECT_TRUE(status.ok);
  EXPECT_EQ(status.status, 0);
  EXPECT_EQ(status.value, 0u);

  sim::EmulatorOptions loader;
  loader.startInLoader = true;
  EmulatorRig inLoader(loader);
  EXPECT_EQ(inLoader.Status().value, kFirmwareStateLoader);
  // The loader knows no debug command.
  EXPECT_EQ(inLoader.Exchange(EC_READ_REGS, 0, 16).status, sim::kEmuStatusRefused);
}

// Every memory space: where a tagged or plain address lands, and where the range ends.
TEST(EmulatorDevice, MemorySpacesTakeTheirOffsetAndRefuseRangesPastTheEnd) {
  struct Case {
    const char* name;
    uint8_t write, read;
    uint32_t address;
    uint32_t count;
    bool fits;
    Space space;  // where the bytes must land
    uint32_t at;
  };
  const Case cases[] = {
      {"D: RAM below 0x80", EC_WRITE_DATA, EC_READ_DATA, 0xF0000030, 4, true, Space::kIdata, 0x30},
      {"D: SFRs from 0x80", EC_WRITE_DATA, EC_READ_DATA, 0xF000008A, 4, true, Space::kSfr, 0x8A},
      {"D: past 0xFF", EC_WRITE_DATA, EC_READ_DATA, 0xF00000FF, 2, false, Space::kSfr, 0},
      {"I: upper RAM", EC_WRITE_IDATA, EC_READ_IDATA, 0xF30000F0, 16, true, Space::kIdata, 0xF0},
      {"I: D: tag below 0x80", EC_WRITE_IDATA, EC_READ_IDATA, 0xF0000040, 8, true, Space::kIdata, 0x40},
      {"I: past 0xFF", EC_WRITE_IDATA, EC_READ_IDATA, 0xF30000F8, 9, false, Space::kIdata, 0},
      {"X: top of a segment", EC_WRITE_XDATA, EC_READ_XDATA, 0x0105FFF0, 16, true, Space::kXdata, 0xFFF0},
      {"X: pdata tag", EC_WRITE_XDATA, EC_READ_XDATA, 0xFE000012, 3, true, Space::kXdata, 0x0012},
      {"X: past 0xFFFF", EC_WRITE_XDATA, EC_READ_XDATA, 0x0100FFF1, 16, false, Space::kXdata, 0},
      {"C: last bytes", EC_WRITE_CODE, EC_READ_CODE, 0xFFF0, 16, true, Space::kCode, 0xFFF0},
      {"C: a download chunk", EC_WRITE_CODE, EC_READ_CODE, 0xFB00, 256, true, Space::kCode, 0xFB00},
      {"C: plain, not tagged", EC_WRITE_CODE, EC_READ_CODE, 0xFF000010, 1, false, Space::kCode, 0},
      {"C: past 0xFFFF", EC_WRITE_CODE, EC_READ_CODE, 0xFFF8, 9, false, Space::kCode, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EmulatorRig rig;
    std::vector<uint8_t> bytes(c.count);
    for (uint32_t i = 0; i < c.count; ++i) bytes[i] = static_cast<uint8_t>(0x5A + 3 * i);

    Answer w = rig.Write(c.write, c.address, bytes);
    ASSERT_TRUE(w.ok);
    Answer r = rig.Exchange(c.read, c.address, c.count);
    ASSERT_TRUE(r.ok);
    if (!c.fits) {
      EXPECT_EQ(w.status, sim::kEmuStatusRange);
      EXPECT_EQ(r.status, sim::kEmuStatusRange);
      EXPECT_TRUE(r.data.empty());
      continue;
    }
    EXPECT_EQ(w.status, 0);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.data, bytes);
    EXPECT_EQ(rig.Device().PodMemory(c.space, c.at, c.count), bytes);
  }
}

TEST(EmulatorDevice, ReadsReplyWithExactlyTheCountAsked) {
  EmulatorRig rig;
  for (uint32_t count : {0u, 1u, 61u, 62u, 63u, 128u, 256u}) {
    SCOPED_TRACE(count);
    EXPECT_EQ(rig.Exchange(EC_READ_CODE, 0x100, count).data.size(), count);
    EXPECT_EQ(rig.Exchange(EC_READ_XDATA, 0x01000000, count).data.size(), count);
  }
  EXPECT_EQ(rig.Exchange(EC_READ_CODE, 0, sim::EmulatorDevice::kMaxTransfer + 1).status, sim::kEmuStatusRange);
}

TEST(EmulatorDevice, RegisterImageMapsTheRegistersAndTheBankPswSelects) {
  EmulatorRig rig;
  // Bank 2's registers hold 0x20.. before the image switches to it.
  ASSERT_EQ(rig.Write(EC_WRITE_IDATA, 0xF3000010, {0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27}).status, 0);

  //                             ACC   PSW   DPH   DPL   SP    PCH   PCL   B     R0..R7
  const std::vector<uint8_t> image = {0x11, 0x08, 0x12, 0x34, 0x40, 0x01, 0x23, 0x77, 1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_EQ(rig.Write(EC_WRITE_REGS, 0, image).status, 0);
  const mcs51::Registers regs = rig.Device().PodRegisters();
  EXPECT_EQ(regs.acc, 0x11);
  EXPECT_EQ(regs.psw & 0xFE, 0x08);
  EXPECT_EQ(regs.dptr, 0x1234);
  EXPECT_EQ(regs.sp, 0x40);
  EXPECT_EQ(regs.pc, 0x0123);
  EXPECT_EQ(regs.b, 0x77);
  // R0-R7 went to bank 1 (internal RAM 0x08..0x0F); bank 0 is untouched.
  EXPECT_EQ(rig.Device().PodMemory(Space::kIdata, 0x08, 8), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(rig.Device().PodMemory(Space::kIdata, 0x00, 8), std::vector<uint8_t>(8, 0));

  Answer read = rig.Exchange(EC_READ_REGS, 0, 16);
  ASSERT_EQ(read.data.size(), 16u);
  // PSW's parity bit follows ACC (0x11 has even parity: P = 0).
  EXPECT_EQ(read.data, image);
  EXPECT_EQ(rig.Pc(), 0x0123);

  // PSW = 0x10 selects bank 2: the image shows what bank 2 holds.
  ASSERT_EQ(rig.Write(EC_WRITE_DATA, 0xF00000D0, {0x10}).status, 0);
  read = rig.Exchange(EC_READ_REGS, 0, 16);
  EXPECT_EQ(std::vector<uint8_t>(read.data.begin() + 8, read.data.end()),
            (std::vector<uint8_t>{0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27}));

  EXPECT_EQ(rig.Write(EC_WRITE_REGS, 0, {1, 2, 3}).status, sim::kEmuStatusRange);
}

TEST(EmulatorDevice, StepRepliesWithTheNewPcAndWritePcMovesIt) {
  EmulatorRig rig;
  rig.Load({
      0x74, 0x12,  // 0000 MOV A,#12h
      0x04,        // 0002 INC A
      0x80, 0xFE,  // 0003 SJMP $
      0x00,        // 0005 NOP
      0xE4,        // 0006 CLR A
  });
  EXPECT_EQ(rig.Exchange(EC_STEP).value, 0x0002u);
  EXPECT_EQ(rig.Exchange(EC_STEP).value, 0x0003u);
  EXPECT_EQ(rig.Exchange(EC_STEP).value, 0x0003u);
  EXPECT_EQ(rig.Device().PodRegisters().acc, 0x13);

  ASSERT_EQ(rig.Exchange(EC_WRITE_PC, 0x0005).status, 0);
  EXPECT_EQ(rig.Pc(), 0x0005);
  EXPECT_EQ(rig.Exchange(EC_STEP).value, 0x0006u);
  EXPECT_EQ(rig.Exchange(EC_STEP).value, 0x0007u);
  EXPECT_EQ(rig.Device().PodRegisters().acc, 0x00);
  // Stepping ran no time: the pod never ran on its own.
  EXPECT_FALSE(rig.Running());
}

// 0000..000F sixteen NOPs, 0010 SJMP 0000: one pass is 18 machine cycles.
const std::vector<uint8_t> kNopLoop = [] {
  std::vector<uint8_t> p(16, 0x00);
  p.push_back(0x80);
  p.push_back(0xEE);
  return p;
}();

TEST(EmulatorDevice, PcReadAnswersInTheReplyValueAndWithTheKnobInTwoBytesAsWell) {
  for (bool withData : {false, true}) {
    SCOPED_TRACE(withData);
    sim::EmulatorOptions options;
    options.pcReadData = withData;
    EmulatorRig rig(options);
    ASSERT_EQ(rig.Exchange(EC_WRITE_PC, 0x1234).status, 0);
    EXPECT_EQ(rig.Pc(), 0x1234);  // checks the data bytes for the form chosen
  }
}

TEST(EmulatorDevice, GoHaltsAtTheStopAddressOrABreakpointAndLeavesItOnTheNextGo) {
  EmulatorRig rig;
  rig.Load(kNopLoop);
  ASSERT_EQ(rig.Go(0x0008).status, 0);
  EXPECT_TRUE(rig.Running()) << "no time has passed yet";
  rig.clock.Advance(1);
  EXPECT_FALSE(rig.Running());
  EXPECT_EQ(rig.Pc(), 0x0008);

  ASSERT_EQ(rig.Breakpoint(0x000C, true).status, 0);
  ASSERT_EQ(rig.Go().status, 0);
  rig.clock.Advance(1);
  EXPECT_FALSE(rig.Running());
  EXPECT_EQ(rig.Pc(), 0x000C);

  // From the breakpoint the next run executes it, goes round the loop and halts there again.
  const uint64_t before = rig.Device().PodRegisters().pc;
  ASSERT_EQ(before, 0x000Cu);
  uint64_t cycles = 0;
  rig.Device().WithPod([&](sim::Pod& pod) { cycles = pod.Core().Cycles(); });
  ASSERT_EQ(rig.Go().status, 0);
  rig.clock.Advance(1);
  EXPECT_FALSE(rig.Running());
  EXPECT_EQ(rig.Pc(), 0x000C);
  rig.Device().WithPod([&](sim::Pod& pod) { EXPECT_EQ(pod.Core().Cycles() - cycles, 18u); });

  // Breakpoints outlive a forced stop; cleared, the loop runs on.
  ASSERT_EQ(rig.Exchange(EC_FORCE_STOP).status, 0);
  ASSERT_EQ(rig.Breakpoint(0x000C, false).status, 0);
  ASSERT_EQ(rig.Go().status, 0);
  rig.clock.Advance(10);
  EXPECT_TRUE(rig.Running());
}

TEST(EmulatorDevice, BreakpointLimitAndConflict) {
  for (unsigned limit : {4u, 2u}) {
    SCOPED_TRACE(limit);
    sim::EmulatorOptions options;
    options.breakpointLimit = limit;
    EmulatorRig rig(options);
    for (unsigned i = 0; i < limit; ++i) EXPECT_EQ(rig.Breakpoint(static_cast<uint16_t>(0x100 + i), true).status, 0);
    EXPECT_EQ(rig.Breakpoint(0x200, true).status, kStatusTooManyBreakpoints);
    EXPECT_EQ(rig.Breakpoint(0x100, true).status, kStatusBreakpointConflict);
    // Clearing makes room; clearing an address not set is harmless.
    EXPECT_EQ(rig.Breakpoint(0x300, false).status, 0);
    EXPECT_EQ(rig.Breakpoint(0x100, false).status, 0);
    EXPECT_EQ(rig.Breakpoint(0x200, true).status, 0);
    unsigned set = 0;
    rig.Device().WithPod([&](sim::Pod& pod) { set = static_cast<unsigned>(pod.Breakpoints().size()); });
    EXPECT_EQ(set, limit);
  }
}

TEST(EmulatorDevice, EveryAccessToTheProcessorIsRefusedWhileThePodRuns) {
  EmulatorRig rig;
  rig.Load(kNopLoop);
  ASSERT_EQ(rig.Go().status, 0);
  rig.clock.Advance(5);
  ASSERT_TRUE(rig.Running());
  const Command refused[] = {
      {EC_READ_DATA, 0xF0000090, 1, {}, {}},   {EC_WRITE_DATA, 0xF0000090, 0, {1}, {}},
      {EC_READ_IDATA, 0xF3000000, 4, {}, {}},  {EC_WRITE_IDATA, 0xF3000000, 0, {1}, {}},
      {EC_READ_XDATA, 0x01000000, 4, {}, {}},  {EC_WRITE_XDATA, 0x01000000, 0, {1}, {}},
      {EC_READ_CODE, 0, 4, {}, {}},            {EC_WRITE_CODE, 0, 0, {1}, {}},
      {EC_READ_REGS, 0, 16, {}, {}},           {EC_WRITE_REGS, 0, 0, std::vector<uint8_t>(16), {}},
      {EC_READ_PC, 0, 2, {}, {}},              {EC_WRITE_PC, 0x10, 0, {}, {}},
      {EC_STEP, 0, 0, {}, {}},
  };
  for (const Command& c : refused) {
    SCOPED_TRACE(static_cast<int>(c.code));
    Answer a = rig.Exchange(c);
    EXPECT_TRUE(a.ok);
    EXPECT_EQ(a.status, sim::kEmuStatusPodRunning);
    EXPECT_TRUE(a.data.empty());
  }
  EXPECT_EQ(rig.Device().PodMemory(Space::kCode, 0, 1), std::vector<uint8_t>{0x00});
  // Breakpoints can be set on a running target.
  EXPECT_EQ(rig.Breakpoint(0x0004, true).status, 0);
  rig.clock.Advance(1);
  EXPECT_FALSE(rig.Running());
  EXPECT_EQ(rig.Pc(), 0x0004);
}

TEST(EmulatorDevice, StopRequestHaltsOnlyARunWithTheFeatureAndInterruptsEnabled) {
  const std::vector<uint8_t> eaOn = {0xD2, 0xAF, 0x80, 0xFE};   // SETB EA; SJMP $
  const std::vector<uint8_t> eaOff = {0xC2, 0xAF, 0x80, 0xFE};  // CLR EA; SJMP $
  // PD: ORL PCON,#2 powers down; only a reset wakes the chip.
  const std::vector<uint8_t> powerDown = {0xD2, 0xAF, 0x43, 0x87, 0x02, 0x80, 0xFE};
  struct Case {
    const char* name;
    const std::vector<uint8_t>* program;
    bool feature;
    bool halts;
  } const cases[] = {
      {"feature, EA = 1", &eaOn, true, true},
      {"no feature", &eaOn, false, false},
      {"feature, EA = 0", &eaOff, true, false},
      {"feature, powered down", &powerDown, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EmulatorRig rig;
    rig.Load(*c.program);
    ASSERT_EQ(rig.Go(0xFFFF, false, c.feature).status, 0);
    rig.clock.Advance(20);
    ASSERT_TRUE(rig.Running());
    EXPECT_TRUE(rig.SendsNoReply({EC_STOP_REQUEST, 0, 0, {}, {}}));
    EXPECT_EQ(rig.Running(), !c.halts);
    if (!c.halts) {
      // The driver's way out: a forced stop halts and resets the processor.
      ASSERT_EQ(rig.Exchange(EC_FORCE_STOP).status, 0);
      EXPECT_FALSE(rig.Running());
      EXPECT_EQ(rig.Pc(), 0x0000);
    }
  }
}

TEST(EmulatorDevice, GoWithResetStartsTheApplicationFromZero) {
  EmulatorRig rig;
  rig.Load({0x04, 0x80, 0xFD});  // 0000 INC A; 0001 SJMP 0000
  ASSERT_EQ(rig.Write(EC_WRITE_REGS, 0, {0x55, 0, 0, 0, 0x07, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0}).status, 0);
  ASSERT_EQ(rig.Go(0x0001, true).status, 0);
  rig.clock.Advance(1);
  EXPECT_FALSE(rig.Running());
  // A reset clears ACC and starts at 0, so one INC A ran before the stop address.
  EXPECT_EQ(rig.Device().PodRegisters().acc, 0x01);
}

TEST(EmulatorDevice, AHugeTimeJumpCostsBoundedWorkAndASleepingPodNone) {
  EmulatorRig rig;
  rig.Load(kNopLoop);
  ASSERT_EQ(rig.Go().status, 0);
  rig.clock.Advance(10ull * 3600 * 1000);  // ten hours
  EXPECT_TRUE(rig.Running());
  uint64_t cycles = 0;
  rig.Device().WithPod([&](sim::Pod& pod) { cycles = pod.Core().Cycles(); });
  EXPECT_GE(cycles, sim::Pod::kMaxCyclesPerCatchUp);
  EXPECT_LE(cycles, sim::Pod::kMaxCyclesPerCatchUp + 1);

  // Idle with no interrupt enabled: nothing will wake the core, which from then on sleeps for free.
  EmulatorRig idle;
  idle.Load({0x43, 0x87, 0x01, 0x80, 0xFE});  // ORL PCON,#1; SJMP $
  ASSERT_EQ(idle.Go().status, 0);
  idle.clock.Advance(10ull * 3600 * 1000);
  bool stuck = false;
  for (int i = 0; i < 8 && !stuck; ++i) {
    EXPECT_TRUE(idle.Running());
    idle.Device().WithPod([&](sim::Pod& pod) { stuck = pod.Stuck(); });
  }
  ASSERT_TRUE(stuck);
  idle.Device().WithPod([&](sim::Pod& pod) { cycles = pod.Core().Cycles(); });
  idle.clock.Advance(10ull * 3600 * 1000);
  EXPECT_TRUE(idle.Running());
  idle.Device().WithPod([&](sim::Pod& pod) { EXPECT_EQ(pod.Core().Cycles(), cycles); });
}

TEST(EmulatorDevice, PodAnswersInfoCheckAndStartUnlessAbsent) {
  EmulatorRig rig;
  Answer info = rig.Exchange(EC_POD_INFO);
  ASSERT_EQ(info.data.size(), sim::kPodInfoLength);
  EXPECT_EQ(std::string(info.data.begin(), info.data.begin() + 5), "VELM5");
  EXPECT_EQ(GetU32Le(info.data.data() + 8), 11059200u);
  EXPECT_EQ(rig.Exchange(EC_POD_CHECK).status, 0);
  EXPECT_EQ(rig.Exchange(EC_POD_START).status, 0);
  EXPECT_TRUE(rig.SendsNoReply({EC_DISCONNECT, 0, 0, {}, {}}));

  sim::EmulatorOptions options;
  options.podPresent = false;
  EmulatorRig absent(options);
  for (uint8_t code : {EC_POD_CHECK, EC_POD_INFO, EC_POD_START}) {
    EXPECT_TRUE(absent.SendsNoReply({code, 0, 0, {}, {}})) << static_cast<int>(code);
  }
  EXPECT_EQ(absent.Exchange(EC_READ_REGS, 0, 16).status, sim::kEmuStatusRefused);
  EXPECT_EQ(absent.Exchange(EC_IDENTIFY, 0, 40).data.size(), 40u);
}

TEST(EmulatorDevice, FaultPlanReachesTheEmulatorCodesAndTheLogRecordsThem) {
  EmulatorRig rig;
  rig.Device().SetFault(EC_READ_REGS, {sim::FaultKind::kWrongCode, 0, 0, 1});
  rig.Device().SetFault(EC_STEP, {sim::FaultKind::kNoReply, 0, 1, 1});
  rig.Device().SetFault(EC_CHIP_PROGRAM, {sim::FaultKind::kRefuse, 12, 0, 1});
  rig.Device().SetFault(EC_READ_XDATA, {sim::FaultKind::kShortData, 0, 0, 1});
  rig.Device().ClearCommandLog();

  EXPECT_EQ(rig.Exchange(EC_READ_REGS, 0, 16).error, link::FrameError::kWrongCode);
  EXPECT_TRUE(rig.Exchange(EC_STEP).ok);
  EXPECT_EQ(rig.Exchange(EC_STEP).error, link::FrameError::kNoResponse);
  EXPECT_EQ(rig.Write(EC_CHIP_PROGRAM, 0, std::vector<uint8_t>(16, 0)).status, 12);
  EXPECT_EQ(rig.Exchange(EC_READ_XDATA, 0x01000000, 128).error, link::FrameError::kDataMissing);
  EXPECT_EQ(rig.Exchange(EC_READ_REGS, 0, 16).data.size(), 16u);
  EXPECT_EQ(rig.Device().CommandLog(),
            (std::vector<uint8_t>{EC_READ_REGS, EC_STEP, EC_STEP, EC_CHIP_PROGRAM, EC_READ_XDATA, EC_READ_REGS}));
}

// Whatever the host sends, the device answers within its bounds: random command and data reports (with the
// pod running random code now and then) under the sanitizers, and the device still works afterwards.
TEST(EmulatorDevice, RandomReportsKeepTheDeviceSound) {
  EmulatorRig rig;
  sim::EmulatorDevice& device = rig.Device();
  std::mt19937 random(20261207);
  auto pick = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
  const uint32_t edges[] = {0, 1, 0x7F, 0x80, 0xFF, 0x100, 0xFBFF, 0xFC00, 0xFFFF, 0x10000, 0xF00000FF, 0xFFFFFFFF};
  uint8_t report[65];
  uint8_t out[65];
  uint64_t readyAt = 0;
  for (int i = 0; i < 20000; ++i) {
    for (uint8_t& b : report) b = static_cast<uint8_t>(random());
    report[0] = 0;
    if (pick(4) != 0) {
      // Report byte 0 is the report id; the payload's marker, code and flag follow.
      report[1] = link::kCommandMarker;
      // Restarts are left out: they take the device off the bus for seconds.
      do {
        report[3] = static_cast<uint8_t>(pick(46));
      } while (report[3] == EC_RESTART || report[3] == EC_ENTER_LOADER);
      report[4] = pick(3) == 0 ? 0 : link::kNoDataFlag;
      PutU32Le(report + 5, pick(2) ? edges[pick(12)] : static_cast<uint32_t>(random()));
      PutU32Le(report + 9, pick(2) ? edges[pick(12)] & 0x3FF : pick(2000));
    } else {
      report[1] = link::kDataMarker;
      report[2] = static_cast<uint8_t>(pick(20));
    }
    device.Receive(report, sizeof report, device.Generation());
    while (device.TakeOutput(device.Generation(), rig.clock.NowMs(), out, &readyAt) == sim::SimDevice::Output::kReport) {
      ASSERT_TRUE(out[1] == link::kResponseMarker || out[1] == link::kDataMarker);
    }
    if (pick(50) == 0) rig.clock.Advance(pick(3));
  }
  ASSERT_EQ(rig.Exchange(EC_FORCE_STOP).status, 0);
  EXPECT_EQ(rig.Exchange(EC_IDENTIFY, 0, 40).data.size(), 40u);
  EXPECT_EQ(rig.Exchange(EC_READ_REGS, 0, 16).data.size(), 16u);
}

}  // namespace
}  // namespace orven::testing
