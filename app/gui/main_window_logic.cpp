#include "app/gui/main_window_logic.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tormik/firmware_check.h"
#include "tormik/hex_file.h"
#include "tormik/session.h"
#include "tormik/texts.h"
#include "chipcfg/chip_config_defaults.h"
#include "chipcfg/texts.h"
#include "firmware/carried_firmware.h"
#include "programmer/texts.h"

namespace orven::app {
namespace {

using programmer::Notification;

constexpr std::array<OpButtonInfo, kOpButtonCount> kOpButtons = {{
    {texts::kOpAuto, programmer::kOpErase | programmer::kOpProgram},
    {texts::kOpErase, programmer::kOpErase},
    {texts::kOpBlankCheck, programmer::kOpBlankCheck},
    {texts::kOpWrite, programmer::kOpProgram},
    {texts::kOpRead, programmer::kOpRead},
    {texts::kOpVerify, programmer::kOpVerify},
    {texts::kOpReadConfig, programmer::kOpReadConfig},
    {texts::kOpWriteConfig, programmer::kOpWriteConfig},
}};

int Index(OpButton button) { return static_cast<int>(button); }

// Which buttons a chip's programming algorithm offers, by the algorithm code (first byte of its parameter
// block). Codes not listed leave the buttons as they are.
struct Layout {
  bool flashSteps;  // erase, blank check, write, read, verify
  bool writeConfig;
  bool readConfig;
  bool autoDownload;
};

bool LayoutFor(uint8_t algorithm, Layout* layout) {
  switch (algorithm) {
    case 0: case 5: case 8: *layout = {true, false, false, false}; return true;
    case 1: case 3: *layout = {true, true, true, false}; return true;
    case 2: *layout = {false, false, false, true}; return true;
    case 4: *layout = {false, false, true, true}; return true;
    default: return false;
  }
}

// The log shows "\n" as a line break; the loader's "\r\n" is one break too.
std::string LogLines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

// Why path, an existing file, cannot be read; empty when one byte of it can be read (or it is empty).
std::string ReadProblem(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  char byte;
  const ssize_t n = ::read(fd, &byte, 1);
  const int error = errno;
  ::close(fd);
  return n < 0 ? std::strerror(error) : std::string();
}

// The full path a file dialog would give for path.
std::string FullPath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(path, ec);
  return ec ? path : full.lexically_normal().string();
}

}  // namespace

const OpButtonInfo& OpButtonOf(OpButton button) { return kOpButtons[static_cast<size_t>(Index(button))]; }

MainWindowLogic::MainWindowLogic(link::HidBackend& backend, Clock& clock, std::string settingsPath,
                                 MainWindowView& view)
    : backend_(backend), view_(view), api_(backend, clock), ini_(std::move(settingsPath)),
      catalogue_(&Qx410Catalogue()), configPath_(chipcfg::ConfigFilePath) {
  controls_.modelLabel = texts::kModelNotConnected;
  controls_.connectCaption = texts::kConnectFirstCaption;
  // "自动下载" and "擦除" share one place; the window opens with the erase button in it.
  controls_.opVisible.fill(true);
  controls_.opVisible[Index(OpButton::kAuto)] = false;
  api_.SetWindow(this);
}

MainWindowLogic::~MainWindowLogic() { api_.WaitIdle(); }

void MainWindowLogic::Start() {
  connected_ = false;
  buffer_.FillImage();
  const int modelIndex = ini_.GetInt(kSectionSystem, kKeyModel) != 0 ? 1 : 0;
  catalogue_ = &CatalogueForModelIndex(modelIndex);
  chipIndex_ = catalogue_->ClampChipNo(ini_.GetInt(catalogue_->settingsSection, kKeyChipNo));
  controls_.modelIndex = modelIndex;
  api_.SetBuffers(buffer_.Image(), buffer_.Config());
  controls_.tab = WindowTab::kLog;
  ChipRefresh();
}

std::string MainWindowLogic::ConfigPathOf(const ChipEntry& chip) const { return configPath_(ConfigFileName(chip)); }

void MainWindowLogic::ChipRefresh(bool connecting) {
  const ChipEntry& chip = Chip();
  controls_.chipName = ChipName(chip);
  LayoutButtons();
  controls_.configButtonVisible = chip.HasConfigItems();
  view_.ControlsChanged();
  if (!ConfigFileName(chip).empty() && !chipcfg::LoadConfigDefaultsFrom(ConfigPathOf(chip), buffer_.Config())) {
    if (connecting) {
      AppendLog(std::string(chipcfg::kConfigFileOpenFailed) + "\n", true);
    } else {
      view_.ShowMessage(MessageIcon::kError, chipcfg::kConfigFileOpenFailed);
    }
  }
}

void MainWindowLogic::LayoutButtons() {
  Layout layout{};
  if (LayoutFor(Chip().parameters.AlgorithmCode(), &layout)) {
    auto& visible = controls_.opVisible;
    for (OpButton b : {OpButton::kErase, OpButton::kBlankCheck, OpButton::kWrite, OpButton::kRead, OpButton::kVerify}) {
      visible[Index(b)] = layout.flashSteps;
    }
    visible[Index(OpButton::kWriteConfig)] = layout.writeConfig;
    visible[Index(OpButton::kReadConfig)] = layout.readConfig;
    visible[Index(OpButton::kAuto)] = layout.autoDownload;
  }
  controls_.opEnabled.fill(connected_);
}

void MainWindowLogic::AppendLog(const std::string& text, bool bringToFront) {
  const std::string lines = LogLines(text);
  log_ += lines;
  if (bringToFront && controls_.tab != WindowTab::kLog) {
    controls_.tab = WindowTab::kLog;
    view_.ControlsChanged();
  }
  view_.AppendLog(lines);
}

void MainWindowLogic::SelectModel(int index) {
  if (connected_ || Busy() || index < 0 || index > 1) return;
  controls_.modelIndex = index;
  catalogue_ = &CatalogueForModelIndex(index);
  chipIndex_ = catalogue_->ClampChipNo(ini_.GetInt(catalogue_->settingsSection, kKeyChipNo));
  ini_.WriteInt(kSectionSystem, kKeyModel, index);
  ChipRefresh();
}

void MainWindowLogic::ShowIdentity() {
  IdentificationBlock identity;
  if (!api_.GetIdentity(&identity)) return;
  controls_.firmwareVersion = identity.VersionText();
  controls_.serialNumber = identity.SerialText();
}

void MainWindowLogic::PressConnect() {
  if (Busy()) return;
  if (api_.IsIdentified()) {
    Disconnect();
    return;
  }
  const uint16_t reported = api_.Connect(controls_.modelIndex == 0 ? kQx410ModelWord : kOrvenfModelWord);
  if (reported == 0) {
    AppendLog(ConnectLogLine(reported), true);
    if (const std::string denied = AccessDeniedPath(backend_); !denied.empty()) {
      char text[512];
      std::snprintf(text, sizeof text, texts::kAccessDeniedLog, denied.c_str());
      AppendLog(text, true);
    }
    return;
  }
  if (!IsKnownModel(reported)) {
    // The device stays identified, so the next press disconnects. The label takes the model choice's place
    // so that the text can be seen at all.
    controls_.modelLabel = texts::kUnknownModel;
    controls_.modelLabelVisible = true;
    controls_.modelChoiceVisible = false;
    view_.ControlsChanged();
    return;
  }
  controls_.modelLabel = reported == kOrvenfModelWord ? texts::kModelOrvenfConnected : texts::kModelQx410Connected;
  AppendLog(ConnectLogLine(reported), true);

  controls_.modelChoiceVisible = false;
  controls_.modelLabelVisible = true;
  controls_.connectCaption = texts::kDisconnectCaption;
  ShowIdentity();
  connected_ = true;
  // The device decides the catalogue. When it is the other model's, the connect is a model change: the model
  // choice (shown again after a disconnect), the settings and the catalogue follow the device, and the chip is
  // the one last chosen for that model.
  const ModelCatalogue& reportedCatalogue = CatalogueForModelWord(reported);
  if (&reportedCatalogue != catalogue_) {
    const int modelIndex = reported == kOrvenfModelWord ? 1 : 0;
    catalogue_ = &reportedCatalogue;
    controls_.modelIndex = modelIndex;
    ini_.WriteInt(kSectionSystem, kKeyModel, modelIndex);
    chipIndex_ = ChipIndexInCatalogue(*catalogue_, -1, ini_);
    ChipRefresh(true);
  } else {
    LayoutButtons();
    view_.ControlsChanged();
  }
  RunFirmwareCheck(reported);
}

void MainWindowLogic::Disconnect() {
  api_.Disconnect();
  controls_.connectCaption = texts::kConnectCaption;
  controls_.modelLabel = texts::kModelNotConnected;
  controls_.modelLabelVisible = false;
  controls_.modelChoiceVisible = true;
  controls_.firmwareVersion.clear();
  controls_.serialNumber.clear();
  connected_ = false;
  LayoutButtons();
  view_.ControlsChanged();
}

void MainWindowLogic::RunFirmwareCheck(uint16_t reportedModel) {
  IdentificationBlock identity;
  if (!api_.GetIdentity(&identity)) return;
  const firmware::FirmwareDescriptor& carried = firmware::CarriedFirmware(reportedModel);
  const FirmwarePrompt prompt = DecideFirmwarePrompt(identity.Build(), carried.Build());
  if (prompt == FirmwarePrompt::kNone) return;
  if (RefusesFirmwareWrite(carried, backend_)) {
    AppendLog(programmer::texts::kTestImageRefused, true);
    return;
  }
  switch (prompt) {
    case FirmwarePrompt::kDemand:
      view_.ShowMessage(MessageIcon::kExclamation, texts::kFirmwareUpdateDemanded);
      break;
    case FirmwarePrompt::kOffer:
      view_.ShowMessage(MessageIcon::kExclamation, FirmwareVersionsText(carried, identity));
      break;
    case FirmwarePrompt::kAsk:
      if (!view_.AskYesNo(FirmwareVersionsText(carried, identity))) return;
      break;
    case FirmwarePrompt::kNone:
      return;
  }
  api_.StartFirmwareUpdate(carried.Image());
}

ChipSelection MainWindowLogic::MakeChipSelection() const {
  const char* section = catalogue_->settingsSection;
  return ChipSelection(catalogue_->vendors, catalogue_->entries, ini_.GetInt(section, kKeySVendor),
                       ini_.GetInt(section, kKeySChip), catalogue_->showNotes);
}

void MainWindowLogic::ApplyChipSelection(const ChipSelection::Result& result) {
  if (Busy() || result.catalogueIndex < 0 || static_cast<size_t>(result.catalogueIndex) >= catalogue_->Size()) {
    return;
  }
  chipIndex_ = result.catalogueIndex;
  const char* section = catalogue_->settingsSection;
  ini_.WriteInt(section, kKeyChipNo, result.catalogueIndex);
  ini_.WriteInt(section, kKeySVendor, result.vendorPosition);
  ini_.WriteInt(section, kKeySChip, result.listPosition);
  ChipRefresh();
}

bool MainWindowLogic::LoadDataFile(const std::string& typedPath) {
  if (Busy()) return false;
  const std::string path = FullPath(typedPath);
  if (const std::string problem = ReadProblem(path); !problem.empty()) {
    // The file is there (the dialog only offers existing files) but its contents cannot be read.
    char text[1024];
    std::snprintf(text, sizeof text, texts::kFileReadErrorFmt, path.c_str(), problem.c_str());
    view_.ShowMessage(MessageIcon::kError, text);
    return false;
  }
  buffer_.FillImage();
  const bool loaded = LoadHexFile(path, buffer_.Image(), Chip().FlashSize(),
                                  [this](const std::string& line) { AppendLog(line, false); });
  if (loaded) {
    ini_.WriteString(kSectionOption, kKeyFileM, path);
    controls_.dataFile = path;
    view_.ControlsChanged();
  }
  // A failed load has changed the buffer as well: what the loader stored, 0xFF elsewhere.
  view_.ImageChanged();
  return loaded;
}

void MainWindowLogic::PressOperation(OpButton button) {
  if (!connected_ || Busy()) return;
  api_.StartOperation(OpButtonOf(button).mask, &Chip());
}

void MainWindowLogic::PressConfig() {
  if (Busy()) return;
  const std::string path = ConfigPathOf(Chip());
  if (!configEditor_ || !configEditor_(path, buffer_.Config())) {
    view_.ShowMessage(MessageIcon::kError, chipcfg::kConfigFileOpenFailed);
  }
}

void MainWindowLogic::SelectTab(WindowTab tab) {
  if (controls_.tab == tab) return;
  controls_.tab = tab;
  view_.ControlsChanged();
}

void MainWindowLogic::SetOperationRunning(bool running) {
  controls_.operationRunning = running;
  controls_.chipControlsEnabled = !running;
  controls_.opEnabled.fill(!running);
}

void MainWindowLogic::OnNotification(const Notification& n) {
  switch (n.code) {
    case programmer::kNotifyStarted:
      SetOperationRunning(true);
      break;
    case programmer::kNotifyFinished:
      SetOperationRunning(false);
      controls_.progressVisible = false;
      break;
    case programmer::kNotifyProgressStep:
      if (controls_.progressValue < controls_.progressMax) ++controls_.progressValue;
      break;
    case programmer::kNotifyProgressCount:
      controls_.progressMax = n.value;
      controls_.progressValue = 0;
      controls_.progressVisible = true;
      break;
    case programmer::kNotifyFirmwareUpdated:
      // The programmer was identified again; show the version it runs now.
      ShowIdentity();
      break;
    case programmer::kNotifyLog:
      if (n.text != nullptr) AppendLog(n.text, false);
      return;
    default:
      return;
  }
  view_.ControlsChanged();
}

}  // namespace orven::app
