// Chip operations against the simulated programmer: exact command sequences, log lines and progress.
#include <gtest/gtest.h>

#include "link/command_codes.h"
#include "programmer/texts.h"
#include "tests/support/programmer_rig.h"

namespace orven::programmer {
namespace {

using testing::MakeChip;
using testing::ProgrammerRig;
using Codes = std::vector<uint8_t>;

Codes Repeat(uint8_t code, size_t n) { return Codes(n, code); }
Codes Join(std::initializer_list<Codes> parts) {
  Codes out;
  for (const Codes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(Operation, AutomaticDownloadSendsInitEraseBeginBlocksEnd) {
  ProgrammerRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.device->ClearCommandLog();
  ChipEntry chip = MakeChip(0x2000);
  for (uint32_t i = 0; i < 0x2000; ++i) rig.Image()[i] = static_cast<uint8_t>(i * 3);
  rig.Run(kOpErase | kOpProgram, chip);
  EXPECT_EQ(rig.device->CommandLog(), Join({{29, 38, 32}, Repeat(35, 32), {30}}));
  EXPECT_EQ(rig.sink.Log(), "擦除...\n擦除完成.\n写入...\n烧写完成.\n");
  std::vector<uint8_t> flash = rig.device->Flash();
  EXPECT_TRUE(std::equal(flash.begin(), flash.end(), rig.Image()));
  auto notes = rig.sink.Notes();
  EXPECT_EQ(notes.front().code, kNotifyStarted);
  EXPECT_EQ(notes.back().code, kNotifyFinished);
  EXPECT_FALSE(rig.api.IsBusy());
}

TEST(Operation, BlockCountsAndProgressFollowTheFlashSize) {
  struct Case {
    uint32_t size;
    size_t blocks;
    uint32_t count;
  };
  for (const Case& c : {Case{0x1000, 16, 16}, Case{0x3800, 56, 56}, Case{0x2010, 33, 32}}) {
    SCOPED_TRACE(c.size);
    ProgrammerRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.device->ClearCommandLog();
    rig.device->RecordReports(true);
    rig.Run(kOpProgram, MakeChip(c.size));
    EXPECT_EQ(rig.device->CommandLog(), Join({{29, 32}, Repeat(35, c.blocks), {30}}));
    EXPECT_EQ(rig.sink.Count(kNotifyProgressStep), static_cast<int>(c.blocks));
    std::vector<testing::Note> counts;
    for (const auto& n : rig.sink.Notes()) {
      if (n.code == kNotifyProgressCount) counts.push_back(n);
    }
    ASSERT_EQ(counts.size(), 1u);
    EXPECT_EQ(counts[0].value, c.count);
    // The last Program block command announces the short remainder.
    auto reports = rig.device->ReceivedReports();
    for (auto it = reports.rbegin(); it != reports.rend(); ++it) {
      if ((*it)[0] == 0x58 && (*it)[2] == cmd::kProgramBlock) {
        EXPECT_EQ(GetU32Le(it->data() + 4), (c.blocks - 1) * 256);
        EXPECT_EQ(GetU32Le(it->data() + 8), c.size - (c.blocks - 1) * 256);
        break;
      }
    }
  }
}

TEST(Operation, StepsRunInTheirFixedOrderWhateverTheBits) {
  ProgrammerRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.device->ClearCommandLog();
  rig.Run(0xFF, MakeChip(0x100));
  EXPECT_EQ(rig.device->CommandLog(), (Codes{29, 31, 38, 33, 34, 32, 35, 33, 36, 33, 36, 40, 41, 30}));
  EXPECT_EQ(rig.sink.Log(),
            "擦除...\n擦除完成.\n查空...\n查空成功.\n写入...\n烧写完成.\n读取...\n读取完成.\n校验...\n校验成功.\n"
            "Write Fuse...\nWrite Fuse done.\nRead Fuse...\nRead Fuse done.\n");
}

TEST(Operation, VerifyOfWordChipsMasksOddBytesToSixBits) {
  ProgrammerRig rig;
  ASSERT_TRUE(rig.Connect());
  ChipEntry pic = MakeChip(0x100, /*vendor=*/4);
  rig.device->SetFlash(0, std::vector<uint8_t>(0x100, 0xFF));
  std::vector<uint8_t> words(0x100);
  for (int i = 0; i < 0x100; ++i) words[i] = (i & 1) ? 0x3F : 0xFF;
  rig.Run(kOpVerify, pic);  // initialises the chip model at this size first
  rig.sink.Clear();
  rig.device->SetFlash(0, words);
  std::fill(rig.Image(), rig.Image() + 0x100, 0xFF);
  rig.Run(kOpVerify, pic);
  EXPECT_EQ(rig.sink.Log(), "校验...\n校验成功.\n");
  EXPECT_EQ(rig.Image()[0], 0xFF);
  EXPECT_EQ(rig.Image()[1], 0x3F) << "the masked value stays in the image";

  // Any other vendor compares the bytes as they are.
  rig.sink.Clear();
  std::fill(rig.Image(), rig.Image() + 0x100, 0xFF);
  rig.Run(kOpVerify, MakeChip(0x100, 1));
  EXPECT_EQ(rig.sink.Log(), "校验...\n[FLASH]数据校验错误, 地址=0001H, BUF=FFH, CHIP=3FH\n");
}

TEST(Operation, BlankCheckReportsTheFirstNonBlankByte) {
  ProgrammerRig rig;
  ASSERT_TRUE(rig.Connect());
  ChipEntry chip = MakeChip(0x1000);
  rig.Run(kOpErase, chip);
  rig.device->SetFlash(0x0123, {0x5A});
  rig.sink.Clear();
  rig.Run(kOpBlankCheck, chip);
  EXPECT_EQ(rig.sink.Log(), "查空...\n查空失败, 芯片地址=123H, 芯片内容=5AH\n");
  EXPECT_EQ(rig.sink.Count(kNotifyProgressStep), 1) << "block 0 passes, block 1 fails without a step";
}

TEST(Operation, ReadFillsTheImageAndAFailureMidwayKeepsWhatWasRead) {
  ProgrammerRig rig;
  ASSERT_TRUE(rig.Connect());
  ChipEntry chip = MakeChip(0x400);
  std::vector<uint8_t> content(0x400);
  for (int i = 0; i < 0x400; ++i) content[i] = static_cast<uint8_t>(i ^ 0xA5);
  rig.Run(kOpErase, chip);
  rig.device->SetFlash(0, content);
  rig.device->SetFault(cmd::kReadBlock, {sim::FaultKind::kNoReply, 0, /*skip=*/2});
  rig.sink.Clear();
  rig.Run(kOpRead, chip);
  EXPECT_EQ(rig.sink.Log(), "读取...\n");
  EXPECT_TRUE(std::equal(content.begin(), content.begin() + 0x200, rig.Image()));
  EXPECT_TRUE(std::all_of(rig.Image() + 0x200, rig.Image() + 0x400, [](uint8_t b) { return b == 0xFF; }));
}

TEST(Operation, SignatureCheckComparesUpToTheFirstZeroByte) {
  ProgrammerRig rig;
  ASSERT_TRUE(rig.Connect());
  ChipEntry chip = MakeChip(0x100, 1, 0, {0x1E, 0x52, 0x00, 0x99});
  rig.device->SetChipSignature(std::array<uint8_t, 4>{0x1E, 0x52, 0x06, 0x00});
  rig.Run(kOpSignature, chip);
  EXPECT_EQ(rig.device->CommandLog().back(), cmd::kEndOperation);
  rig.device->SetChipSignature(std::array<uint8_t, 4>{0x1E, 0x53, 0x06, 0x00});
  rig.device->ClearCommandLog();
  rig.Run(kOpSignature, chip);
  EXPECT_EQ(rig.sink.Log(), "错误, 芯片ID不匹配\n");
  EXPECT_EQ(rig.device->CommandLog(), (Codes{29, 31}));
  // A first signature byte of 0 skips the exchange.
  rig.device->ClearCommandLog();
  rig.Run(kOpSignature, MakeChip(0x100, 1, 0, {0x00, 0x52}));
  EXPECT_EQ(rig.device->CommandLog(), (Codes{29, 30}));
}

TEST(Operation, ConfigurationTravelsBothWays) {
  ProgrammerRig rig;
  ASSERT_TRUE(rig.Connect());
  for (int i = 0; i < 32; ++i) rig.Config()[i] = static_cast<uint8_t>(0xC0 + i);
  rig.Run(kOpWriteConfig, MakeChip(0x100));
  EXPECT_EQ(rig.device->Config()[31], 0xDF);
  std::fill(rig.Config(), rig.Config() + 32, 0);
  rig.device->SetFault(cmd::kReadConfig, {sim::FaultKind::kWrongCode});
  rig.Run(kOpReadConfig, MakeChip(0x100));
  EXPECT_EQ(rig.Config()[0], 0) << "a failed read leaves the buffer unchanged";
  rig.Run(kOpReadConfig, MakeChip(0x100));
  EXPECT_EQ(rig.Config()[0], 0xC0);
}

TEST(Operation, AnEraseWithoutReplyEndsAfterItsFirstLine) {
  ProgrammerRig rig;
  ASSERT_TRUE(rig.Connect());
  rig.device->ClearCommandLog();
  rig.device->SetFault(cmd::kEraseChip, {sim::FaultKind::kNoReply});
  const uint64_t start = rig.clock.NowMs();
  rig.Run(kOpErase | kOpProgram, MakeChip(0x1000));
  EXPECT_EQ(rig.clock.NowMs() - start, 6000u) << "the erase reply is awaited for 6 s";
  EXPECT_EQ(rig.sink.Log(), "擦除...\n");
  EXPECT_EQ(rig.device->CommandLog(), (Codes{29, 38}));
  EXPECT_EQ(rig.sink.Notes().back().code, kNotifyFinished);
}

TEST(Operation, StartIsIgnoredWhileBusy) {
  ProgrammerRig rig;
  ASSERT_TRUE(rig.Connect());
  // A window that starts a second operation while handling a notification of the first.
  struct Reentrant : NotificationSink {
    CIceAPI* api = nullptr;
    const ChipEntry* chip = nullptr;
    int starts = 0;
    void Notify(const Notification& n) override {
      if (n.code == kNotifyStarted) ++starts;
      if (n.code == kNotifyProgressStep) api->StartOperation(kOpErase, chip);
    }
  } sink;
  ChipEntry chip = MakeChip(0x200);
  sink.api = &rig.api;
  sink.chip = &chip;
  rig.api.SetWindow(&sink);
  rig.Run(kOpProgram, chip);
  EXPECT_EQ(sink.starts, 1);
}

}  // namespace
}  // namespace orven::programmer
