// Connecting: identification, the firmware check and upgrade in virtual time, the pod steps, the fatal notice.
#include "emulator/texts.h"
#include "firmware/carried_firmware.h"
#include "link/command_codes.h"
#include "tests/emulator/scripted_emu.h"

namespace orven::testing {
namespace {

using namespace cmd;
namespace texts = emulator::texts;
using Codes = std::vector<uint8_t>;

class EmuConnection : public ScriptedEmu {
 protected:
  // The device's replies to a whole upgrade from its running application.
  void ReplyUpgrade(bool inLoader, uint32_t newBuild = 563) {
    Reply(EC_STATUS, 0, inLoader ? 0x8000 : 0);
    Reply(EC_FW_BEGIN);
    for (int i = 0; i < 64; ++i) Reply(EC_FW_DATA);
    Reply(EC_FW_END);
    ReplyIdentity(newBuild);
  }
  static Codes UpgradeCodes(bool inLoader) {
    Codes c = {EC_IDENTIFY, EC_STATUS};
    if (!inLoader) c.push_back(EC_ENTER_LOADER);
    c.push_back(EC_FW_BEGIN);
    c.insert(c.end(), 64, EC_FW_DATA);
    c.push_back(EC_FW_END);
    c.push_back(EC_RESTART);
    c.push_back(EC_IDENTIFY);
    return c;
  }
  // The device leaves the bus for good once the driver has sent `code`.
  void VanishAfter(uint8_t code) {
    clock.onSleep = [this, code](uint32_t) {
      if (!device->output.empty() && device->output.back()[2] == code) backend.devices.clear();
    };
  }
};

TEST_F(EmuConnection, CurrentFirmwareWithThePodDeferredOnlyIdentifies) {
  flags.f = 15;
  ReplyIdentity(563);
  ASSERT_TRUE(emu.Connect());
  EXPECT_EQ(SentCodes(), Codes{EC_IDENTIFY});
  EXPECT_TRUE(SameBytes(CommandReport(EC_IDENTIFY, 0x80, 0, 40), Sent()[0].report));
  EXPECT_TRUE(emu.IsIdentified());
  EXPECT_TRUE(emu.IsOpen());
  EXPECT_TRUE(prompter.Boxes().empty());
  EXPECT_EQ(clock.NowMs(), 0u);
}

TEST_F(EmuConnection, PodStepsRunForPodDownloadsOrAfterAHostReset) {
  for (bool viaReset : {false, true}) {
    SCOPED_TRACE(viaReset);
    Forget();
    flags.f = viaReset ? 15 : 0x10;
    if (viaReset) emu.ClearPodDeferred();
    ReplyIdentity(563);
    Reply(EC_POD_CHECK);
    Reply(EC_POD_INFO, 0, 0, Bytes(32, 0x11));
    Reply(EC_POD_START);
    ASSERT_TRUE(emu.Connect());
    EXPECT_EQ(SentCodes(), (Codes{EC_IDENTIFY, EC_POD_CHECK, EC_POD_INFO, EC_POD_START}));
    EXPECT_TRUE(SameBytes(CommandReport(EC_POD_INFO, 0x80, 0, 0), Sent()[2].report));
  }
}

TEST_F(EmuConnection, InvalidFirmwareDeclinedGoesOn) {
  ReplyIdentity(0);
  ASSERT_TRUE(emu.Connect());
  EXPECT_EQ(SentCodes(), Codes{EC_IDENTIFY});
  EXPECT_EQ(prompter.Boxes(), (std::vector<Box>{{'Q', texts::kCaption, texts::kFirmwareInvalid}}));
}

TEST_F(EmuConnection, InvalidFirmwareAcceptedIsUpgraded) {
  prompter.answers = {true};
  ReplyIdentity(0);
  ReplyUpgrade(false);
  ASSERT_TRUE(emu.Connect());
  EXPECT_EQ(SentCodes(), UpgradeCodes(false));
  EXPECT_EQ(prompter.Boxes(), (std::vector<Box>{{'Q', texts::kCaption, texts::kFirmwareInvalid}}));
  IdentificationBlock id;
  ASSERT_TRUE(emu.GetIdentification(&id));
  EXPECT_EQ(id.Build(), 563u);
}

// The emulator leaves the bus after entering its loader or after the restart, and answers again only at the
// n-th attempt to open it. Entering the loader: 600 ms, close, 2000 ms, then up to 10 tries 1000 ms apart. The
// restart: 500 ms, close, 1000 + 1000 ms, then up to 10 tries each 500 ms after the last, and one more open.
TEST_F(EmuConnection, UpgradeReopenPollingTriesAndWaits) {
  struct Case {
    const char* name;
    uint8_t leavesAfter;
    int backAtTry;  // 0: never
    bool connected;
    int opens;      // every attempt to open the device during Connect
    uint64_t ms;
  };
  const Case cases[] = {
      {"loader, back at once", EC_ENTER_LOADER, 1, true, 4, 5600},
      {"loader, back at the 10th try", EC_ENTER_LOADER, 10, true, 13, 5600 + 9 * 1000},
      {"loader, never back", EC_ENTER_LOADER, 0, false, 11, 2600 + 10 * 1000},
      {"restart, back at once", EC_RESTART, 1, true, 4, 5600},
      {"restart, back at the 10th try", EC_RESTART, 10, true, 13, 5100 + 10 * 500},
      {"restart, never back", EC_RESTART, 0, false, 12, 5100 + 10 * 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    backend.devices = {device};
    device->input.clear();
    Forget();
    host.bars.clear();
    bool away = false;
    int tries = 0;
    int opens = 0;
    clock.onSleep = [&](uint32_t) {
      if (!away && tries == 0 && !device->output.empty() && device->output.back()[2] == c.leavesAfter) {
        away = true;
        backend.devices.clear();
      }
    };
    backend.onEnumerate = [&] {
      ++opens;
      if (away && ++tries == c.backAtTry) {
        away = false;
        backend.devices = {device};
      }
    };
    ReplyIdentity(100);
    ReplyUpgrade(false);
    const uint64_t t0 = clock.NowMs();
    EXPECT_EQ(emu.Connect(), c.connected);
    EXPECT_EQ(opens, c.opens);
    EXPECT_EQ(clock.NowMs() - t0, c.ms);
    EXPECT_EQ(SentCodes().back(), c.connected ? uint8_t{EC_IDENTIFY} : c.leavesAfter);
    EXPECT_EQ(host.bars.back().job, 2);
    clock.onSleep = nullptr;
    backend.onEnumerate = nullptr;
  }
}

// Each reply of the upgrade must come with status 0; the first that does not (or does not come) ends the
// upgrade there, quietly, with the bar removed.
TEST_F(EmuConnection, UpgradeStopsAtTheFirstFailedStatusCheck) {
  struct Case {
    const char* name;
    uint8_t code;
    int occurrence;  // which reply of that code fails
    uint8_t status;  // 0: no reply at all
  };
  const Case cases[] = {
      {"state query refused", EC_STATUS, 1, 1},      {"state query lost", EC_STATUS, 1, 0},
      {"begin refused", EC_FW_BEGIN, 1, 2},          {"begin lost", EC_FW_BEGIN, 1, 0},
      {"first chunk refused", EC_FW_DATA, 1, 1},     {"third chunk refused", EC_FW_DATA, 3, 0x80},
      {"second chunk lost", EC_FW_DATA, 2, 0},       {"end refused", EC_FW_END, 1, 1},
      {"end lost", EC_FW_END, 1, 0},
  };
  const Bytes image(3000, 0x3C);  // three chunks: 1024, 1024 and 952 bytes
  const Codes sequence = {EC_STATUS, EC_FW_BEGIN, EC_FW_DATA, EC_FW_DATA, EC_FW_DATA, EC_FW_END};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    host.bars.clear();
    Codes expected;
    int seen = 0;
    for (uint8_t code : sequence) {
      expected.push_back(code);
      const bool failing = code == c.code && ++seen == c.occurrence;
      const uint8_t status = failing ? c.status : 0;
      if (failing && status == 0) break;
      Reply(code, status, code == EC_STATUS ? 0x8000 : 0);  // already in the loader
      if (failing) break;
    }
    EXPECT_FALSE(emu.UpgradeFirmware(image.data(), static_cast<uint32_t>(image.size())));
    EXPECT_EQ(SentCodes(), expected);
    EXPECT_EQ(host.bars.back().job, 2);
    EXPECT_TRUE(prompter.Boxes().empty());
    EXPECT_FALSE(flags.fatal.load());
    EXPECT_TRUE(device->input.empty());
  }
}

TEST_F(EmuConnection, OldFirmwareIsUpgradedInVirtualTime) {
  for (bool inLoader : {false, true}) {
    SCOPED_TRACE(inLoader ? "already in the loader" : "from the application");
    Forget();
    host.bars.clear();
    const uint64_t t0 = clock.NowMs();
    ReplyIdentity(562);
    ReplyUpgrade(inLoader);
    ASSERT_TRUE(emu.Connect());
    EXPECT_EQ(SentCodes(), UpgradeCodes(inLoader));
    EXPECT_EQ(prompter.Boxes(),
              (std::vector<Box>{{'W', texts::kCaption,
                                 "仿真器固件需要升级.\n\n驱动程序固件版本: V2.06(Build563)\n"
                                 "仿真器固件版本: V2.06(Build562)\n\n点击\"确定\"后开始升级固件."}}));
    // The driver's version in that notice is the one of the image it carries.
    const firmware::FirmwareDescriptor& carried = firmware::EmulatorFirmware();
    EXPECT_EQ(carried.Major(), emulator::kDriverFirmwareMajor);
    EXPECT_EQ(carried.Minor(), emulator::kDriverFirmwareMinor);
    EXPECT_EQ(carried.Build(), emulator::kDriverFirmwareBuild);
    // 64 chunks of 1,024 bytes at ascending offsets, the carried image unchanged.
    const uint8_t* image = firmware::EmulatorFirmware().Image();
    uint32_t offset = 0;
    for (const SentCommand& c : Sent()) {
      if (c.Code() != EC_FW_DATA) continue;
      EXPECT_EQ(c.Address(), offset);
      ASSERT_EQ(c.data.size(), 1024u);
      EXPECT_TRUE(std::equal(c.data.begin(), c.data.end(), image + offset)) << offset;
      offset += 1024;
    }
    EXPECT_EQ(offset, 65536u);
    // Loader entry 600 + 2000 ms; restart 500 + 1000 + 1000 and one 500 ms poll.
    EXPECT_EQ(clock.NowMs() - t0, inLoader ? 3000u : 5600u);
    ASSERT_EQ(host.bars.size(), 1u + 1u + 64u + 1u + 4u + 1u);
    EXPECT_EQ(host.bars[0], (BarEvent{1, 0, 0, 65536, texts::kBarStartUpgrade}));
    EXPECT_EQ(host.bars[1], (BarEvent{1, 0, 0, 65536, texts::kBarDownloadFirmware}));
    EXPECT_EQ(host.bars[65], (BarEvent{3, 65536, 0, 65536, texts::kBarDownloadFirmware}));
    EXPECT_EQ(host.bars[66], (BarEvent{1, 0, 0, 10, texts::kBarRestart}));
    EXPECT_EQ(host.bars[70], (BarEvent{3, 4, 0, 10, texts::kBarRestart}));
    EXPECT_EQ(host.bars.back().job, 2);
    EXPECT_EQ(device->handlesOpen, 1);
    IdentificationBlock id;
    ASSERT_TRUE(emu.GetIdentification(&id));
    EXPECT_EQ(id.Build(), 563u);
  }
}

TEST_F(EmuConnection, ConnectFailsWhenTheUpgradedEmulatorNeverComesBack) {
  for (uint8_t lastCode : {EC_ENTER_LOADER, EC_RESTART}) {
    SCOPED_TRACE(lastCode);
    backend.devices = {device};
    Forget();
    host.bars.clear();
    VanishAfter(lastCode);
    ReplyIdentity(100);
    ReplyUpgrade(false);
    EXPECT_FALSE(emu.Connect());
    EXPECT_FALSE(emu.IsOpen());
    EXPECT_EQ(SentCodes().back(), lastCode);
    EXPECT_EQ(host.bars.back().job, 2);
    device->input.clear();
    clock.onSleep = nullptr;
  }
  // The device is back: the next Connect works.
  backend.devices = {device};
  Forget();
  ReplyIdentity(563);
  EXPECT_TRUE(emu.Connect());
}

TEST_F(EmuConnection, FailuresBeforeThePod) {
  // No device.
  backend.devices.clear();
  EXPECT_FALSE(emu.Connect());
  EXPECT_EQ(prompter.Boxes(), (std::vector<Box>{{'E', texts::kCaption, texts::kNoDevice}}));
  backend.devices = {device};

  // Not an emulator: silent.
  Forget();
  ReplyIdentity(563, kModelOrvenf);
  EXPECT_FALSE(emu.Connect());
  EXPECT_FALSE(emu.IsIdentified());
  EXPECT_TRUE(prompter.Boxes().empty());

  // A malformed or unsendable first identify shows the box but leaves the fatal flag alone.
  Forget();
  Reply(EC_STATUS);
  EXPECT_FALSE(emu.Connect());
  EXPECT_EQ(prompter.Boxes(), (std::vector<Box>{{'E', texts::kCaptionCommError, texts::kCommError}}));
  Forget();
  device->gone = true;
  EXPECT_FALSE(emu.Connect());
  EXPECT_EQ(prompter.Boxes(), (std::vector<Box>{{'E', texts::kCaptionCommError, texts::kCommError}}));
  EXPECT_FALSE(flags.fatal.load());
  device->gone = false;

  // No reply at all: quietly false.
  Forget();
  EXPECT_FALSE(emu.Connect());
  EXPECT_TRUE(prompter.Boxes().empty());
}

TEST_F(EmuConnection, PodThatDoesNotAnswer) {
  flags.f = 0x10;
  const Box podBox{'E', texts::kCaption, texts::kPodFailed};
  // Pod check: the box, no disconnect, no fatal.
  ReplyIdentity(563);
  EXPECT_FALSE(emu.Connect());
  EXPECT_EQ(prompter.Boxes(), std::vector<Box>{podBox});
  EXPECT_TRUE(emu.IsOpen());
  EXPECT_FALSE(flags.fatal.load());

  // Pod info: the box, then disconnected.
  Forget();
  ReplyIdentity(563);
  Reply(EC_POD_CHECK);
  EXPECT_FALSE(emu.Connect());
  EXPECT_EQ(prompter.Boxes(), std::vector<Box>{podBox});
  EXPECT_EQ(SentCodes().back(), EC_DISCONNECT);
  EXPECT_FALSE(emu.IsOpen());
  EXPECT_FALSE(flags.fatal.load());

  // Pod start: fatal, no box.
  Forget();
  ReplyIdentity(563);
  Reply(EC_POD_CHECK);
  Reply(EC_POD_INFO, 0, 0, Bytes(32));
  EXPECT_FALSE(emu.Connect());
  EXPECT_TRUE(prompter.Boxes().empty());
  EXPECT_TRUE(flags.fatal.load());
}

TEST_F(EmuConnection, IdentificationBeforeConnectLeavesTheLinkOpen) {
  ReplyIdentity(570);
  IdentificationBlock id;
  ASSERT_TRUE(emu.GetIdentification(&id));
  EXPECT_EQ(id.Build(), 570u);
  EXPECT_TRUE(emu.IsOpen());
  EXPECT_FALSE(emu.IsIdentified());
  // Not stored: the next call asks the emulator again.
  ReplyIdentity(571);
  ASSERT_TRUE(emu.GetIdentification(&id));
  EXPECT_EQ(id.Build(), 571u);
  EXPECT_EQ(device->handlesOpen, 1);
}

TEST_F(EmuConnection, FatalCheckClosesTheLinkAndPostsTheNotice) {
  Open();
  emu.FatalCheck();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(host.Posts(), 0);
  flags.SetFatal();
  emu.FatalCheck();
  EXPECT_EQ(SentCodes(), Codes{EC_DISCONNECT});
  EXPECT_FALSE(emu.IsOpen());
  EXPECT_EQ(host.Posts(), 1);
  // A closed link sends nothing more; the notice is posted again.
  emu.FatalCheck();
  EXPECT_EQ(SentCodes(), Codes{EC_DISCONNECT});
  EXPECT_EQ(host.Posts(), 2);
}

// A backend in front of real hardware: the carried test image must never reach it.
class PhysicalBackend final : public link::HidBackend {
 public:
  explicit PhysicalBackend(link::HidBackend& inner) : inner_(inner) {}
  std::vector<link::HidDeviceInfo> Enumerate() override { return inner_.Enumerate(); }
  std::unique_ptr<link::HidHandle> Open(const std::string& path) override { return inner_.Open(path); }
  bool ReachesPhysicalDevices() const override { return true; }

 private:
  link::HidBackend& inner_;
};

TEST_F(EmuConnection, TestImageNeverGoesToPhysicalHardware) {
  if (!firmware::EmulatorFirmware().isTestImage) GTEST_SKIP() << "built with the real emulator firmware";
  PhysicalBackend physical(backend);
  emulator::CIceUsb real(physical, clock, host, prompter, flags);
  ReplyIdentity(562);
  EXPECT_TRUE(real.Connect());
  EXPECT_EQ(SentCodes(), Codes{EC_IDENTIFY});
  EXPECT_TRUE(prompter.Boxes().empty());
  EXPECT_EQ(host.Texts(emulator::kHostOutputText), texts::kTestImageSkipped);
  EXPECT_FALSE(real.UpgradeFirmware(firmware::EmulatorFirmware().Image(), firmware::kImageSize));
  EXPECT_EQ(SentCodes(), Codes{EC_IDENTIFY});
}

}  // namespace
}  // namespace orven::testing
