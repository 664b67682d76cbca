// The firmware update against the simulated programmer and its loader.
#include <gtest/gtest.h>

#include "firmware/carried_firmware.h"
#include "link/command_codes.h"
#include "tests/support/programmer_rig.h"

namespace orven::programmer {
namespace {

using testing::ProgrammerRig;
using Codes = std::vector<uint8_t>;

Codes LoaderSequence() {
  Codes c = {cmd::kLoaderPrepare};
  c.insert(c.end(), 64, cmd::kLoaderWrite);
  c.push_back(cmd::kLoaderFinish);
  c.push_back(cmd::kStartApplication);
  c.push_back(cmd::kIdentify);
  return c;
}

void Update(ProgrammerRig& rig, const firmware::FirmwareDescriptor& fw) {
  rig.api.StartFirmwareUpdate(fw.Image());
  rig.api.WaitIdle();
}

TEST(FirmwareUpdate, FromTheApplicationThroughTheLoaderToTheNewBuild) {
  ProgrammerRig rig;
  IdentificationBlock old = rig.device->Identity();
  old.SetVersion(2, 0x05, 500);
  rig.device->SetIdentity(old);
  ASSERT_TRUE(rig.Connect());
  rig.device->ClearCommandLog();
  rig.device->RecordReports(true);
  const uint64_t start = rig.clock.NowMs();
  Update(rig, firmware::Qx410Firmware());

  Codes expected = {cmd::kQueryFirmwareState, cmd::kEnterLoader};
  Codes loader = LoaderSequence();
  expected.insert(expected.end(), loader.begin(), loader.end());
  EXPECT_EQ(rig.device->CommandLog(), expected);
  EXPECT_EQ(rig.sink.Log(), "升级固件...\n固件升级成功.\n");
  EXPECT_EQ(rig.sink.Count(kNotifyProgressStep), 64);
  EXPECT_EQ(rig.sink.Notes()[1].value, 64u) << "64 steps announced";
  EXPECT_EQ(rig.sink.Count(kNotifyFirmwareUpdated), 1);
  EXPECT_EQ(rig.sink.Notes().back().code, kNotifyFinished);
  EXPECT_EQ(rig.clock.NowMs() - start, 2u * (500 + 5000)) << "two restarts, each 500 ms + 5 s";

  // Block offsets 0 … 64,512, and the image arrives byte for byte.
  std::vector<uint32_t> offsets;
  for (const auto& r : rig.device->ReceivedReports()) {
    if (r[0] == 0x58 && r[2] == cmd::kLoaderWrite) offsets.push_back(GetU32Le(r.data() + 4));
  }
  ASSERT_EQ(offsets.size(), 64u);
  for (uint32_t i = 0; i < 64; ++i) EXPECT_EQ(offsets[i], i * 1024);
  std::vector<uint8_t> written = rig.device->WrittenFirmware();
  EXPECT_TRUE(std::equal(written.begin(), written.end(), firmware::Qx410Firmware().Image()));

  IdentificationBlock now;
  ASSERT_TRUE(rig.api.GetIdentity(&now));
  EXPECT_EQ(now.Build(), 571u);
  EXPECT_EQ(now.VersionText(), " V2.07(B571)");
}

TEST(FirmwareUpdate, ADeviceAlreadyInItsLoaderSkipsTheFirstRestart) {
  ProgrammerRig rig;
  rig.device->SetInLoader(true);
  ASSERT_TRUE(rig.Connect());
  IdentificationBlock id;
  ASSERT_TRUE(rig.api.GetIdentity(&id));
  EXPECT_EQ(id.Build(), 0u) << "the loader reports build 0";
  rig.device->ClearCommandLog();
  const uint64_t start = rig.clock.NowMs();
  Update(rig, firmware::Qx410Firmware());
  Codes expected = {cmd::kQueryFirmwareState};
  Codes loader = LoaderSequence();
  expected.insert(expected.end(), loader.begin(), loader.end());
  EXPECT_EQ(rig.device->CommandLog(), expected);
  EXPECT_EQ(rig.clock.NowMs() - start, 5500u);
  EXPECT_EQ(rig.sink.Log(), "升级固件...\n固件升级成功.\n");
}

TEST(FirmwareUpdate, EndsWithoutSuccessWhenTheDeviceDoesNotComeBackOrAStepFails) {
  struct Case {
    const char* what;
    void (*arrange)(sim::ProgrammerDevice&);
  };
  const Case cases[] = {
      {"never returns after the loader restart", [](sim::ProgrammerDevice& d) { d.SetRestartDelay(0, false); }},
      {"returns too late", [](sim::ProgrammerDevice& d) { d.SetRestartDelay(6000); }},
      {"state query unanswered",
       [](sim::ProgrammerDevice& d) { d.SetFault(cmd::kQueryFirmwareState, {sim::FaultKind::kNoReply}); }},
      {"prepare refused", [](sim::ProgrammerDevice& d) { d.SetFault(cmd::kLoaderPrepare, {sim::FaultKind::kRefuse, 1}); }},
      {"block 40 unanswered",
       [](sim::ProgrammerDevice& d) { d.SetFault(cmd::kLoaderWrite, {sim::FaultKind::kNoReply, 0, 40}); }},
      {"finish refused", [](sim::ProgrammerDevice& d) { d.SetFault(cmd::kLoaderFinish, {sim::FaultKind::kRefuse, 2}); }},
      {"identify after the restart fails",
       [](sim::ProgrammerDevice& d) { d.SetFault(cmd::kIdentify, {sim::FaultKind::kWrongMarker, 0, 1}); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProgrammerRig rig;
    c.arrange(*rig.device);
    ASSERT_TRUE(rig.Connect());
    Update(rig, firmware::Qx410Firmware());
    EXPECT_EQ(rig.sink.Log(), "升级固件...\n");
    EXPECT_EQ(rig.sink.Count(kNotifyFirmwareUpdated), 0);
    EXPECT_EQ(rig.sink.Notes().back().code, kNotifyFinished);
    EXPECT_FALSE(rig.api.IsBusy());
  }
}

TEST(FirmwareUpdate, AnInterruptedUpdateIsFinishedByTheNextOne) {
  ProgrammerRig rig;
  rig.device->SetFault(cmd::kLoaderWrite, {sim::FaultKind::kNoReply, 0, 10});
  ASSERT_TRUE(rig.Connect());
  Update(rig, firmware::OrvenfFirmware());
  EXPECT_TRUE(rig.device->InLoader());
  rig.clock.Advance(10000);
  rig.api.Disconnect();
  ASSERT_TRUE(rig.Connect());
  rig.sink.Clear();
  Update(rig, firmware::OrvenfFirmware());
  EXPECT_EQ(rig.sink.Log(), "升级固件...\n固件升级成功.\n");
  IdentificationBlock id;
  ASSERT_TRUE(rig.api.GetIdentity(&id));
  EXPECT_EQ(id.VersionText(), " V1.06(B656)");
}

}  // namespace
}  // namespace orven::programmer
