// CHid over scripted devices: which device opens, how runs of reports are cut, how closing behaves.
#include "link/hid.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_backend.h"

namespace orven::link {
namespace {

TEST(OpenDevice, MatchesVendorAndProductInEnumerationOrder) {
  testing::ScriptedBackend backend;
  auto other = backend.Add(0x1234, kProductQx410);  // another vendor's 0x5120
  auto orvenf = backend.Add(kVendorId, kProductOrvenf);
  auto qx410 = backend.Add(kVendorId, kProductQx410);
  struct Case {
    uint16_t product;
    std::shared_ptr<testing::ScriptedDevice> opened;
  };
  for (const Case& c : {Case{kProductQx410, qx410}, Case{kProductOrvenf, orvenf}, Case{0, orvenf}, Case{0x9999, nullptr}}) {
    SCOPED_TRACE(c.product);
    for (auto& d : backend.devices) d->handlesOpened = 0;
    CHid hid(backend);
    EXPECT_EQ(hid.OpenDevice(c.product), c.opened != nullptr);
    EXPECT_EQ(hid.IsConnected(), c.opened != nullptr);
    for (auto& d : backend.devices) EXPECT_EQ(d->handlesOpened, d == c.opened ? 1 : 0);
    EXPECT_EQ(other->handlesOpened, 0) << "another vendor's device is never opened";
  }
  // The exact form takes both ids as given.
  CHid hid(backend);
  EXPECT_TRUE(hid.OpenDevice(0x1234, kProductQx410));
  EXPECT_EQ(other->handlesOpened, 1);
  EXPECT_FALSE(hid.OpenDevice(kVendorId, 0));
}

TEST(OpenDevice, ReopeningClosesTheHandleStillOpen) {
  testing::ScriptedBackend backend;
  auto d = backend.Add(kVendorId, kProductQx410);
  CHid hid(backend);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(hid.OpenDevice(kProductQx410));
  EXPECT_EQ(d->handlesOpened, 3);
  EXPECT_EQ(d->handlesOpen, 1);
  hid.CloseDevice();
  EXPECT_EQ(d->handlesOpen, 0);
}

TEST(CloseDevice, OnAClosedLinkOnlyClearsTheFlag) {
  testing::ScriptedBackend backend;
  auto d = backend.Add(kVendorId, kProductQx410);
  CHid hid(backend);
  hid.CloseDevice();
  EXPECT_FALSE(hid.IsConnected());
  EXPECT_EQ(d->purges, 0);
  EXPECT_FALSE(hid.PurgeInput());
  uint32_t count = 99;
  uint8_t report[65] = {};
  EXPECT_FALSE(hid.ReadReport(report, &count, 500));
  EXPECT_EQ(count, 0u);
}

TEST(Reports, RunsOfReportsCarry64PayloadBytesEach) {
  testing::ScriptedBackend backend;
  auto d = backend.Add(kVendorId, kProductQx410);
  CHid hid(backend);
  ASSERT_TRUE(hid.OpenDevice(0));
  uint8_t data[128];
  for (int i = 0; i < 128; ++i) data[i] = static_cast<uint8_t>(i);
  ASSERT_TRUE(hid.WriteData(data, 64, 500));
  EXPECT_EQ(d->output.size(), 1u);
  ASSERT_TRUE(hid.WriteData(data, 65, 500));
  ASSERT_EQ(d->output.size(), 3u);
  EXPECT_EQ(d->output[2][0], 64);

  d->input.push_back(testing::Bytes(64, 0x42));
  d->input.push_back(testing::Bytes(64, 0x43));
  uint8_t dest[64] = {};
  ASSERT_TRUE(hid.ReadData(dest, 64, 500));
  EXPECT_EQ(d->reads, 1) << "64 bytes are one report";
  EXPECT_EQ(dest[63], 0x42);
}

TEST(Reports, ATimeOutFailsWithNothingStored) {
  testing::ScriptedBackend backend;
  backend.Add(kVendorId, kProductQx410);
  CHid hid(backend);
  ASSERT_TRUE(hid.OpenDevice(0));
  uint8_t dest[64] = {};
  EXPECT_FALSE(hid.ReadData(dest, 64, 500));
  uint32_t count = 7;
  uint8_t report[65];
  EXPECT_FALSE(hid.ReadReport(report, &count, 10));
  EXPECT_EQ(count, 0u);
}

}  // namespace
}  // namespace orven::link
