// orven-sim serving the QX410 with its emulator side as a separate device process.
#include <gtest/gtest.h>

#include "link/command_codes.h"
#include "link/frame.h"
#include "link/hid.h"
#include "link/socket_backend.h"
#include "tests/support/device_process.h"

namespace orven::testing {
namespace {

using namespace orven::cmd;

TEST(EmulatorProcess, ServesTheEmulatorCommandsWithItsKnobs) {
  DeviceProcess device({"--model", "qx410", "--firmware-build", "563", "--no-pod"});
  ASSERT_TRUE(device.Ok());
  link::SocketBackend backend({device.Path()});
  link::CHid hid(backend);
  ASSERT_TRUE(hid.OpenDevice(link::kProductQx410));
  link::CommandFrame frame(hid, link::FrameFlavour::kEmulator);

  link::FrameReport command = link::FrameReport::Command(EC_IDENTIFY, 0, 40);
  ASSERT_TRUE(frame.SendCommand(command, nullptr, 0));
  link::FrameReport response;
  uint8_t id[40] = {};
  ASSERT_TRUE(frame.ReceiveResponse(response, id, sizeof id, EC_IDENTIFY, 2000));
  EXPECT_EQ(GetU16Le(id), 0x5295);
  EXPECT_EQ(GetU32Le(id + 24), 563u);

  // Without a pod, pod check stays unanswered (a short wait in real time).
  command = link::FrameReport::Command(EC_POD_CHECK);
  ASSERT_TRUE(frame.SendCommand(command, nullptr, 0));
  EXPECT_FALSE(frame.ReceiveResponse(response, nullptr, 0, EC_POD_CHECK, 100));
  EXPECT_EQ(frame.LastError(), link::FrameError::kNoResponse);

  command = link::FrameReport::Command(EC_STATUS);
  ASSERT_TRUE(frame.SendCommand(command, nullptr, 0));
  ASSERT_TRUE(frame.ReceiveResponse(response, nullptr, 0, EC_STATUS, 2000));
  EXPECT_EQ(response.Status(), 0);
  EXPECT_EQ(response.Result(), 0u);
}

TEST(EmulatorProcess, RefusesPodFlagsForTheOrvenf) {
  std::string output;
  FILE* p = popen((BinDir() + "/orven-sim --listen /tmp/orven-unused.sock --model orvenf --no-pod 2>&1").c_str(), "r");
  ASSERT_NE(p, nullptr);
  char buf[512];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) output.append(buf, n);
  const int status = pclose(p);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << output;
  EXPECT_NE(output.find("need --model qx410"), std::string::npos) << output;
}

}  // namespace
}  // namespace orven::testing
