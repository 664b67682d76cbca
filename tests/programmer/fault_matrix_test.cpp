// Every command of every operation the window can start, under every fault the device can commit: the log
// holds only the lines written before the failing command, "finished" is sent, the busy flag clears, End of
// operation is not sent, and the next operation on the same connection succeeds.
#include <gtest/gtest.h>

#include "link/command_codes.h"
#include "tests/support/programmer_rig.h"

namespace orven::programmer {
namespace {

using testing::MakeChip;
using testing::ProgrammerRig;

struct StepText {
  uint32_t bit;
  const char* opening;
  const char* closing;
};
// Opening and closing lines of each step, in the order the steps run.
constexpr StepText kSteps[] = {
    {kOpErase, "擦除...\n", "擦除完成.\n"},         {kOpBlankCheck, "查空...\n", "查空成功.\n"},
    {kOpProgram, "写入...\n", "烧写完成.\n"},       {kOpRead, "读取...\n", "读取完成.\n"},
    {kOpVerify, "校验...\n", "校验成功.\n"},        {kOpWriteConfig, "Write Fuse...\n", "Write Fuse done.\n"},
    {kOpReadConfig, "Read Fuse...\n", "Read Fuse done.\n"},
};

uint32_t StepOf(uint8_t code, uint32_t mask, int occurrenceOf33) {
  switch (code) {
    case cmd::kEraseChip: return kOpErase;
    case cmd::kBlankCheckBlock: return kOpBlankCheck;
    case cmd::kBeginProgram:
    case cmd::kProgramBlock: return kOpProgram;
    case cmd::kWriteConfig: return kOpWriteConfig;
    case cmd::kReadConfig: return kOpReadConfig;
    case cmd::kBeginRead: {
      // Begin reading opens blank check, read and verify, in that order.
      int n = 0;
      for (uint32_t bit : {kOpBlankCheck, kOpRead, kOpVerify}) {
        if ((mask & bit) && n++ == occurrenceOf33) return bit;
      }
      return 0;
    }
    case cmd::kReadBlock: return (mask & kOpRead) ? kOpRead : kOpVerify;
    default: return 0;
  }
}

// The log an operation leaves when the command fails at the given step.
std::string ExpectedLog(uint32_t mask, uint8_t code, uint32_t failingStep) {
  if (code == cmd::kInitChip) return "芯片初始化错误\n";
  std::string log;
  for (const StepText& s : kSteps) {
    if (!(mask & s.bit)) continue;
    if (code != cmd::kEndOperation && s.bit == failingStep) return log + s.opening;
    log += s.opening;
    log += s.closing;
  }
  return log;  // End of operation failed: every step closed, no line of its own
}

TEST(FaultMatrix, EveryCommandOfEveryButtonUnderEveryFault) {
  const uint32_t kMasks[] = {0x03, 0x01, 0x04, 0x02, 0x08, 0x10, 0x20, 0x40};
  const sim::Fault kFaults[] = {
      {sim::FaultKind::kNoReply},     {sim::FaultKind::kWrongCode},    {sim::FaultKind::kWrongMarker},
      {sim::FaultKind::kMissingData}, {sim::FaultKind::kShortData},    {sim::FaultKind::kBadDataMarker},
      {sim::FaultKind::kRefuse, 10},  {sim::FaultKind::kRefuse, 11},   {sim::FaultKind::kRefuse, 12},
      {sim::FaultKind::kSlowReply, 7000},
  };
  const ChipEntry chip = MakeChip(0x300);  // three blocks per flash step
  int cases = 0;
  for (uint32_t mask : kMasks) {
    // The commands of a clean run, each fault aimed at one occurrence of one of them.
    ProgrammerRig probe;
    ASSERT_TRUE(probe.Connect());
    probe.device->ClearCommandLog();
    probe.Run(mask, chip);
    const std::vector<uint8_t> sequence = probe.device->CommandLog();
    ASSERT_EQ(sequence.back(), cmd::kEndOperation);

    for (size_t index = 0; index < sequence.size(); ++index) {
      const uint8_t code = sequence[index];
      const uint32_t occurrence =
          static_cast<uint32_t>(std::count(sequence.begin(), sequence.begin() + static_cast<long>(index), code));
      const uint32_t step = StepOf(code, mask, static_cast<int>(occurrence));
      for (sim::Fault fault : kFaults) {
        SCOPED_TRACE(::testing::Message() << "mask 0x" << std::hex << mask << std::dec << " command " << int(code)
                                          << " #" << occurrence << " fault " << int(fault.kind) << "/" << fault.value);
        ProgrammerRig rig;
        ASSERT_TRUE(rig.Connect());
        rig.Run(kOpErase, chip);  // the chip model takes the entry's size
        rig.device->ClearCommandLog();
        rig.sink.Clear();
        fault.skip = occurrence;
        rig.device->SetFault(code, fault);
        rig.Run(mask, chip);

        EXPECT_EQ(rig.sink.Log(), ExpectedLog(mask, code, step));
        auto notes = rig.sink.Notes();
        ASSERT_FALSE(notes.empty());
        EXPECT_EQ(notes.front().code, kNotifyStarted);
        EXPECT_EQ(notes.back().code, kNotifyFinished);
        EXPECT_EQ(rig.sink.Count(kNotifyFinished), 1);
        EXPECT_FALSE(rig.api.IsBusy());
        const std::vector<uint8_t> sent = rig.device->CommandLog();
        EXPECT_EQ(sent.size(), index + 1) << "nothing is sent after the failing command";
        EXPECT_EQ(std::count(sent.begin(), sent.end(), cmd::kEndOperation), code == cmd::kEndOperation ? 1 : 0);

        // The user comes back later and runs the same operation again on the same connection.
        rig.clock.Advance(10000);
        rig.sink.Clear();
        rig.Run(mask, chip);
        EXPECT_EQ(rig.sink.Log(), ExpectedLog(mask, cmd::kEndOperation, 0));
        EXPECT_EQ(rig.device->CommandLog().back(), cmd::kEndOperation);
        ++cases;
      }
    }
  }
  EXPECT_EQ(cases, 400) << "every command of the eight buttons × ten faults";
}

TEST(FaultMatrix, ADeviceThatLeavesTheBusEndsTheOperationAndCanBeReconnected) {
  ProgrammerRig rig;
  ASSERT_TRUE(rig.Connect());
  const ChipEntry chip = MakeChip(0x300);
  rig.device->SetFault(cmd::kProgramBlock, {sim::FaultKind::kLeaveBus, 1000, 1});
  rig.Run(kOpErase | kOpProgram, chip);
  EXPECT_EQ(rig.sink.Log(), "擦除...\n擦除完成.\n写入...\n");
  EXPECT_EQ(rig.sink.Notes().back().code, kNotifyFinished);
  EXPECT_FALSE(rig.api.IsBusy());
  rig.clock.Advance(1000);
  rig.api.Disconnect();
  ASSERT_TRUE(rig.Connect());
  rig.sink.Clear();
  rig.Run(kOpErase | kOpProgram, chip);
  EXPECT_EQ(rig.sink.Log(), "擦除...\n擦除完成.\n写入...\n烧写完成.\n");
}

}  // namespace
}  // namespace orven::programmer
