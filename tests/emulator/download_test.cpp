// Download to the pod and to target chips against the simulated emulator: sizes, gaps, segment order, chips
// without verification, the chosen chip staying inside the table, and the printed progress.
#include <gtest/gtest.h>

#include <algorithm>

#include "emulator/ice_usb.h"
#include "emulator/texts.h"
#include "link/command_codes.h"
#include "sim/emulator_backend.h"
#include "tests/emulator/emulator_rig.h"
#include "tests/emulator/scripted_emu.h"

namespace orven::testing {
namespace {

using namespace cmd;
namespace texts = emulator::texts;

Bytes Pattern(uint32_t n, uint8_t seed) {
  Bytes b(n);
  for (uint32_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
  return b;
}

class EmuDownload : public ::testing::Test {
 protected:
  // Chooses the target (F 0x10 = the pod, else vendor V, chip C) and connects.
  void Target(int32_t f, int32_t v = 0, int32_t c = 0) {
    flags.f = f;
    flags.v = v;
    flags.c = c;
    ASSERT_TRUE(emu.Connect());
    device().ClearCommandLog();
  }
  void Segment(uint32_t start, const Bytes& bytes) {
    kept_.push_back(bytes);
    total_ += static_cast<uint32_t>(bytes.size());
    host.segments.push_back({start, static_cast<uint32_t>(bytes.size()), kept_.back().data(), 0});
    for (auto& s : host.segments) s.total = total_;
  }
  int Count(uint8_t code) {
    const auto log = device().CommandLog();
    return static_cast<int>(std::count(log.begin(), log.end(), code));
  }
  sim::EmulatorDevice& device() { return *backend.Device(); }
  std::string Printed() { return host.Texts(emulator::kHostProgressText); }

  VirtualClock clock;
  sim::SimulatedEmulatorBackend backend{clock, {}};
  RecordingHost host;
  ScriptedPrompter prompter;
  TestFlags flags;
  emulator::CIceUsb emu{backend, clock, host, prompter, flags};

 private:
  std::deque<Bytes> kept_;
  uint32_t total_ = 0;
};

TEST_F(EmuDownload, PodTakesUpTo63K) {
  Target(0x10);
  const Bytes image = Pattern(0xFC00, 3);
  Segment(0, image);
  ASSERT_TRUE(emu.PrepareDownload());
  EXPECT_EQ(emu.SelectedTargetIndex(), emulator::kTargetPod);
  ASSERT_TRUE(emu.DownloadImage());
  EXPECT_EQ(Printed(),
            "Download Code to Debug Adapter(VELM5).\nProgramming...\nProgramming Done.\nVerifying...\n"
            "Verify OK.\nApplication Reset and Running...");
  EXPECT_EQ(device().PodMemory(mcs51::Space::kCode, 0, 0xFC00), image);
  EXPECT_EQ(Count(EC_WRITE_CODE), 252);
  EXPECT_EQ(Count(EC_READ_CODE), 504);
  EXPECT_TRUE(device().PodRunning());
  // The bar: shown for programming and for verifying with the total, advanced per chunk, removed.
  ASSERT_FALSE(host.bars.empty());
  EXPECT_EQ(host.bars.front(), (BarEvent{1, 0, 0, 0xFC00, texts::kBarProgramming}));
  EXPECT_EQ(host.bars[252], (BarEvent{3, 0xFC00, 0, 0xFC00, texts::kBarProgramming}));
  EXPECT_EQ(host.bars[253], (BarEvent{1, 0, 0, 0xFC00, texts::kBarVerifying}));
  EXPECT_EQ(host.bars.back().job, 2);

  // One byte more: the box, and nothing reaches the pod.
  host.segments.clear();
  Segment(0, Pattern(0xFC01, 9));
  device().ClearCommandLog();
  ASSERT_TRUE(emu.PrepareDownload());
  EXPECT_FALSE(emu.DownloadImage());
  EXPECT_EQ(prompter.Boxes(), (std::vector<Box>{{'E', texts::kCaptionCommError, texts::kCodeTooLarge}}));
  EXPECT_EQ(Count(EC_WRITE_CODE), 0);
}

TEST_F(EmuDownload, ChipCapacityBoundsTheImage) {
  Target(0, 0, 0);  // ATMEL, "AT89S51 [ZIF]", 4 KiB
  Segment(0, Pattern(0x1000, 1));
  ASSERT_TRUE(emu.PrepareDownload());
  EXPECT_EQ(emu.SelectedTargetIndex(), 0);
  ASSERT_TRUE(emu.DownloadImage());
  EXPECT_EQ(device().Flash(), Pattern(0x1000, 1));
  EXPECT_EQ(Printed(),
            "Download to ATMEL  AT89S51 [ZIF].\nErasing...\nErasing Done.\nProgramming...\nProgramming Done.\n"
            "Verifying...\nVerify OK.\nApplication Reset and Running...");
  EXPECT_EQ(device().CommandLog().back(), EC_CHIP_RUN);

  host.segments.clear();
  Segment(0, Pattern(0x1001, 1));
  ASSERT_TRUE(emu.PrepareDownload());
  device().ClearCommandLog();
  EXPECT_FALSE(emu.DownloadImage());
  EXPECT_EQ(prompter.Boxes(), (std::vector<Box>{{'E', texts::kCaption, "代码大小超出芯片(AT89S51 [ZIF])的容量 "}}));
  EXPECT_TRUE(device().CommandLog().empty());
}

TEST_F(EmuDownload, SegmentsInAnyOrderWithAGapProgramNineChunks) {
  for (bool reversed : {false, true}) {
    SCOPED_TRACE(reversed ? "high segment first" : "in address order");
    host.segments.clear();
    Target(0, 0, 1);  // "AT89S52 [ZIF]"
    const Bytes low = Pattern(0x100, 0x10), high = Pattern(0x100, 0x80);
    if (reversed) {
      Segment(0x0800, high);
      Segment(0x0000, low);
    } else {
      Segment(0x0000, low);
      Segment(0x0800, high);
    }
    ASSERT_TRUE(emu.PrepareDownload());
    ASSERT_TRUE(emu.DownloadImage());
    EXPECT_EQ(Count(EC_CHIP_PROGRAM), 9);
    EXPECT_EQ(Count(EC_CHIP_READ), 9);
    const Bytes flash = device().Flash();
    EXPECT_TRUE(std::equal(low.begin(), low.end(), flash.begin()));
    EXPECT_TRUE(std::all_of(flash.begin() + 0x100, flash.begin() + 0x800, [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::equal(high.begin(), high.end(), flash.begin() + 0x800));
    EXPECT_TRUE(std::all_of(flash.begin() + 0x900, flash.end(), [](uint8_t b) { return b == 0xFF; }));
  }
}

TEST_F(EmuDownload, ChipsWithoutReadBackStartWithoutVerification) {
  struct ChipCase {
    int32_t v, c;
    const char* line;
  };
  const ChipCase cases[] = {{2, 0, "Download to STC  STC12C5A8S2 [ZIF].\n"},
                            {3, 3, "Download to NUVOTON(WINBOND)  W78E516D [ZIF].\n"}};
  for (const ChipCase& c : cases) {
    SCOPED_TRACE(c.line);
    host.events.clear();
    host.segments.clear();
    Target(0, c.v, c.c);
    Segment(0x0100, Pattern(0x300, 5));
    ASSERT_TRUE(emu.PrepareDownload());
    ASSERT_TRUE(emu.DownloadImage());
    EXPECT_EQ(Printed(), std::string(c.line) +
                             "Erasing...\nErasing Done.\nProgramming...\nProgramming Done.\n"
                             "Application Reset and Running...");
    EXPECT_EQ(Count(EC_CHIP_READ), 0);
    EXPECT_EQ(device().CommandLog().back(), EC_CHIP_RUN);
  }
}

TEST_F(EmuDownload, OptionsNamingNoChipStopTheDownload) {
  struct OptionCase {
    int32_t v, c;
    const char* printed;
  };
  const OptionCase cases[] = {
      {0, 10, "ORVEN ERROR: Option -C10 Names No ATMEL Chip, Flash Download Abort.\n"},
      {1, 3, "ORVEN ERROR: Option -C3 Names No NXP Chip, Flash Download Abort.\n"},  // not STC's first
      {0, -1, "ORVEN ERROR: Option -C-1 Names No ATMEL Chip, Flash Download Abort.\n"},
      {4, 0, "ORVEN ERROR: Option -V4 Names No Chip Vendor, Flash Download Abort.\n"},
      {-1, 0, "ORVEN ERROR: Option -V-1 Names No Chip Vendor, Flash Download Abort.\n"},
  };
  Target(0);
  for (const OptionCase& c : cases) {
    SCOPED_TRACE(c.printed);
    host.events.clear();
    flags.v = c.v;
    flags.c = c.c;
    EXPECT_EQ(emu.SelectedChipIndex(), emulator::kTargetInvalid);
    EXPECT_FALSE(emu.PrepareDownload());
    EXPECT_EQ(Printed(), c.printed);
    EXPECT_TRUE(device().CommandLog().empty()) << "no chip is initialised";
    EXPECT_FALSE(emu.DownloadImage());
  }
  // The last chip of each vendor is still reachable.
  const int32_t last[][3] = {{0, 9, 9}, {1, 2, 12}, {2, 7, 20}, {3, 3, 24}};
  for (const auto& l : last) {
    flags.v = l[0];
    flags.c = l[1];
    EXPECT_EQ(emu.SelectedChipIndex(), l[2]);
  }
}

TEST_F(EmuDownload, DownloadNeedsAPreparationEachTime) {
  Target(0x10);
  Segment(0, Pattern(0x80, 1));
  EXPECT_FALSE(emu.DownloadImage());
  EXPECT_EQ(Printed(), texts::kNotPrepared);
  EXPECT_TRUE(device().CommandLog().empty());

  ASSERT_TRUE(emu.PrepareDownload());
  ASSERT_TRUE(emu.DownloadImage());
  host.events.clear();
  EXPECT_FALSE(emu.DownloadImage());
  EXPECT_EQ(Printed(), texts::kNotPrepared);

  // A failed preparation does not count either.
  flags.f = 0;
  device().SetTargetChipPresent(false);
  EXPECT_FALSE(emu.PrepareDownload());
  EXPECT_FALSE(emu.DownloadImage());
}

TEST_F(EmuDownload, BytesAtOrPast64KMakeTheImageTooLarge) {
  struct BeyondCase {
    int32_t f, v, c;
    uint32_t start, length;
  };
  const BeyondCase cases[] = {
      {0x10, 0, 0, 0xFF00, 0x200},  // pod
      {0, 0, 4, 0xFF00, 0x200},     // "AT89C51ED2 [ZIF]", 64 KiB: its end passes the buffer
      {0, 0, 4, 0x10000, 1},        // a byte at 0x10000 is not at 0x0000
  };
  for (const BeyondCase& c : cases) {
    SCOPED_TRACE(c.start);
    prompter.Clear();
    host.segments.clear();
    Target(c.f, c.v, c.c);
    Segment(0x0000, Pattern(0x10, 1));
    Segment(c.start, Pattern(c.length, 2));
    ASSERT_TRUE(emu.PrepareDownload());
    device().ClearCommandLog();
    EXPECT_FALSE(emu.DownloadImage());
    ASSERT_EQ(prompter.Boxes().size(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].kind, 'E');
    EXPECT_TRUE(device().CommandLog().empty());
  }
}

TEST_F(EmuDownload, EmptyRecordEndsTheSegmentList) {
  Target(0x10);
  Segment(0x0000, Pattern(0x40, 1));
  host.segments.push_back({0, 0, nullptr, 0x80});
  Segment(0x2000, Pattern(0x40, 2));
  ASSERT_TRUE(emu.PrepareDownload());
  ASSERT_TRUE(emu.DownloadImage());
  EXPECT_EQ(Count(EC_WRITE_CODE), 1);
  EXPECT_EQ(device().PodMemory(mcs51::Space::kCode, 0x2000, 0x40), Bytes(0x40, 0));
}

TEST_F(EmuDownload, WriteFailureNamesTheChunkAndStartsNothing) {
  Target(0, 0, 1);
  Segment(0, Pattern(0x400, 1));
  ASSERT_TRUE(emu.PrepareDownload());
  device().SetFault(EC_CHIP_PROGRAM, sim::Fault{sim::FaultKind::kRefuse, 11, 1, 1});
  EXPECT_FALSE(emu.DownloadImage());
  EXPECT_NE(Printed().find("Programming...\nORVEN ERROR 31: Flash Write Failed at Address 0100H."),
            std::string::npos);
  EXPECT_EQ(Printed().find("Verifying"), std::string::npos);
  EXPECT_EQ(device().CommandLog().back(), EC_CHIP_PROGRAM);
  EXPECT_FALSE(flags.fatal.load());
}

// The read-back differs at the fifth byte of the second chunk.
class EmuScriptedDownload : public ScriptedEmu {};

TEST_F(EmuScriptedDownload, VerifyMismatchNamesTheByte) {
  flags.f = 0;
  flags.v = 0;
  flags.c = 1;
  Open();
  const Bytes image = Pattern(0x200, 4);
  static Bytes kept;
  kept = image;
  host.segments.push_back({0, 0x200, kept.data(), 0x200});
  Reply(EC_CHIP_INIT);
  Reply(EC_CHIP_ERASE);
  ASSERT_TRUE(emu.PrepareDownload());
  Reply(EC_CHIP_PROGRAM);
  Reply(EC_CHIP_PROGRAM);
  Reply(EC_CHIP_READ, 0, 0, Bytes(image.begin(), image.begin() + 0x100));
  Bytes second(image.begin() + 0x100, image.end());
  second[4] ^= 0x01;
  Reply(EC_CHIP_READ, 0, 0, second);
  EXPECT_FALSE(emu.DownloadImage());
  EXPECT_NE(host.Texts(emulator::kHostProgressText).find("Verifying...\nORVEN ERROR 32: Flash Verify Failed at 0104H"),
            std::string::npos);
  const auto sent = Sent();
  EXPECT_TRUE(SameBytes(CommandReport(EC_CHIP_READ, 0x80, 0x100, 0x100), sent.back().report));
  const Bytes init = Sent().at(0).report;
  EXPECT_EQ(init[2], EC_CHIP_INIT);
  EXPECT_EQ(Bytes(init.begin() + 12, init.begin() + 36),
            (Bytes{0, 0, 0x1E, 0x52, 0x06, 0, 0x00, 0x20, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace orven::testing
