#include "app/cli.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <memory>
#include <set>

#include "app/chip_catalogue.h"
#include "app/cli_fuse.h"
#include "app/cli_options.h"
#include "app/device_environment.h"
#include "app/hex_file.h"
#include "app/image_buffer.h"
#include "app/ini.h"
#include "app/session.h"
#include "app/texts.h"
#include "firmware/carried_firmware.h"
#include "programmer/ice_api.h"
#include "programmer/texts.h"

namespace orven::app {
namespace {

using programmer::Notification;

// Prints the log as the window shows it and draws a progress bar on a terminal.
class CliSink final : public programmer::NotificationSink {
 public:
  CliSink(FILE* out, FILE* err) : out_(out), err_(err), tty_(isatty(fileno(err)) != 0) {}

  void Notify(const Notification& n) override {
    switch (n.code) {
      case programmer::kNotifyLog:
        ClearBar();
        std::fputs(n.text, out_);
        std::fflush(out_);
        DrawBar();
        break;
      case programmer::kNotifyProgressCount:
        total_ = n.value;
        done_ = 0;
        showing_ = true;
        DrawBar();
        break;
      case programmer::kNotifyProgressStep:
        ++done_;
        DrawBar();
        break;
      case programmer::kNotifyFinished:
        ClearBar();
        showing_ = false;
        break;
      case programmer::kNotifyFirmwareUpdated:
        firmwareUpdated_ = true;
        break;
      default:
        break;
    }
  }
  bool FirmwareUpdated() const { return firmwareUpdated_; }

 private:
  void DrawBar() {
    if (!tty_ || !showing_) return;
    constexpr uint32_t kWidth = 40;
    const uint32_t filled = total_ == 0 ? kWidth : std::min<uint32_t>(kWidth, done_ * kWidth / total_);
    std::fprintf(err_, "\r[%s%s] %u/%u", std::string(filled, '#').c_str(), std::string(kWidth - filled, '.').c_str(),
                 done_, total_);
    std::fflush(err_);
    barDrawn_ = true;
  }
  void ClearBar() {
    if (!barDrawn_) return;
    std::fputs("\r\033[K", err_);
    std::fflush(err_);
    barDrawn_ = false;
  }

  FILE* out_;
  FILE* err_;
  bool tty_;
  bool showing_ = false;
  bool barDrawn_ = false;
  bool firmwareUpdated_ = false;
  uint32_t total_ = 0;
  uint32_t done_ = 0;
};

int Usage(FILE* err, const std::string& reason) {
  // The first two lines of the full text are the synopsis.
  std::string usage = CliUsage();
  size_t end = usage.find("\n\n");
  std::fprintf(err, "tormik-cli: %s\n%s\nTry 'tormik-cli --help' for more.\n", reason.c_str(),
               usage.substr(0, end).c_str());
  return 2;
}

bool IsNumber(const std::string& s) {
  return !s.empty() && s.size() < 10 && std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(uint8_t(c)); });
}

bool FileReadable(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), R_OK) == 0;
}

void PrintChips(const ModelCatalogue& catalogue, FILE* out) {
  for (size_t i = 0; i < catalogue.Size(); ++i) {
    const ChipEntry& e = catalogue.entries[i];
    std::fprintf(out, "%3zu  %-17s %-20s 0x%05X  %u\n", i, catalogue.vendors[static_cast<size_t>(e.vendor - 1)],
                 ChipName(e).c_str(), e.FlashSize(), e.parameters.AlgorithmCode());
  }
}

void PrintInfo(const IdentificationBlock& id, FILE* out) {
  const firmware::FirmwareDescriptor& carried = firmware::CarriedFirmware(id.ModelWord());
  std::fprintf(out, "%s%s\n", texts::kCliModelLabel, ModelName(id.ModelWord()));
  std::fprintf(out, "%s%s\n", texts::kFirmwareLabel, id.VersionText().c_str());
  std::fprintf(out, "%s%s\n", texts::kSerialLabel, id.SerialText().c_str());
  if (id.Build() == carried.Build()) {
    std::fprintf(out, texts::kCliFirmwareSame, carried.Major(), carried.Minor(), carried.Build());
  } else {
    std::fprintf(out, texts::kCliFirmwareDiffers, id.Build(), carried.Major(), carried.Minor(), carried.Build(),
                 carried.isTestImage ? texts::kCliTestImage : "");
  }
}

}  // namespace

int RunTormikCli(const std::vector<std::string>& args, FILE* out, FILE* err) {
  CliOptions options;
  std::string error;
  if (!ParseCliOptions(args, &options, &error)) return Usage(err, error);
  if (options.help) {
    std::fputs(CliUsage(), out);
    return 0;
  }
  const bool fuseWrite = std::any_of(options.steps.begin(), options.steps.end(),
                                     [](const CliStep& s) { return s.command == CliCommand::kFuseWrite; });
  if (!options.sets.empty() && !fuseWrite) return Usage(err, "--set only goes with fuse-write");

  // Model and chip: from the options, else from the settings file (which the command line never writes).
  CIni ini(SettingsPath());
  const int modelIndex = options.model ? *options.model : (ini.GetInt(kSectionSystem, kKeyModel) != 0 ? 1 : 0);
  const ModelCatalogue* catalogue = &CatalogueForModelIndex(modelIndex);
  int chipIndex = catalogue->ClampChipNo(ini.GetInt(catalogue->settingsSection, kKeyChipNo));
  if (options.chip) {
    chipIndex = IsNumber(*options.chip) ? std::stoi(*options.chip) : catalogue->FindChip(*options.chip);
    if (chipIndex < 0 || static_cast<size_t>(chipIndex) >= catalogue->Size()) {
      return Usage(err, "unknown chip '" + *options.chip + "' (see 'tormik-cli chips')");
    }
  }

  // Every data file is checked before anything is sent to the programmer, except one that an earlier read of
  // the same call writes.
  ImageBuffer buffer;
  std::set<std::string> readFiles;
  for (const CliStep& step : options.steps) {
    if (step.command == CliCommand::kRead) readFiles.insert(step.file);
    if (!TakesFile(step.command) || step.command == CliCommand::kRead || readFiles.count(step.file)) continue;
    if (!FileReadable(step.file)) return Usage(err, "cannot open data file '" + step.file + "'");
    buffer.FillImage();
    if (!LoadHexFile(step.file, buffer.Image(), catalogue->Chip(chipIndex).FlashSize(),
                     [&](const std::string& line) { std::fputs(line.c_str(), out); })) {
      return 1;
    }
  }
  buffer.FillImage();
  // The configuration buffer starts from the chip's defaults; --set changes are checked before connecting.
  FuseSession fuse(options.sets, fuseWrite);
  if (!fuse.Prepare(catalogue->Chip(chipIndex), buffer.Config(), err)) return fuse.ExitStatus();

  std::unique_ptr<DeviceEnvironment> env;
  std::unique_ptr<programmer::CIceAPI> api;
  CliSink sink(out, err);

  for (const CliStep& step : options.steps) {
    if (step.command == CliCommand::kChips) {
      PrintChips(*catalogue, out);
      continue;
    }
    if (!api) {
      env = DeviceEnvironment::Create(options.simulate);
      api = std::make_unique<programmer::CIceAPI>(env->Backend(), env->GetClock());
      api->SetWindow(&sink);
      api->SetBuffers(buffer.Image(), buffer.Config());
      const uint16_t modelWord = modelIndex == 0 ? kQx410ModelWord : kOrvenfModelWord;
      const uint16_t reported = api->Connect(modelWord);
      std::fputs(ConnectLogLine(reported).c_str(), out);
      if (reported != 0 && !IsKnownModel(reported)) std::fprintf(out, "%s\n", texts::kUnknownModel);
      if (!IsKnownModel(reported)) return 1;
      // The device decides the catalogue; the chip index must lie inside it.
      if (&CatalogueForModelWord(reported) != catalogue) {
        catalogue = &CatalogueForModelWord(reported);
        if (options.chip && catalogue->FindChip(*options.chip) < 0) {
          // Never fall back to another chip than the one the user named.
          return Usage(err, "the connected programmer is a " + std::string(ModelName(reported)) +
                                " and has no chip '" + *options.chip + "'");
        }
        chipIndex = ChipIndexInCatalogue(*catalogue, options.chip ? catalogue->FindChip(*options.chip) : -1, ini);
        if (!fuse.Prepare(catalogue->Chip(chipIndex), buffer.Config(), err)) return fuse.ExitStatus();
      }
      std::fprintf(out, "%s%s\n", texts::kChipLabel, ChipName(catalogue->Chip(chipIndex)).c_str());
    }
    const ChipEntry& chip = catalogue->Chip(chipIndex);

    switch (step.command) {
      case CliCommand::kInfo: {
        IdentificationBlock id;
        api->GetIdentity(&id);
        PrintInfo(id, out);
        continue;
      }
      case CliCommand::kUpgrade: {
        IdentificationBlock id;
        api->GetIdentity(&id);
        const firmware::FirmwareDescriptor& carried = firmware::CarriedFirmware(id.ModelWord());
        if (RefusesFirmwareWrite(carried, env->Backend())) {
          std::fputs(programmer::texts::kTestImageRefused, out);
          return 1;
        }
        api->StartFirmwareUpdate(carried.Image());
        api->WaitIdle();
        if (!api->LastRunSucceeded()) return 1;
        continue;
      }
      default:
        break;
    }

    if (step.command == CliCommand::kAuto || step.command == CliCommand::kProgram ||
        step.command == CliCommand::kVerify) {
      buffer.FillImage();
      if (!LoadHexFile(step.file, buffer.Image(), chip.FlashSize(),
                       [&](const std::string& line) { std::fputs(line.c_str(), out); })) {
        return 1;
      }
    }
    api->StartOperation(OperationMaskOf(step.command), &chip);
    api->WaitIdle();
    if (!api->LastRunSucceeded()) return 1;
    if (step.command == CliCommand::kRead && !WriteHexFile(step.file, buffer.Image(), chip.FlashSize())) {
      std::fprintf(err, "tormik-cli: cannot write '%s'\n", step.file.c_str());
      return 1;
    }
    if (step.command == CliCommand::kFuseRead) fuse.Show(chip, buffer.Config(), out);
  }
  return 0;
}

}  // namespace orven::app
