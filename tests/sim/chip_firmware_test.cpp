// The emulator as a programmer of a target chip (the driver's download to a real chip) and its firmware
// upgrade to the build the driver carries.
#include <gtest/gtest.h>

#include "firmware/carried_firmware.h"
#include "tests/sim/emulator_rig.h"

namespace orven::testing {
namespace {

using namespace orven::cmd;

// A ChipParameterBlock: @0 algorithm, @2..5 signature, @6 u32 capacity.
std::vector<uint8_t> Block(uint8_t algorithm, uint32_t capacity, std::vector<uint8_t> signature = {0, 0, 0, 0}) {
  std::vector<uint8_t> b(24, 0);
  b[0] = algorithm;
  std::copy(signature.begin(), signature.end(), b.begin() + 2);
  PutU32Le(b.data() + 6, capacity);
  return b;
}

Answer Init(EmulatorRig& rig, const std::vector<uint8_t>& block) {
  return rig.Exchange(Command{EC_CHIP_INIT, 0, 0, {}, block}, emu_timeout::kChipInit);
}

TEST(EmulatorChip, InitEraseProgramReadAndRun) {
  EmulatorRig rig;
  ASSERT_EQ(Init(rig, Block(0, 0x2000, {0x1E, 0x52, 0x06, 0x00})).status, 0);  // AT89S52
  ASSERT_EQ(rig.Device().Flash().size(), 0x2000u);
  rig.Device().SetFlash(0x10, {0x12, 0x34});
  ASSERT_EQ(rig.Exchange(Command{EC_CHIP_ERASE, 0, 0, {}, {}}, emu_timeout::kChipErase).status, 0);
  EXPECT_EQ(rig.Device().Flash(), std::vector<uint8_t>(0x2000, 0xFF));

  std::vector<uint8_t> block(256);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7 + 1);
  ASSERT_EQ(rig.Write(EC_CHIP_PROGRAM, 0x1F00, block).status, 0);
  const std::vector<uint8_t> flash = rig.Device().Flash();
  EXPECT_EQ(std::vector<uint8_t>(flash.begin() + 0x1F00, flash.end()), block);
  EXPECT_EQ(flash[0x1EFF], 0xFF);

  Answer read = rig.Exchange(EC_CHIP_READ, 0x1F00, 256);
  EXPECT_EQ(read.status, 0);
  EXPECT_EQ(read.data, block);
  EXPECT_EQ(rig.Exchange(EC_CHIP_READ, 0x1F80, 256).status, 12);
  EXPECT_EQ(rig.Write(EC_CHIP_PROGRAM, 0x1F80, block).status, 11);
  EXPECT_EQ(rig.Exchange(EC_CHIP_RUN).status, 0);
  // The pod's code memory is another memory: nothing of the chip's download lands there.
  EXPECT_EQ(rig.Device().PodMemory(mcs51::Space::kCode, 0x1F00, 4), std::vector<uint8_t>(4, 0));
}

TEST(EmulatorChip, InitRefusesABadBlockOrAMissingChip) {
  struct Case {
    const char* name;
    std::vector<uint8_t> block;
    bool chipPresent;
    uint8_t status;
  } const cases[] = {
      {"W78E516D", Block(2, 0x10000), true, 0},
      {"AT89C51ED2", Block(7, 0x10000, {0x58, 0xD7, 0xEC, 0xEF}), true, 0},
      {"unknown algorithm", Block(9, 0x2000), true, sim::kEmuStatusBadAlgorithm},
      {"no capacity", Block(0, 0), true, sim::kEmuStatusBadSize},
      {"beyond 256 KiB", Block(0, 0x40001), true, sim::kEmuStatusBadSize},
      {"no chip", Block(0, 0x1000), false, sim::kEmuStatusNoChip},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EmulatorRig rig;
    rig.Device().SetTargetChipPresent(c.chipPresent);
    EXPECT_EQ(Init(rig, c.block).status, c.status);
  }
}

TEST(EmulatorFirmware, UpgradeThroughTheLoaderReportsTheDriversBuild) {
  sim::EmulatorOptions options;
  options.firmwareBuild = 562;
  EmulatorRig rig(options);
  EXPECT_EQ(rig.Device().Identity().Build(), 562u);
  rig.Load({0x80, 0xFE});
  ASSERT_EQ(rig.Go().status, 0);
  EXPECT_EQ(rig.Status().value, kEmulatorRunning);

  // Into the loader: the emulator leaves the bus and comes back without its debug side.
  EXPECT_TRUE(rig.SendsNoReply({EC_ENTER_LOADER, 0, 0, {}, {}}));
  rig.Hid().CloseDevice();
  rig.clock.Advance(2600);
  ASSERT_TRUE(rig.Hid().OpenDevice(link::kProductQx410));
  EXPECT_EQ(rig.Status().value, kFirmwareStateLoader);
  EXPECT_EQ(rig.Go().status, sim::kEmuStatusRefused);

  const firmware::FirmwareDescriptor& carried = firmware::EmulatorFirmware();
  ASSERT_EQ(rig.Exchange(Command{EC_FW_BEGIN, 0, 0, {}, {}}, emu_timeout::kFwBegin).status, 0);
  for (uint32_t offset = 0; offset < firmware::kImageSize; offset += 1024) {
    const std::vector<uint8_t> chunk(carried.Image() + offset, carried.Image() + offset + 1024);
    ASSERT_EQ(rig.Exchange(Command{EC_FW_DATA, offset, 0, chunk, {}}, emu_timeout::kFwData).status, 0) << offset;
  }
  ASSERT_EQ(rig.Exchange(EC_FW_END).status, 0);
  EXPECT_TRUE(rig.SendsNoReply({EC_RESTART, 0, 0, {}, {}}));
  rig.Hid().CloseDevice();
  rig.clock.Advance(2500);
  ASSERT_TRUE(rig.Hid().OpenDevice(link::kProductQx410));

  Answer id = rig.Exchange(EC_IDENTIFY, 0, 40);
  ASSERT_EQ(id.data.size(), 40u);
  IdentificationBlock block;
  std::copy(id.data.begin(), id.data.end(), block.bytes);
  EXPECT_EQ(block.Build(), 563u);
  EXPECT_EQ(block.VersionText(), " V2.06(B563)");
  // The restart reset the pod: halted, and the debug commands are back.
  EXPECT_EQ(rig.Status().value, 0u);
  EXPECT_EQ(rig.Pc(), 0x0000);
}

}  // namespace
}  // namespace orven::testing
