// The programming window's logic against the simulated programmers: start-up and settings, button layout by
// algorithm code, connect and disconnect, the firmware check, data files, operations and their notifications.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tormik/firmware_check.h"
#include "tormik/hex_file.h"
#include "tormik/ini.h"
#include "tormik/profile.h"
#include "tormik/texts.h"
#include "chipcfg/texts.h"
#include "firmware/carried_firmware.h"
#include "programmer/texts.h"
#include "tests/app/gui/window_fixture.h"

namespace orven::app::testing {
namespace {

using sim::DeviceModel;

constexpr int kAuto = static_cast<int>(OpButton::kAuto);
constexpr int kReadConfig = static_cast<int>(OpButton::kReadConfig);

std::string FileM(const std::string& settingsPath) {
  char value[1024];
  ReadProfileString(settingsPath, kSectionOption, kKeyFileM, "", value, sizeof value);
  return value;
}

TEST_F(WindowTest, FirstStartWithoutSettingsFile) {
  MainWindowLogic& logic = Start();
  const WindowControls& c = logic.Controls();
  EXPECT_EQ(c.modelIndex, 0);
  EXPECT_EQ(logic.ModelWord(), kQx410ModelWord);
  EXPECT_EQ(logic.ChipIndex(), 0);
  EXPECT_EQ(c.chipName, "AT89S51 [ZIF]");
  EXPECT_EQ(c.tab, WindowTab::kLog);
  EXPECT_TRUE(c.modelChoiceVisible);
  EXPECT_FALSE(c.modelLabelVisible);
  EXPECT_EQ(c.connectCaption, texts::kConnectFirstCaption);
  EXPECT_FALSE(logic.Connected());
  for (bool enabled : c.opEnabled) EXPECT_FALSE(enabled);
  EXPECT_FALSE(c.progressVisible);
  EXPECT_TRUE(view_.messages.empty());
  // Starting reads the settings; it writes nothing.
  EXPECT_FALSE(std::filesystem::exists(settingsPath_));
  for (size_t i = 0; i < ImageBuffer::kImageSize; i += 4096) ASSERT_EQ(logic.Buffer().Image()[i], 0xFF);
}

TEST_F(WindowTest, ModelChoiceIsWrittenAtOnceAndComesBackAtTheNextStart) {
  CIni(settingsPath_).WriteInt("ORVENF", kKeyChipNo, 5);
  Start().SelectModel(1);
  EXPECT_EQ(Setting(kSectionSystem, kKeyModel), 1);
  EXPECT_EQ(logic_->ModelWord(), kOrvenfModelWord);
  EXPECT_EQ(logic_->ChipIndex(), 5);
  EXPECT_EQ(logic_->Controls().chipName, "ATmega8515 [ISP]");

  MainWindowLogic& again = Start();
  EXPECT_EQ(again.Controls().modelIndex, 1);
  EXPECT_EQ(again.ModelWord(), kOrvenfModelWord);
  EXPECT_EQ(again.ChipIndex(), 5);

  again.SelectModel(0);
  EXPECT_EQ(Setting(kSectionSystem, kKeyModel), 0);
  EXPECT_EQ(again.ChipIndex(), 0);
}

TEST_F(WindowTest, SettingsOutsideTheCatalogueFallBackToTheFirstChip) {
  CIni ini(settingsPath_);
  ini.WriteInt(kSectionSystem, kKeyModel, 7);  // any non-zero model is the ORVENF
  ini.WriteInt("ORVENF", kKeyChipNo, 99);
  MainWindowLogic& logic = Start();
  EXPECT_EQ(logic.ModelWord(), kOrvenfModelWord);
  EXPECT_EQ(logic.ChipIndex(), 0);
  EXPECT_EQ(logic.Controls().chipName, "AT89S51 [ISP]");
}

// Operation buttons in window order: 自动下载 擦除 查空 写入 读取 校验 读取配置 写入配置.
TEST_F(WindowTest, ButtonsFollowTheAlgorithmCode) {
  struct Case {
    int chip;
    uint8_t algorithm;
    std::array<bool, kOpButtonCount> visible;
    bool configButton;
  };
  const Case cases[] = {
      {0, 0, {false, true, true, true, true, true, false, false}, false},    // AT89S51 [ZIF]
      {2, 8, {false, true, true, true, true, true, false, false}, false},    // AT89S53 [ZIF]
      {12, 5, {false, true, true, true, true, true, false, false}, false},   // P89V51RB2 [ZIF]
      {7, 1, {false, true, true, true, true, true, true, true}, true},       // ATmega16 [ISP]
      {11, 3, {false, true, true, true, true, true, true, true}, true},      // PIC16F877A [ISP]
      {23, 2, {true, false, false, false, false, false, false, false}, false},  // W78E052D [ZIF]
      {22, 4, {true, false, false, false, false, false, true, false}, true},    // STC12C5A60S2 [ZIF]
  };
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chip);
    SelectChip(c.chip);
    ASSERT_EQ(logic_->Chip().parameters.AlgorithmCode(), c.algorithm);
    EXPECT_EQ(logic_->Controls().opVisible, c.visible);
    EXPECT_EQ(logic_->Controls().configButtonVisible, c.configButton);
    for (bool enabled : logic_->Controls().opEnabled) EXPECT_FALSE(enabled);
  }
  EXPECT_TRUE(view_.messages.empty()) << view_.messages.front().text;
}

TEST_F(WindowTest, ChipSelectionRemembersItsPositionsPerModel) {
  Start();
  SelectChip(25);  // NUVOTON(WINBOND), third chip
  EXPECT_EQ(Setting("QX410", kKeyChipNo), 25);
  EXPECT_EQ(Setting("QX410", kKeySVendor), 4);
  EXPECT_EQ(Setting("QX410", kKeySChip), 2);
  EXPECT_EQ(logic_->Controls().chipName, "W78E058D [ZIF]");

  ChipSelection reopened = logic_->MakeChipSelection();
  EXPECT_TRUE(reopened.ShowNotes());
  EXPECT_EQ(reopened.VendorPosition(), 4);
  EXPECT_EQ(reopened.ListPosition(), 2);

  logic_->SelectModel(1);
  ChipSelection orvenf = logic_->MakeChipSelection();
  EXPECT_FALSE(orvenf.ShowNotes());
  EXPECT_EQ(orvenf.VendorNames().size(), 1u);
  EXPECT_EQ(orvenf.ChipNames().size(), 7u);
  SelectChip(6);
  EXPECT_EQ(Setting("ORVENF", kKeyChipNo), 6);
  EXPECT_EQ(Setting("QX410", kKeyChipNo), 25);
}

TEST_F(WindowTest, ChipRefreshLoadsConfigurationDefaultsOrShowsTheErrorBox) {
  Start();
  uint8_t* config = logic_->Buffer().Config();
  std::fill(config, config + 32, 0x5A);
  SelectChip(1);  // no configuration file: the buffer stays as it is
  EXPECT_EQ(config[0], 0x5A);
  SelectChip(22);  // STCMCU1
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_FALSE(std::all_of(config, config + 32, [](uint8_t b) { return b == 0x5A; }));

  std::fill(config, config + 32, 0x5A);
  logic_->SetConfigPathResolver([this](const std::string& name) { return dir_.Path(name + ".cfg"); });
  SelectChip(7);  // MEGA16, not in the scratch directory
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0].icon, MessageIcon::kError);
  EXPECT_EQ(view_.messages[0].text, chipcfg::kConfigFileOpenFailed);
  EXPECT_EQ(logic_->ChipIndex(), 7);  // the chip stays selected
  EXPECT_EQ(config[31], 0x5A);
}

TEST_F(WindowTest, ConfigurationButtonOpensTheEditorOnTheChipsFile) {
  Start();
  SelectChip(22);
  std::string editedPath;
  uint8_t* editedBuffer = nullptr;
  logic_->SetConfigEditor([&](const std::string& path, uint8_t* config) {
    editedPath = path;
    editedBuffer = config;
    return true;
  });
  logic_->PressConfig();
  EXPECT_EQ(editedBuffer, logic_->Buffer().Image() + ImageBuffer::kImageSize);
  EXPECT_TRUE(editedPath.ends_with("/STCMCU1.cfg")) << editedPath;
  EXPECT_TRUE(view_.messages.empty());

  logic_->SetConfigEditor([](const std::string&, uint8_t*) { return false; });
  logic_->PressConfig();
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0].text, chipcfg::kConfigFileOpenFailed);
}

TEST_F(WindowTest, DataFileLoadsWhileNotConnected) {
  Start();
  SelectChip(22);
  const int repaintsBefore = view_.imageChanged;
  ASSERT_TRUE(logic_->LoadDataFile(ExampleHexPath()));
  EXPECT_EQ(logic_->Controls().dataFile, ExampleHexPath());
  EXPECT_EQ(FileM(settingsPath_), ExampleHexPath());
  EXPECT_EQ(view_.imageChanged, repaintsBefore + 1);
  EXPECT_NE(logic_->Buffer().Image()[0], 0xFF);
  for (bool enabled : logic_->Controls().opEnabled) EXPECT_FALSE(enabled);

  // A bad file: its line in the log, the old path kept in the window and the settings, the buffer as loaded.
  const std::string bad = dir_.Path("bad.hex");
  std::ofstream(bad) << ":0400000001020304F2\n:0100100055FF\n";
  EXPECT_FALSE(logic_->LoadDataFile(bad));
  EXPECT_EQ(view_.log, "警告：第2行数据格式错误\n");
  EXPECT_EQ(logic_->Controls().dataFile, ExampleHexPath());
  EXPECT_EQ(FileM(settingsPath_), ExampleHexPath());
  EXPECT_EQ(logic_->Buffer().Image()[3], 0x04);
  EXPECT_EQ(logic_->Buffer().Image()[0x10], 0xFF);
  EXPECT_EQ(view_.imageChanged, repaintsBefore + 2);
}

TEST_F(WindowTest, DataBeyondTheChipsFlashIsDropped) {
  Start();  // AT89S51: 4 KiB
  const std::string path = dir_.Path("high.hex");
  std::ofstream(path) << ":02100000AA55EF\n:00000001FF\n";
  ASSERT_TRUE(logic_->LoadDataFile(path));
  EXPECT_EQ(logic_->Buffer().Image()[0x1000], 0xFF);
}

TEST_F(WindowTest, ConnectAndDisconnect) {
  Attach(DeviceModel::kQx410);
  MainWindowLogic& logic = Start();
  logic.SelectTab(WindowTab::kDataBuffer);
  logic.PressConnect();
  const WindowControls& c = logic.Controls();
  EXPECT_TRUE(logic.Connected());
  EXPECT_EQ(view_.log, "设备连接成功, 型号: QX410\n");
  EXPECT_EQ(c.tab, WindowTab::kLog);  // the connect line comes to the front
  EXPECT_EQ(c.modelLabel, "QX410(ORVEND) [已连接]");
  EXPECT_TRUE(c.modelLabelVisible);
  EXPECT_FALSE(c.modelChoiceVisible);
  EXPECT_EQ(c.connectCaption, "断开连接");
  EXPECT_EQ(c.firmwareVersion, " V2.07(B571)");
  EXPECT_EQ(c.serialNumber, " 01AB007F");
  for (bool enabled : c.opEnabled) EXPECT_TRUE(enabled);
  EXPECT_TRUE(view_.messages.empty());  // same build as carried: no firmware box
  EXPECT_TRUE(view_.questions.empty());

  logic.PressConnect();
  EXPECT_FALSE(logic.Connected());
  EXPECT_FALSE(logic.Api().IsIdentified());
  EXPECT_EQ(c.connectCaption, "连接编程器");
  EXPECT_EQ(c.modelLabel, "未连接...");
  EXPECT_FALSE(c.modelLabelVisible);
  EXPECT_TRUE(c.modelChoiceVisible);
  EXPECT_EQ(c.firmwareVersion, "");
  EXPECT_EQ(c.serialNumber, "");
  for (bool enabled : c.opEnabled) EXPECT_FALSE(enabled);
}

TEST_F(WindowTest, NoDeviceLogsAndStaysDisconnected) {
  MainWindowLogic& logic = Start();
  logic.SelectTab(WindowTab::kDataBuffer);
  logic.PressConnect();
  EXPECT_EQ(view_.log, programmer::texts::kNoDevice);
  EXPECT_EQ(logic.Controls().tab, WindowTab::kLog);
  EXPECT_FALSE(logic.Connected());
  EXPECT_TRUE(logic.Controls().modelChoiceVisible);
  for (bool enabled : logic.Controls().opEnabled) EXPECT_FALSE(enabled);
}

TEST_F(WindowTest, UnknownModelWordShowsItsLabelAndTheNextPressDisconnects) {
  auto device = Attach(DeviceModel::kQx410);
  IdentificationBlock odd = device->Identity();
  odd.SetModelWord(0x1234);
  device->SetIdentity(odd);
  MainWindowLogic& logic = Start();
  logic.PressConnect();
  const WindowControls& c = logic.Controls();
  EXPECT_EQ(c.modelLabel, "UNKOWN MODEL");
  EXPECT_TRUE(c.modelLabelVisible);
  EXPECT_FALSE(logic.Connected());
  EXPECT_TRUE(logic.Api().IsIdentified());
  for (bool enabled : c.opEnabled) EXPECT_FALSE(enabled);
  EXPECT_EQ(view_.log, "");
  EXPECT_TRUE(view_.messages.empty());

  logic.PressConnect();
  EXPECT_FALSE(logic.Api().IsIdentified());
  EXPECT_EQ(c.modelLabel, "未连接...");
  EXPECT_TRUE(c.modelChoiceVisible);
  EXPECT_EQ(view_.log, "");  // a disconnect, not a second connect attempt
}

// The user chose one model, the device that answers is the other one: the connect is a model change, so the
// chip is the one last chosen for the device's model.
TEST_F(WindowTest, ConnectToTheOtherModelKeepsTheChipInsideItsCatalogue) {
  struct Case {
    int qx410Chip;
    int orvenfChipNo;  // -1: not in the settings
    int expected;
  };
  const Case cases[] = {{22, 3, 3}, {22, -1, 0}, {4, 6, 6}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.qx410Chip);
    bus_.DetachAll();
    std::filesystem::remove(settingsPath_);
    auto device = std::make_shared<sim::ProgrammerDevice>(clock_, sim::Qx410Model());
    device->SetIdentity(sim::OrvenfModel().identity);
    bus_.Attach(device);
    if (k.orvenfChipNo >= 0) CIni(settingsPath_).WriteInt("ORVENF", kKeyChipNo, k.orvenfChipNo);
    Start();
    SelectChip(k.qx410Chip);
    logic_->PressConnect();
    ASSERT_TRUE(logic_->Connected());
    EXPECT_EQ(logic_->ModelWord(), kOrvenfModelWord);
    EXPECT_EQ(logic_->ChipIndex(), k.expected);
    EXPECT_EQ(logic_->Controls().chipName, ChipName(OrvenfCatalogue().entries[static_cast<size_t>(k.expected)]));
    EXPECT_EQ(logic_->Controls().modelLabel, "ORVENF [已连接]");
  }
}

TEST_F(WindowTest, AfterTheOtherModelConnectsAndDisconnectsChoiceCatalogueAndSettingsAgree) {
  auto device = std::make_shared<sim::ProgrammerDevice>(clock_, sim::Qx410Model());
  device->SetIdentity(sim::OrvenfModel().identity);
  bus_.Attach(device);
  CIni(settingsPath_).WriteInt("ORVENF", kKeyChipNo, 4);  // ATmega16 [ISP], which has a configuration file
  MainWindowLogic& logic = Create();
  logic.SetConfigPathResolver([this](const std::string& name) { return dir_.Path(name + ".cfg"); });  // none
  logic.Start();
  ASSERT_EQ(logic.Controls().modelIndex, 0);
  logic.PressConnect();
  ASSERT_TRUE(logic.Connected());
  EXPECT_TRUE(view_.messages.empty()) << "no box in the middle of connecting";
  EXPECT_EQ(view_.log, "设备连接成功, 型号: ORVENF\n芯片配置文件开启失败.\n");
  logic.PressConnect();
  EXPECT_TRUE(logic.Controls().modelChoiceVisible);
  EXPECT_EQ(logic.Controls().modelIndex, 1);
  EXPECT_EQ(&logic.Catalogue(), &OrvenfCatalogue());
  EXPECT_EQ(Setting(kSectionSystem, kKeyModel), 1);
  EXPECT_EQ(logic.ChipIndex(), 4);
  EXPECT_EQ(logic.Controls().chipName, "ATmega16 [ISP]");
  // The next start comes up the same way.
  Create().Start();
  EXPECT_EQ(logic_->Controls().modelIndex, 1);
  EXPECT_EQ(logic_->ChipIndex(), 4);
}

TEST_F(WindowTest, DataFilesAreKeptByTheirFullPathAndAnUnreadableOneShowsTheFileErrorBox) {
  Start();
  SelectChip(1);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir_.Path(""));
  std::ofstream("relative.hex") << ":0400000001020304F2\n";
  const bool loaded = logic_->LoadDataFile("./relative.hex");
  std::filesystem::current_path(before);
  ASSERT_TRUE(loaded);
  const std::string full = (std::filesystem::path(dir_.Path("")) / "relative.hex").lexically_normal().string();
  EXPECT_EQ(logic_->Controls().dataFile, full);
  EXPECT_EQ(FileM(settingsPath_), full);

  // A directory exists but cannot be read as a file.
  const std::string unreadable = dir_.Path("folder.hex");
  std::filesystem::create_directory(unreadable);
  EXPECT_FALSE(logic_->LoadDataFile(unreadable));
  ASSERT_EQ(view_.messages.size(), 1u);
  EXPECT_EQ(view_.messages[0].icon, MessageIcon::kError);
  EXPECT_EQ(view_.messages[0].text.rfind("读取文件 " + unreadable + " 时发生错误.\n", 0), 0u) << view_.messages[0].text;
  EXPECT_EQ(logic_->Buffer().Image()[0], 0x01) << "the buffer keeps the last file";
  EXPECT_EQ(logic_->Controls().dataFile, full);
}

TEST(FirmwareCheck, DecisionAndText) {
  EXPECT_EQ(DecideFirmwarePrompt(571, 571), FirmwarePrompt::kNone);
  EXPECT_EQ(DecideFirmwarePrompt(0, 571), FirmwarePrompt::kDemand);
  EXPECT_EQ(DecideFirmwarePrompt(0, 0), FirmwarePrompt::kNone);
  EXPECT_EQ(DecideFirmwarePrompt(570, 571), FirmwarePrompt::kOffer);
  EXPECT_EQ(DecideFirmwarePrompt(572, 571), FirmwarePrompt::kAsk);

  IdentificationBlock device;
  device.SetVersion(1, 0x0A, 600);
  EXPECT_EQ(FirmwareVersionsText(firmware::OrvenfFirmware(), device),
            "固件需要进行升级\n软件中的版本为: 1.06(build656)\n设备中的版本为: 1.0A(build600)\n点击\"确定\"进行软件升级");
}

TEST_F(WindowTest, FirmwareCheckAfterConnect) {
  struct Case {
    const char* name;
    uint32_t build;
    bool answerYes;
    bool expectMessage;
    bool expectQuestion;
    bool expectUpdate;
  };
  const Case cases[] = {
      {"build 0: demanded, no question", 0, false, true, false, true},
      {"older: OK box, then update", 500, false, true, false, true},
      {"newer, No: firmware kept", 600, false, false, true, false},
      {"newer, Yes: update", 600, true, false, true, true},
      {"equal: nothing", 571, false, false, false, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    bus_.DetachAll();
    auto device = Attach(DeviceModel::kQx410);
    IdentificationBlock identity = device->Identity();
    identity.SetVersion(2, 0x05, k.build);
    device->SetIdentity(identity);
    view_ = RecordingView(&logicPtr_);
    view_.answerYes = k.answerYes;
    Start();
    logic_->PressConnect();
    logic_->Api().WaitIdle();

    ASSERT_EQ(view_.messages.size(), k.expectMessage ? 1u : 0u);
    if (k.expectMessage) {
      EXPECT_EQ(view_.messages[0].icon, MessageIcon::kExclamation);
      EXPECT_EQ(view_.messages[0].text,
                k.build == 0 ? std::string(texts::kFirmwareUpdateDemanded)
                             : FirmwareVersionsText(firmware::Qx410Firmware(), identity));
    }
    ASSERT_EQ(view_.questions.size(), k.expectQuestion ? 1u : 0u);
    const bool updated = view_.log.find(programmer::texts::kFirmwareUpdated) != std::string::npos;
    EXPECT_EQ(updated, k.expectUpdate) << view_.log;
    EXPECT_EQ(device->Identity().Build(), k.expectUpdate ? 571u : k.build);
    // Connected in every case, controls released after the update, the version the device now runs shown.
    EXPECT_TRUE(logic_->Connected());
    EXPECT_FALSE(logic_->Controls().operationRunning);
    EXPECT_TRUE(logic_->Controls().chipControlsEnabled);
    for (bool enabled : logic_->Controls().opEnabled) EXPECT_TRUE(enabled);
    EXPECT_EQ(logic_->Controls().firmwareVersion, k.expectUpdate ? " V2.07(B571)" : identity.VersionText());
  }
}

TEST_F(WindowTest, TestImageIsNeverWrittenToAPhysicalProgrammer) {
  if (!firmware::Qx410Firmware().isTestImage) GTEST_SKIP() << "this build carries the real firmware";
  auto device = Attach(DeviceModel::kQx410);
  IdentificationBlock identity = device->Identity();
  identity.SetVersion(2, 0x07, 0);
  device->SetIdentity(identity);
  PhysicalLookingBackend physical(backend_);
  MainWindowLogic& logic = Start(&physical);
  logic.SelectTab(WindowTab::kDataBuffer);
  logic.PressConnect();
  logic.Api().WaitIdle();
  EXPECT_EQ(view_.log, std::string("设备连接成功, 型号: QX410\n") + programmer::texts::kTestImageRefused);
  EXPECT_TRUE(view_.messages.empty());
  EXPECT_EQ(device->Identity().Build(), 0u);
  EXPECT_TRUE(logic.Connected());
  EXPECT_FALSE(logic.Controls().operationRunning);
  EXPECT_EQ(logic.Controls().tab, WindowTab::kLog);
}

TEST_F(WindowTest, AutomaticDownloadDisablesTheWindowUntilFinished) {
  auto device = Attach(DeviceModel::kQx410);
  Start();
  SelectChip(22);  // STC12C5A60S2 [ZIF]: 0xF000 bytes, automatic download and configuration read only
  ASSERT_TRUE(logic_->LoadDataFile(ExampleHexPath()));
  logic_->PressConnect();
  logic_->SelectTab(WindowTab::kDataBuffer);
  view_.log.clear();
  view_.logSnapshots.clear();
  RunOperation(OpButton::kAuto);

  EXPECT_EQ(view_.log, "擦除...\n擦除完成.\n写入...\n烧写完成.\n");
  // Mid-operation every chip control was off and the hex view read-only.
  ASSERT_EQ(view_.logSnapshots.size(), 4u);
  const WindowControls& during = view_.logSnapshots[3].second;
  EXPECT_TRUE(during.operationRunning);
  EXPECT_FALSE(during.chipControlsEnabled);
  for (bool enabled : during.opEnabled) EXPECT_FALSE(enabled);
  EXPECT_TRUE(during.progressVisible);
  EXPECT_EQ(during.progressMax, 0xF000u / 256);
  EXPECT_EQ(during.progressValue, 0xF000u / 256);

  const WindowControls& after = logic_->Controls();
  EXPECT_FALSE(after.operationRunning);
  EXPECT_TRUE(after.chipControlsEnabled);
  EXPECT_FALSE(after.progressVisible);
  // Notification 1 enables all eight buttons, also those the chip does not show.
  for (bool enabled : after.opEnabled) EXPECT_TRUE(enabled);
  EXPECT_FALSE(after.opVisible[1]);
  EXPECT_TRUE(after.opVisible[kAuto] && after.opVisible[kReadConfig]);
  EXPECT_EQ(after.tab, WindowTab::kDataBuffer);  // operation log lines do not switch tabs

  const std::vector<uint8_t> flash = device->Flash();
  ASSERT_EQ(flash.size(), 0xF000u);
  EXPECT_TRUE(std::equal(flash.begin(), flash.end(), logic_->Buffer().Image()));
}

TEST_F(WindowTest, ControlsThatStartWorkAreIgnoredWhileAnOperationRuns) {
  Attach(DeviceModel::kQx410);
  Start();
  logic_->PressConnect();
  logic_->OnNotification({programmer::kNotifyStarted, 0, nullptr});
  const std::string before = view_.log;
  logic_->PressOperation(OpButton::kErase);  // a worker owns the link: nothing starts
  EXPECT_FALSE(logic_->Api().IsBusy());
  EXPECT_EQ(view_.log, before);
  EXPECT_FALSE(logic_->Controls().chipControlsEnabled);
  logic_->OnNotification({programmer::kNotifyProgressCount, 3, nullptr});
  for (int i = 0; i < 5; ++i) logic_->OnNotification({programmer::kNotifyProgressStep, 0, nullptr});
  EXPECT_EQ(logic_->Controls().progressValue, 3u);  // never past the count
  logic_->OnNotification({programmer::kNotifyLog, 0, "a\r\nb\n"});
  EXPECT_EQ(view_.log, before + "a\nb\n");
  logic_->OnNotification({programmer::kNotifyFinished, 0, nullptr});
  EXPECT_TRUE(logic_->Controls().chipControlsEnabled);
}

}  // namespace
}  // namespace orven::app::testing
