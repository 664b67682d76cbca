// orven-sim serving the QX410 with its emulator side as a separate device process.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "link/command_codes.h"
#include "link/frame.h"
#include "link/hid.h"
#include "link/socket_backend.h"
#include "tests/support/device_process.h"

namespace orven::testing {
namespace {

using namespace orven::cmd;

// Runs orven-sim with arguments that make it stop at once; its exit status and what it printed.
std::pair<int, std::string> RunToExit(const std::string& args) {
  std::string output;
  FILE* p = popen((BinDir() + "/orven-sim --listen /tmp/orven-unused.sock " + args + " 2>&1").c_str(), "r");
  if (p == nullptr) return {-1, ""};
  char buf[512];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) output.append(buf, n);
  const int status = pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

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

// --latency-ms holds every reply back: a host that waits less sees a time-out, and the reply comes after.
TEST(EmulatorProcess, LatencyHoldsEachReplyBack) {
  DeviceProcess device({"--latency-ms", "300"});
  ASSERT_TRUE(device.Ok());
  link::SocketBackend backend({device.Path()});
  link::CHid hid(backend);
  ASSERT_TRUE(hid.OpenDevice(link::kProductQx410));
  link::CommandFrame frame(hid, link::FrameFlavour::kEmulator);

  link::FrameReport command = link::FrameReport::Command(EC_STATUS);
  ASSERT_TRUE(frame.SendCommand(command, nullptr, 0));
  link::FrameReport response;
  EXPECT_FALSE(frame.ReceiveResponse(response, nullptr, 0, EC_STATUS, 100));
  EXPECT_EQ(frame.LastError(), link::FrameError::kNoResponse);
  EXPECT_TRUE(frame.ReceiveResponse(response, nullptr, 0, EC_STATUS, 5000));
}

TEST(EmulatorProcess, RefusesABadLatency) {
  for (const char* value : {"60001", "2ms", "-1"}) {
    SCOPED_TRACE(value);
    const auto [status, output] = RunToExit(std::string("--latency-ms ") + value);
    EXPECT_EQ(status, 2) << output;
    EXPECT_NE(output.find(std::string("bad number '") + value + "' for --latency-ms"), std::string::npos) << output;
  }
}

TEST(EmulatorProcess, RefusesPodFlagsForTheOrvenf) {
  const auto [status, output] = RunToExit("--model orvenf --no-pod");
  EXPECT_EQ(status, 2) << output;
  EXPECT_NE(output.find("need --model qx410"), std::string::npos) << output;
}

}  // namespace
}  // namespace orven::testing
