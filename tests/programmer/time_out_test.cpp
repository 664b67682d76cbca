// Every programmer command's reply time-out, the exact length of block replies, the command codes and the
// identification offsets on the wire, and the factory configuration of simulated chips.
#include <gtest/gtest.h>

#include "firmware/carried_firmware.h"
#include "link/command_codes.h"
#include "tests/support/programmer_rig.h"

namespace orven::programmer {
namespace {

using testing::MakeChip;
using testing::ProgrammerRig;

// Chip commands: a reply that arrives exactly when the time-out ends is still taken; one a millisecond later
// fails the operation. The values are the programmer's own, written out here rather than taken from the
// shared header.
TEST(TimeOut, EveryChipCommandWaitsExactlyItsOwnTimeForTheReply) {
  struct Case {
    uint8_t code;
    uint32_t mask;
    uint32_t timeoutMs;
  };
  const Case cases[] = {
      {29, kOpErase, 5000},      {30, kOpErase, 500},       {31, kOpSignature, 500},   {32, kOpProgram, 500},
      {33, kOpRead, 500},        {34, kOpBlankCheck, 500},  {35, kOpProgram, 2000},    {36, kOpRead, 1000},
      {36, kOpVerify, 500},      {38, kOpErase, 6000},      {40, kOpWriteConfig, 500}, {41, kOpReadConfig, 500},
  };
  for (const Case& c : cases) {
    for (uint32_t delay : {c.timeoutMs, c.timeoutMs + 1}) {
      SCOPED_TRACE(::testing::Message() << "command " << int(c.code) << ", mask 0x" << std::hex << c.mask
                                        << std::dec << ", reply after " << delay << " ms");
      ProgrammerRig rig;
      ASSERT_TRUE(rig.Connect());
      rig.device->SetCommandDelay(c.code, delay);
      rig.Run(c.mask, MakeChip(0x200));
      EXPECT_EQ(rig.api.LastRunSucceeded(), delay == c.timeoutMs);
    }
  }
}

TEST(TimeOut, IdentifyAndTheFirmwareLoaderCommandsWaitTheirOwnTime) {
  for (uint32_t delay : {500u, 501u}) {
    ProgrammerRig rig;
    rig.device->SetCommandDelay(0, delay);
    EXPECT_EQ(rig.Connect(), delay == 500) << "Identify, reply after " << delay << " ms";
  }
  struct Case {
    uint8_t code;
    uint32_t timeoutMs;
  };
  for (const Case& c : {Case{3, 5000}, Case{4, 1000}, Case{5, 500}, Case{7, 2000}}) {
    for (uint32_t delay : {c.timeoutMs, c.timeoutMs + 1}) {
      SCOPED_TRACE(::testing::Message() << "command " << int(c.code) << ", reply after " << delay << " ms");
      ProgrammerRig rig;
      IdentificationBlock old = rig.device->Identity();
      old.SetVersion(2, 0x05, 500);
      rig.device->SetIdentity(old);
      ASSERT_TRUE(rig.Connect());
      rig.device->SetCommandDelay(c.code, delay);
      rig.api.StartFirmwareUpdate(firmware::Qx410Firmware().Image());
      rig.api.WaitIdle();
      EXPECT_EQ(rig.api.LastRunSucceeded(), delay == c.timeoutMs);
    }
  }
}

// A programmer whose Read block replies carry one byte less than asked for.
class ShortBlockDevice final : public sim::ProgrammerDevice {
 public:
  explicit ShortBlockDevice(Clock& clock) : ProgrammerDevice(clock, sim::Qx410Model()) {}

 protected:
  sim::Reply OnCommand(const sim::FrameReport& command, const std::vector<uint8_t>& data) override {
    sim::Reply r = ProgrammerDevice::OnCommand(command, data);
    if (command.Code() == 36 && shortFrom_ <= command.Argument() && !r.data.empty()) r.data.pop_back();
    return r;
  }

 public:
  uint32_t shortFrom_ = 0x100;  // blocks at and after this address come short
};

TEST(BlockLength, AReadOrVerifyBlockReplyShorterThanAskedForFails) {
  for (uint32_t mask : {uint32_t{kOpRead}, uint32_t{kOpVerify}}) {
    SCOPED_TRACE(mask);
    VirtualClock clock;
    sim::VirtualBus bus;
    sim::SimBackend backend(bus);
    auto device = std::make_shared<ShortBlockDevice>(clock);
    bus.Attach(device);
    testing::RecordingSink sink;
    std::vector<uint8_t> buffer(0x40000 + 32, 0xFF);
    CIceAPI api(backend, clock);
    api.SetWindow(&sink);
    api.SetBuffers(buffer.data(), buffer.data() + 0x40000);
    ASSERT_NE(api.Connect(0x5295), 0);
    device->SetFlash(0, std::vector<uint8_t>(0x200, 0x5A));
    // The second block comes one byte short; a stale or padded byte must not pass as chip data.
    if (mask == kOpVerify) std::fill(buffer.begin(), buffer.begin() + 0x200, 0x5A);
    const ChipEntry chip = MakeChip(0x200);
    api.StartOperation(mask, &chip);
    api.WaitIdle();
    EXPECT_FALSE(api.LastRunSucceeded());
    EXPECT_EQ(sink.Count(kNotifyProgressStep), 1) << "only the first block was accepted";
    if (mask == kOpRead) {
      EXPECT_EQ(buffer[0xFF], 0x5A);
      EXPECT_EQ(buffer[0x100], 0xFF) << "the short block is not copied into the image";
    }
  }
}

TEST(Wire, CommandCodesAndIdentificationOffsetsAsTheProgrammerSeesThem) {
  ProgrammerRig rig;
  IdentificationBlock old = rig.device->Identity();
  old.SetVersion(2, 0x05, 500);
  rig.device->SetIdentity(old);
  rig.device->RecordReports(true);
  ASSERT_TRUE(rig.Connect());
  rig.api.StartFirmwareUpdate(firmware::Qx410Firmware().Image());
  rig.api.WaitIdle();
  ASSERT_TRUE(rig.api.LastRunSucceeded());
  rig.Run(0xFF, MakeChip(0x100));
  std::vector<int> codes;
  for (const auto& r : rig.device->ReceivedReports()) {
    if (r[0] != 0x58) continue;  // command reports only
    if (codes.empty() || codes.back() != r[2]) codes.push_back(r[2]);
  }
  // Identify, query state, enter loader, prepare, write blocks, finish, start application, identify; then
  // initialise, signature, erase, begin reading, blank check, begin programming, program, begin reading, read,
  // begin reading, read (verify), write and read configuration, end of operation.
  EXPECT_EQ(codes, (std::vector<int>{0, 7, 2, 3, 4, 5, 1, 0, 29, 31, 38, 33, 34, 32, 35, 33, 36, 33, 36, 40, 41, 30}));

  // The identification block as the programmer sends it: @0 model word, @16 major, @17 minor, @24 build,
  // @32 serial.
  IdentificationBlock id;
  const uint8_t raw[40] = {0x95, 0x52, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0x07, 0, 0,
                           0, 0, 0, 0, 0x3B, 0x02, 0, 0, 0, 0, 0, 0, 0x01, 0xAB, 0x00, 0x7F, 0, 0, 0, 0};
  std::copy(std::begin(raw), std::end(raw), id.bytes);
  EXPECT_EQ(id.ModelWord(), 0x5295);
  EXPECT_EQ(id.Major(), 2);
  EXPECT_EQ(id.Minor(), 7);
  EXPECT_EQ(id.Build(), 571u);
  EXPECT_EQ(id.VersionText(), " V2.07(B571)");
  EXPECT_EQ(id.SerialText(), " 01AB007F");
}

TEST(SimulatedChip, AChipPutInTheSocketStartsWithItsFactoryConfiguration) {
  ProgrammerRig rig;
  ASSERT_TRUE(rig.Connect());
  const ChipEntry withFile = MakeChip(0x4000, 1, 1, {0x1E, 0x94, 0x03});
  const ChipEntry without = MakeChip(0x2000);
  std::array<uint8_t, 24> parameters;
  std::copy(std::begin(withFile.parameters.bytes), std::end(withFile.parameters.bytes), parameters.begin());
  std::array<uint8_t, 32> factory{0xE1, 0x99};
  rig.device->SetFactoryConfig(parameters, factory);

  rig.Run(kOpReadConfig, withFile);
  EXPECT_EQ(rig.Config()[0], 0xE1);
  EXPECT_EQ(rig.Config()[1], 0x99);
  // Written bytes stay with the chip while it stays in the socket.
  rig.Config()[0] = 0xA1;
  rig.Run(kOpWriteConfig, withFile);
  rig.Run(kOpReadConfig, withFile);
  EXPECT_EQ(rig.Config()[0], 0xA1);
  // Another chip arrives with its own bytes: zeros when nothing is known of it, the factory's when it is.
  rig.Run(kOpReadConfig, without);
  EXPECT_EQ(rig.Config()[0], 0);
  rig.Run(kOpReadConfig, withFile);
  EXPECT_EQ(rig.Config()[0], 0xE1);
}

}  // namespace
}  // namespace orven::programmer
