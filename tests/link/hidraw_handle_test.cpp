// The hidraw handle over a SOCK_SEQPACKET pair: like a hidraw node, each write and read moves one report.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "link/hidapi_backend.h"

namespace orven::link {
namespace {

class HidrawHandleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
    handle_ = std::make_unique<HidrawHandle>(fds[0]);
    device_ = fds[1];
  }
  void TearDown() override {
    handle_.reset();
    if (device_ >= 0) ::close(device_);
  }
  std::unique_ptr<HidrawHandle> handle_;
  int device_ = -1;  // the fake device's end
};

TEST_F(HidrawHandleTest, AWriteToADeviceThatNeverTakesTheReportGivesUpAfterItsTimeOut) {
  // The fake device never reads: fill its queue until a report no longer fits.
  uint8_t report[65] = {0, 0x58};
  int queued = 0;
  for (;; ++queued) {
    const auto start = std::chrono::steady_clock::now();
    const TransferResult r = handle_->Write(report, sizeof report, 0);
    if (r != TransferResult::kOk) {
      ASSERT_EQ(r, TransferResult::kTimeout);
      ASSERT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
      break;
    }
    ASSERT_LT(queued, 100000);
  }
  ASSERT_GT(queued, 0);
  // Real time, not the virtual clock: the wait is the kernel's poll on the descriptor, which only real time
  // ends. It is the one test of the link that takes half a second.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(handle_->Write(report, sizeof report, 500), TransferResult::kTimeout);
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_GE(took.count(), 490);
  EXPECT_LT(took.count(), 1500) << "the write must not wait for the USB stack's own limit";
}

TEST_F(HidrawHandleTest, ReportsTravelWithoutTheirIdAndComeBackBehindByteZero) {
  uint8_t out[65] = {};
  for (int i = 1; i < 65; ++i) out[i] = static_cast<uint8_t>(i);
  ASSERT_EQ(handle_->Write(out, sizeof out, 500), TransferResult::kOk);
  uint8_t seen[80];
  ASSERT_EQ(::read(device_, seen, sizeof seen), 65) << "hidraw takes the report id byte with the report";

  uint8_t payload[64];
  std::memset(payload, 0xA5, sizeof payload);
  ASSERT_EQ(::write(device_, payload, sizeof payload), 64);
  uint8_t in[65];
  std::memset(in, 0x77, sizeof in);
  size_t got = 0;
  ASSERT_EQ(handle_->Read(in, sizeof in, 500, &got), TransferResult::kOk);
  EXPECT_EQ(got, 65u);
  EXPECT_EQ(in[0], 0);
  EXPECT_EQ(in[64], 0xA5);

  // Nothing more: a time-out; a device that left: an error, also for writes.
  EXPECT_EQ(handle_->Read(in, sizeof in, 10, &got), TransferResult::kTimeout);
  EXPECT_EQ(got, 0u);
  ::write(device_, payload, sizeof payload);
  EXPECT_TRUE(handle_->Purge());
  EXPECT_EQ(handle_->Read(in, sizeof in, 0, &got), TransferResult::kTimeout) << "the purge left a report behind";
  ::close(device_);
  device_ = -1;
  EXPECT_EQ(handle_->Read(in, sizeof in, 500, &got), TransferResult::kError);
  EXPECT_EQ(handle_->Write(out, sizeof out, 500), TransferResult::kError);
}

TEST(HidapiBackend, AnOpenRefusedForLackOfRightsIsToldApartFromAMissingNode) {
  HidapiBackend backend;
  // A read-only sysfs attribute refuses a read/write open with EACCES, even to root: it stands in for a hidraw
  // node without the udev rule.
  const char* readOnly = "/sys/devices/system/cpu/online";
  if (::access(readOnly, F_OK) != 0) GTEST_SKIP() << "no sysfs";
  EXPECT_EQ(backend.Open(readOnly), nullptr);
  EXPECT_EQ(backend.DeniedPath(), readOnly);
  EXPECT_EQ(backend.Open("/nonexistent/hidraw99"), nullptr);
  EXPECT_TRUE(backend.DeniedPath().empty()) << "a node that is not there is not a permission problem";
}

}  // namespace
}  // namespace orven::link
