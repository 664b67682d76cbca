// The frame against simulated programmers: in process on the virtual bus, and through the socket backend
// against a separate orven-sim process.
#include <gtest/gtest.h>

#include "link/command_codes.h"
#include "link/frame.h"
#include "link/socket_backend.h"
#include "sim/devices.h"
#include "sim/virtual_bus.h"
#include "tests/support/device_process.h"
#include "tests/support/scripted_backend.h"

namespace orven {
namespace {

using link::FrameReport;
using testing::Bytes;

enum class Transport { kInProcess, kSocket };

class FrameOverDevice : public ::testing::TestWithParam<Transport> {
 protected:
  void Start(std::vector<std::string> args = {}) {
    if (GetParam() == Transport::kInProcess) {
      device_ = sim::MakeProgrammer(clock_, sim::DeviceModel::kQx410);
      device_->SetInLoader(std::find(args.begin(), args.end(), "--loader") != args.end());
      bus_.Attach(device_);
      backend_ = std::make_unique<sim::SimBackend>(bus_);
    } else {
      process_ = std::make_unique<testing::DeviceProcess>(args);
      ASSERT_TRUE(process_->Ok()) << "orven-sim did not come up";
      backend_ = std::make_unique<link::SocketBackend>(std::vector<std::string>{process_->Path()});
    }
    hid_ = std::make_unique<link::CHid>(*backend_);
    frame_ = std::make_unique<link::CommandFrame>(*hid_, link::FrameFlavour::kProgrammer);
    ASSERT_TRUE(hid_->OpenDevice(link::kProductQx410));
  }

  bool Exchange(FrameReport cmd, const Bytes& data, Bytes* reply = nullptr, uint32_t capacity = 0) {
    FrameReport resp;
    const uint8_t code = cmd.Code();
    if (!frame_->SendCommand(cmd, data.data(), static_cast<uint32_t>(data.size()))) return false;
    if (reply) reply->assign(capacity, 0);
    return frame_->ReceiveResponse(resp, reply ? reply->data() : nullptr, capacity, code, 1000);
  }

  VirtualClock clock_;
  sim::VirtualBus bus_;
  std::shared_ptr<sim::ProgrammerDevice> device_;
  std::unique_ptr<testing::DeviceProcess> process_;
  std::unique_ptr<link::HidBackend> backend_;
  std::unique_ptr<link::CHid> hid_;
  std::unique_ptr<link::CommandFrame> frame_;
};

TEST_P(FrameOverDevice, IdentifyReturnsTheFortyByteIdentity) {
  Start();
  Bytes id;
  ASSERT_TRUE(Exchange(FrameReport::Command(cmd::kIdentify, 0, 40), {}, &id, 40));
  IdentificationBlock block;
  std::copy(id.begin(), id.end(), block.bytes);
  EXPECT_EQ(block.ModelWord(), kModelQx410);
  EXPECT_EQ(block.VersionText(), " V2.07(B571)");
  EXPECT_EQ(block.SerialText(), " 01AB007F");
}

TEST_P(FrameOverDevice, BlocksOfEveryShapeTravelBothWays) {
  Start();
  FrameReport init = FrameReport::Command(cmd::kInitChip);
  const uint8_t params[24] = {0, 0, 0x1E, 0x52, 0x06, 0, 0, 0x20};  // 8 KiB chip
  init.SetParams(params, sizeof params);
  ASSERT_TRUE(Exchange(init, {}));
  for (uint32_t length : {1u, 62u, 63u, 124u, 256u}) {
    SCOPED_TRACE(length);
    Bytes block(length);
    for (uint32_t i = 0; i < length; ++i) block[i] = static_cast<uint8_t>(i * 13 + length);
    ASSERT_TRUE(Exchange(FrameReport::Command(cmd::kProgramBlock, 0x400), block));
    Bytes back;
    ASSERT_TRUE(Exchange(FrameReport::Command(cmd::kReadBlock, 0x400, length), {}, &back, length));
    EXPECT_EQ(back, block);
  }
}

TEST_P(FrameOverDevice, LoaderTakesA1024ByteBlockAsOneCommand) {
  Start({"--loader"});
  ASSERT_TRUE(Exchange(FrameReport::Command(cmd::kLoaderPrepare), {}));
  Bytes block(1024);
  for (uint32_t i = 0; i < 1024; ++i) block[i] = static_cast<uint8_t>(i ^ 0x5A);
  ASSERT_TRUE(Exchange(FrameReport::Command(cmd::kLoaderWrite, 2048), block));
  if (device_) {
    Bytes written = device_->WrittenFirmware();
    EXPECT_TRUE(std::equal(block.begin(), block.end(), written.begin() + 2048));
  }
  // A block past the image is refused with a status, which the programmer side rejects.
  EXPECT_FALSE(Exchange(FrameReport::Command(cmd::kLoaderWrite, 65536), block));
}

INSTANTIATE_TEST_SUITE_P(Transports, FrameOverDevice, ::testing::Values(Transport::kInProcess, Transport::kSocket),
                         [](const auto& p) { return p.param == Transport::kSocket ? "Socket" : "InProcess"; });

// What only the in-process bus shows: the exact reports the device received, and virtual time.
class SimBus : public ::testing::Test {
 protected:
  void SetUp() override {
    bus.Attach(device);
    ASSERT_TRUE(hid.OpenDevice(0));
  }
  VirtualClock clock;
  sim::VirtualBus bus;
  std::shared_ptr<sim::ProgrammerDevice> device = sim::MakeProgrammer(clock, sim::DeviceModel::kQx410);
  sim::SimBackend backend{bus};
  link::CHid hid{backend};
  link::CommandFrame frame{hid, link::FrameFlavour::kProgrammer};
};

TEST_F(SimBus, DeviceSeesTheExactReportStream) {
  device->RecordReports(true);
  Bytes data(256, 0x77);
  FrameReport cmd = FrameReport::Command(cmd::kProgramBlock, 0);
  ASSERT_TRUE(frame.SendCommand(cmd, data.data(), 256));
  auto reports = device->ReceivedReports();
  ASSERT_EQ(reports.size(), 6u);
  for (int s = 0; s < 5; ++s) EXPECT_EQ(reports[1 + s][1], s);
}

TEST_F(SimBus, ATimeOutCostsVirtualTimeAndALateReplyIsPurged) {
  device->SetFault(cmd::kQueryFirmwareState, {sim::FaultKind::kSlowReply, 800});
  FrameReport cmd = FrameReport::Command(cmd::kQueryFirmwareState);
  FrameReport resp;
  ASSERT_TRUE(frame.SendCommand(cmd, nullptr, 0));
  const uint64_t before = clock.NowMs();
  EXPECT_FALSE(frame.ReceiveResponse(resp, nullptr, 0, cmd::kQueryFirmwareState, 500));
  EXPECT_EQ(clock.NowMs() - before, 500u);
  clock.Advance(1000);  // the late reply has now arrived in the host's buffer

  // The next command purges it and gets its own reply.
  Bytes id(40);
  FrameReport identify = FrameReport::Command(cmd::kIdentify, 0, 40);
  ASSERT_TRUE(frame.SendCommand(identify, nullptr, 0));
  EXPECT_TRUE(frame.ReceiveResponse(resp, id.data(), 40, cmd::kIdentify, 500));
}

TEST(SimBusRestart, ADeviceThatLeavesComesBackUnderTheSameIds) {
  VirtualClock clock;
  sim::VirtualBus bus;
  auto other = sim::MakeProgrammer(clock, sim::DeviceModel::kOrvenf);
  auto device = sim::MakeProgrammer(clock, sim::DeviceModel::kQx410);
  bus.Attach(other);
  bus.Attach(device);
  sim::SimBackend backend(bus);
  link::CHid hid(backend);
  ASSERT_TRUE(hid.OpenDevice(link::kProductQx410));
  device->LeaveBus(3000);
  uint8_t report[65] = {};
  uint32_t count = 0;
  EXPECT_FALSE(hid.WriteReport(report, &count)) << "a handle from before the restart is dead";
  EXPECT_FALSE(hid.OpenDevice(link::kProductQx410));
  clock.Advance(3000);
  auto present = backend.Enumerate();
  ASSERT_EQ(present.size(), 2u);
  EXPECT_EQ(present[1].productId, link::kProductQx410);
  EXPECT_TRUE(hid.OpenDevice(link::kProductQx410));
  EXPECT_TRUE(hid.WriteReport(report, &count));
}

}  // namespace
}  // namespace orven
