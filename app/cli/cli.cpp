#include "app/cli/cli.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cctype>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>

#include "tormik/chip_catalogue.h"
#include "app/cli/cli_fuse.h"
#include "app/cli/cli_data_file.h"
#include "app/cli/cli_options.h"
#include "app/cli/cli_sink.h"
#include "app/cli/cli_stamps.h"
#include "app/cli/gang_printer.h"
#include "tormik/device_choice.h"
#include "tormik/device_environment.h"
#include "tormik/gang_runner.h"
#include "tormik/hex_file.h"
#include "tormik/image_buffer.h"
#include "tormik/ini.h"
#include "tormik/session.h"
#include "tormik/texts.h"
#include "firmware/carried_firmware.h"
#include "link/hid.h"
#include "programmer/ice_api.h"
#include "programmer/texts.h"

namespace orven::app {
namespace {

int Usage(FILE* err, const std::string& reason) {
  // The lines before the first blank line of the full text are the synopsis.
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

std::string Trimmed(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b);
}

std::string Hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

// One JSON document per line; texts that are not valid UTF-8 are repaired rather than refused.
void PrintJson(const nlohmann::json& doc, FILE* out) {
  std::fprintf(out, "%s\n", doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
  std::fflush(out);
}

void PrintChips(const ModelCatalogue& catalogue, FILE* out) {
  for (size_t i = 0; i < catalogue.Size(); ++i) {
    const ChipEntry& e = catalogue.entries[i];
    std::fprintf(out, "%3zu  %-17s %-20s 0x%05X  %u\n", i, catalogue.vendors[static_cast<size_t>(e.vendor - 1)],
                 ChipName(e).c_str(), e.FlashSize(), e.parameters.AlgorithmCode());
  }
}

nlohmann::json ChipsJson(const ModelCatalogue& catalogue) {
  nlohmann::json chips = nlohmann::json::array();
  for (size_t i = 0; i < catalogue.Size(); ++i) {
    const ChipEntry& e = catalogue.entries[i];
    chips.push_back({{"index", i},
                     {"vendor", catalogue.vendors[static_cast<size_t>(e.vendor - 1)]},
                     {"name", ChipName(e)},
                     {"flashSize", e.FlashSize()},
                     {"algorithm", e.parameters.AlgorithmCode()},
                     {"configFile", ConfigFileName(e)}});
  }
  return {{"type", "chips"}, {"model", ModelName(catalogue.modelWord)}, {"chips", chips}};
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

nlohmann::json InfoJson(const IdentificationBlock& id, const ChipEntry& chip) {
  const firmware::FirmwareDescriptor& carried = firmware::CarriedFirmware(id.ModelWord());
  return {{"type", "info"},
          {"model", ModelName(id.ModelWord())},
          {"modelWord", Hex(id.ModelWord(), 4)},
          {"firmware", Trimmed(id.VersionText())},
          {"major", id.Major()},
          {"minor", id.Minor()},
          {"build", id.Build()},
          {"serial", Trimmed(id.SerialText())},
          {"carriedBuild", carried.Build()},
          {"carriedIsTestImage", carried.isTestImage},
          {"firmwareCurrent", id.Build() == carried.Build()},
          {"chip", ChipName(chip)}};
}

// One run of the command line.
class CliRun {
 public:
  CliRun(const CliOptions& options, FILE* in, FILE* out, FILE* err)
      : options_(options), in_(in), out_(out), err_(err), log_(options.json ? err : out), sink_(log_, err) {}

  int Run();
  uint64_t Bytes() const { return bytes_; }
  // Chips programmed by gang and repeated runs, by outcome.
  uint64_t Good() const { return good_; }
  uint64_t Failed() const { return failed_; }

 private:
  int CheckDataFiles();
  int LoadStepFile(const CliStep& step, uint32_t flashSize, bool report, uint8_t* image);
  // The chip of catalogue_: --chip, else the model's ChipNO in the settings. 2 when --chip names none.
  int ChooseChip();
  int RunSteps();
  int RunGang();
  int GangRound(const GangJob& job, const std::vector<GangTarget>& targets);
  // Runs round once, or with --repeat until q or the end of input; returns the worst status of the rounds.
  int Rounds(const std::function<int()>& round);
  std::string ConnectedSerial() const {
    IdentificationBlock id;
    return api_ && api_->GetIdentity(&id) ? Trimmed(id.SerialText()) : std::string();
  }
  int GangTargets(std::vector<GangTarget>* targets, uint16_t* modelWord);
  DeviceEnvironment& Env() {
    if (!env_) env_ = DeviceEnvironment::Create(options_.simulate);
    return *env_;
  }
  int List();
  int ChooseDevice(link::HidBackend** backend);
  int Connect();
  void LogLine(const std::string& text) { std::fputs(text.c_str(), log_); }

  const CliOptions& options_;
  FILE* in_;  // answers to the next-chip prompt
  FILE* out_;
  FILE* err_;
  FILE* log_;  // the log lines: stdout, or stderr when stdout carries JSON
  CliSink sink_;
  CIni ini_{SettingsPath()};
  int modelIndex_ = 0;
  const ModelCatalogue* catalogue_ = nullptr;
  int chipIndex_ = 0;
  ImageBuffer buffer_;
  std::unique_ptr<FuseSession> fuse_;
  std::unique_ptr<DeviceEnvironment> env_;
  std::unique_ptr<ChosenDeviceBackend> chosen_;
  std::unique_ptr<programmer::CIceAPI> api_;
  uint64_t bytes_ = 0;
  uint64_t good_ = 0;
  uint64_t failed_ = 0;
  CliStamps stamps_;
};

int CliRun::LoadStepFile(const CliStep& step, uint32_t flashSize, bool report, uint8_t* image) {
  const DataFormat format = DataFormatOf(step.file, options_.format);
  const DataFileLoad load =
      LoadDataFile(step.file, format, image, flashSize, [&](const std::string& line) { LogLine(line); });
  if (!load.ok) {
    if (format == DataFormat::kBin) std::fprintf(err_, "tormik-cli: cannot read '%s'\n", step.file.c_str());
    return 1;
  }
  if (load.dataBytes == 0) {
    // A text file that is not Intel HEX loads as nothing at all; programming it would write an erased chip.
    std::fprintf(err_, "tormik-cli: '%s' holds no %s; nothing was sent to the programmer\n", step.file.c_str(),
                 format == DataFormat::kHex ? "Intel HEX data record (is it an Intel HEX file?)" : "data");
    return 1;
  }
  if (load.bytesBeyond > 0 && (report || options_.strict)) {
    const bool verifying = step.command == CliCommand::kVerify;
    std::fprintf(err_, "tormik-cli: %s: %llu bytes beyond the chip's 0x%X were not %s\n",
                 options_.strict ? "error" : "warning", static_cast<unsigned long long>(load.bytesBeyond), flashSize,
                 verifying ? "verified" : "programmed");
    if (options_.strict) return 1;
  }
  return 0;
}

int CliRun::CheckDataFiles() {
  // Every data file is checked before anything is sent to the programmer, except one that an earlier read of
  // the same call writes.
  std::set<std::string> readFiles;
  for (const CliStep& step : options_.steps) {
    if (step.command == CliCommand::kRead) {
      std::string why;
      if (!readFiles.count(step.file) && !CanWriteFile(step.file, &why)) {
        return Usage(err_, "cannot write '" + step.file + "': " + why);
      }
      readFiles.insert(step.file);
      continue;
    }
    if (!TakesFile(step.command) || readFiles.count(step.file)) continue;
    if (!FileReadable(step.file)) return Usage(err_, "cannot open data file '" + step.file + "'");
    if (int status = LoadStepFile(step, catalogue_->Chip(chipIndex_).FlashSize(), false, buffer_.Image());
        status != 0) {
      return status;
    }
  }
  buffer_.FillImage();
  return 0;
}

int CliRun::List() {
  link::HidBackend& backend = Env().Backend();
  const std::vector<AttachedProgrammer> found = ListProgrammers(backend, Env().GetClock());
  nlohmann::json list = nlohmann::json::array();
  for (const AttachedProgrammer& p : found) {
    const std::string& path = p.device.path;
    const bool denied = !p.identified && backend.ReachesPhysicalDevices() && ::access(path.c_str(), R_OK | W_OK) != 0;
    if (options_.json) {
      nlohmann::json entry = {{"path", path},
                              {"productId", Hex(p.device.productId, 4)},
                              {"identified", p.identified},
                              {"accessDenied", denied}};
      if (p.identified) {
        entry["model"] = ModelName(p.identity.ModelWord());
        entry["firmware"] = Trimmed(p.identity.VersionText());
        entry["build"] = p.identity.Build();
        entry["serial"] = Trimmed(p.identity.SerialText());
      }
      list.push_back(entry);
    } else if (p.identified) {
      std::fprintf(out_, "%-7s %-14s %-9s %s\n", ModelName(p.identity.ModelWord()),
                   Trimmed(p.identity.VersionText()).c_str(), Trimmed(p.identity.SerialText()).c_str(), path.c_str());
    } else {
      std::fprintf(out_, "%-7s %-14s %-9s %s\n", "?", denied ? "(no access)" : "(no answer)", "?", path.c_str());
    }
    if (denied) std::fprintf(err_, texts::kCliAccessDenied, path.c_str());
  }
  if (options_.json) PrintJson({{"type", "list"}, {"programmers", list}}, out_);
  if (found.empty()) std::fputs("tormik-cli: no programmer is attached\n", err_);
  return 0;
}

int CliRun::ChooseDevice(link::HidBackend** backend) {
  *backend = &Env().Backend();
  if (!options_.serial && !options_.device) return 0;
  std::string path;
  if (options_.device) {
    for (const link::HidDeviceInfo& d : Env().Backend().Enumerate()) {
      if (d.vendorId == link::kVendorId && d.path == *options_.device) path = d.path;
    }
    if (path.empty()) {
      std::fprintf(err_, "tormik-cli: no programmer at '%s' (see 'tormik-cli list')\n", options_.device->c_str());
      return 1;
    }
  } else {
    for (const AttachedProgrammer& p : ListProgrammers(Env().Backend(), Env().GetClock())) {
      if (p.identified && SerialMatches(p.identity, *options_.serial)) {
        path = p.device.path;
        break;
      }
    }
    if (path.empty()) {
      std::fprintf(err_, "tormik-cli: no programmer with serial number '%s' (see 'tormik-cli list')\n",
                   options_.serial->c_str());
      return 1;
    }
  }
  chosen_ = std::make_unique<ChosenDeviceBackend>(Env().Backend(), path);
  *backend = chosen_.get();
  return 0;
}

int CliRun::Connect() {
  link::HidBackend* backend = nullptr;
  if (int status = ChooseDevice(&backend); status != 0) return status;
  api_ = std::make_unique<programmer::CIceAPI>(*backend, Env().GetClock());
  api_->SetWindow(&sink_);
  api_->SetBuffers(buffer_.Image(), buffer_.Config());
  // A programmer chosen by serial number or path is taken whatever its model, unless --model names one.
  const bool chosen = chosen_ != nullptr;
  const uint16_t modelWord = chosen && !options_.model ? 0 : modelIndex_ == 0 ? kQx410ModelWord : kOrvenfModelWord;
  const uint16_t reported = api_->Connect(modelWord);
  LogLine(ConnectLogLine(reported));
  if (reported == 0) {
    const std::string denied = AccessDeniedPath(Env().Backend());
    if (!denied.empty()) std::fprintf(err_, texts::kCliAccessDenied, denied.c_str());
  }
  if (reported != 0 && !IsKnownModel(reported)) LogLine(std::string(texts::kUnknownModel) + "\n");
  if (!IsKnownModel(reported)) return 1;
  // The device decides the catalogue; the chip index must lie inside it.
  if (&CatalogueForModelWord(reported) != catalogue_) {
    catalogue_ = &CatalogueForModelWord(reported);
    if (options_.chip && catalogue_->FindChip(*options_.chip) < 0) {
      // Never fall back to another chip than the one the user named.
      return Usage(err_, "the connected programmer is a " + std::string(ModelName(reported)) + " and has no chip '" +
                             *options_.chip + "'");
    }
    chipIndex_ = ChipIndexInCatalogue(*catalogue_, options_.chip ? catalogue_->FindChip(*options_.chip) : -1, ini_);
    if (!fuse_->Prepare(catalogue_->Chip(chipIndex_), buffer_.Config(), err_)) return fuse_->ExitStatus();
  }
  LogLine(std::string(texts::kChipLabel) + ChipName(catalogue_->Chip(chipIndex_)) + "\n");
  return 0;
}

int CliRun::ChooseChip() {
  chipIndex_ = catalogue_->ClampChipNo(ini_.GetInt(catalogue_->settingsSection, kKeyChipNo));
  if (options_.chip) {
    chipIndex_ = IsNumber(*options_.chip) ? std::stoi(*options_.chip) : catalogue_->FindChip(*options_.chip);
    if (chipIndex_ < 0 || static_cast<size_t>(chipIndex_) >= catalogue_->Size()) {
      return Usage(err_, "unknown chip '" + *options_.chip + "' (see 'tormik-cli chips')");
    }
  }
  return 0;
}

int CliRun::Run() {
  if (options_.help) {
    std::fputs(CliUsage(), out_);
    return 0;
  }
  const bool fuseWrite = std::any_of(options_.steps.begin(), options_.steps.end(),
                                     [](const CliStep& s) { return s.command == CliCommand::kFuseWrite; });
  if (!options_.sets.empty() && !fuseWrite) return Usage(err_, "--set only goes with fuse-write");

  if (IsGang(options_)) return RunGang();

  // Model and chip: from the options, else from the settings file (which the command line never writes).
  modelIndex_ = options_.model ? *options_.model : (ini_.GetInt(kSectionSystem, kKeyModel) != 0 ? 1 : 0);
  catalogue_ = &CatalogueForModelIndex(modelIndex_);
  if (int status = ChooseChip(); status != 0) return status;
  if (int status = CheckDataFiles(); status != 0) return status;

  // The configuration buffer starts from the chip's defaults; --set changes are checked before connecting.
  fuse_ = std::make_unique<FuseSession>(options_.sets, fuseWrite);
  if (!fuse_->Prepare(catalogue_->Chip(chipIndex_), buffer_.Config(), err_)) return fuse_->ExitStatus();
  if (int status = stamps_.Prepare(options_, catalogue_->Chip(chipIndex_).FlashSize(), err_); status != 0) {
    return status;
  }
  return Rounds([this] {
    const int status = RunSteps();
    const bool good = status == 0;
    if (const std::optional<uint64_t> number =
            stamps_.Finish(0, ConnectedSerial(), ChipName(catalogue_->Chip(chipIndex_)), good)) {
      std::fprintf(log_, "stamp: %llu %s\n", static_cast<unsigned long long>(*number), good ? "good" : "spoiled");
    }
    // The next chip starts on a fresh connection after a failure: the programmer may have gone and come back.
    if (!good) api_.reset();
    ++(good ? good_ : failed_);
    return status;
  });
}

int CliRun::RunSteps() {
  for (const CliStep& step : options_.steps) {
    if (step.command == CliCommand::kChips) {
      if (options_.json) {
        PrintJson(ChipsJson(*catalogue_), out_);
      } else {
        PrintChips(*catalogue_, out_);
      }
      continue;
    }
    if (step.command == CliCommand::kList) {
      if (int status = List(); status != 0) return status;
      continue;
    }
    if (!api_) {
      if (int status = Connect(); status != 0) return status;
    }
    const ChipEntry& chip = catalogue_->Chip(chipIndex_);

    switch (step.command) {
      case CliCommand::kInfo: {
        IdentificationBlock id;
        api_->GetIdentity(&id);
        if (options_.json) {
          PrintJson(InfoJson(id, chip), out_);
        } else {
          PrintInfo(id, out_);
        }
        continue;
      }
      case CliCommand::kUpgrade: {
        IdentificationBlock id;
        api_->GetIdentity(&id);
        const firmware::FirmwareDescriptor& carried = firmware::CarriedFirmware(id.ModelWord());
        if (RefusesFirmwareWrite(carried, Env().Backend())) {
          LogLine(programmer::texts::kTestImageRefused);
          return 1;
        }
        api_->StartFirmwareUpdate(carried.Image());
        api_->WaitIdle();
        if (!api_->LastRunSucceeded()) return 1;
        continue;
      }
      default:
        break;
    }

    if (step.command == CliCommand::kAuto || step.command == CliCommand::kProgram ||
        step.command == CliCommand::kVerify) {
      if (int status = LoadStepFile(step, chip.FlashSize(), true, buffer_.Image()); status != 0) return status;
      std::string why;
      if (stamps_.Active() &&
          !stamps_.Stamp(0, ConnectedSerial(), ChipName(chip), chip.FlashSize(), buffer_.Image(), &why)) {
        std::fprintf(err_, "tormik-cli: %s\n", why.c_str());
        return 1;
      }
    }
    const unsigned mask = OperationMaskOf(step.command);
    api_->StartOperation(mask, &chip);
    api_->WaitIdle();
    if (!api_->LastRunSucceeded()) return 1;
    bytes_ += BytesMoved(mask, chip.FlashSize());
    if (step.command == CliCommand::kRead &&
        !WriteDataFile(step.file, DataFormatOf(step.file, options_.format), buffer_.Image(), chip.FlashSize())) {
      std::fprintf(err_, "tormik-cli: cannot write '%s'\n", step.file.c_str());
      return 1;
    }
    if (step.command == CliCommand::kFuseRead) {
      if (options_.json) {
        std::fprintf(out_, "%s\n", fuse_->ShowJson(chip, buffer_.Config()).c_str());
      } else {
        fuse_->Show(chip, buffer_.Config(), out_);
      }
    }
  }
  return 0;
}

// The programmers of the gang: every identified one of the model (--all), or those named (--serial A,B,...),
// which must all be of one model. Sets modelIndex_ to that model.
int CliRun::GangTargets(std::vector<GangTarget>* targets, uint16_t* modelWord) {
  const std::vector<AttachedProgrammer> found = ListProgrammers(Env().Backend(), Env().GetClock());
  auto target = [&](const AttachedProgrammer& p) {
    return GangTarget{p.device.path, Trimmed(p.identity.SerialText()), &Env().GetClock()};
  };
  if (options_.all) {
    modelIndex_ = options_.model ? *options_.model : (ini_.GetInt(kSectionSystem, kKeyModel) != 0 ? 1 : 0);
    *modelWord = modelIndex_ == 0 ? kQx410ModelWord : kOrvenfModelWord;
    // A programmer of the model's product that did not answer its identify stays in the gang, so that it fails
    // where the user sees it instead of being left out without a word.
    const uint16_t product = *modelWord == kQx410ModelWord ? link::kProductQx410 : link::kProductOrvenf;
    for (const AttachedProgrammer& p : found) {
      if (p.identified ? p.identity.ModelWord() == *modelWord : p.device.productId == product) {
        targets->push_back(p.identified ? target(p) : GangTarget{p.device.path, "?", &Env().GetClock()});
      }
    }
    if (targets->empty()) {
      std::fprintf(err_, "tormik-cli: no %s programmer is attached (see 'tormik-cli list')\n", ModelName(*modelWord));
      return 1;
    }
    return 0;
  }
  *modelWord = options_.model ? (*options_.model == 0 ? kQx410ModelWord : kOrvenfModelWord) : 0;
  for (const std::string& serial : options_.serials) {
    const AttachedProgrammer* match = nullptr;
    for (const AttachedProgrammer& p : found) {
      if (p.identified && SerialMatches(p.identity, serial) && (*modelWord == 0 || p.identity.ModelWord() == *modelWord)) {
        match = &p;
        break;
      }
    }
    if (match == nullptr) {
      std::fprintf(err_, "tormik-cli: no programmer with serial number '%s' (see 'tormik-cli list')\n", serial.c_str());
      return 1;
    }
    if (*modelWord == 0) *modelWord = match->identity.ModelWord();
    if (match->identity.ModelWord() != *modelWord || !IsKnownModel(*modelWord)) {
      return Usage(err_, "the programmers named by --serial are not all of one model (give --model)");
    }
    // Two workers on one programmer would interleave their commands on its link.
    if (std::any_of(targets->begin(), targets->end(), [&](const GangTarget& t) { return t.path == match->device.path; })) {
      return Usage(err_, "--serial names the programmer '" + serial + "' twice");
    }
    targets->push_back(target(*match));
  }
  modelIndex_ = *modelWord == kQx410ModelWord ? 0 : 1;
  return 0;
}

int CliRun::RunGang() {
  std::vector<GangTarget> targets;
  uint16_t modelWord = 0;
  if (int status = GangTargets(&targets, &modelWord); status != 0) return status;
  catalogue_ = &CatalogueForModelIndex(modelIndex_);
  if (int status = ChooseChip(); status != 0) return status;
  const ChipEntry& chip = catalogue_->Chip(chipIndex_);
  if (int status = CheckDataFiles(); status != 0) return status;
  const bool fuseWrite = std::any_of(options_.steps.begin(), options_.steps.end(),
                                     [](const CliStep& s) { return s.command == CliCommand::kFuseWrite; });
  fuse_ = std::make_unique<FuseSession>(options_.sets, fuseWrite);
  if (!fuse_->Prepare(chip, buffer_.Config(), err_)) return fuse_->ExitStatus();

  // Each data file is loaded once; the workers copy it into images of their own.
  GangJob job;
  job.modelWord = modelWord;
  job.chip = &chip;
  job.config = buffer_.Config();
  std::vector<std::unique_ptr<ImageBuffer>> images;
  for (const CliStep& step : options_.steps) {
    GangStep gangStep{OperationMaskOf(step.command), nullptr};
    if (TakesFile(step.command)) {
      images.push_back(std::make_unique<ImageBuffer>());
      if (int status = LoadStepFile(step, chip.FlashSize(), true, images.back()->Image()); status != 0) return status;
      gangStep.image = images.back()->Image();
    }
    job.steps.push_back(gangStep);
  }

  if (int status = stamps_.Prepare(options_, chip.FlashSize(), err_); status != 0) return status;
  return Rounds([&] { return GangRound(job, targets); });
}

int CliRun::GangRound(const GangJob& job, const std::vector<GangTarget>& targets) {
  const std::string chip = ChipName(*job.chip);
  std::vector<std::string> serials;
  for (const GangTarget& t : targets) serials.push_back(t.serial);
  GangPrinter printer(log_, isatty(fileno(err_)) != 0 ? err_ : nullptr, serials);
  GangRunner runner(Env().Backend());
  std::vector<std::optional<uint64_t>> numbers(targets.size());
  if (stamps_.Active()) {
    runner.SetChipHook([&](size_t target, uint8_t* image, std::string* why) {
      return stamps_.Stamp(target, targets[target].serial, chip, job.chip->FlashSize(), image, why);
    });
    runner.SetChipDone([&](size_t target, const GangResult& result) {
      numbers[target] = stamps_.Finish(target, targets[target].serial, chip, result.ok);
    });
  }
  printer.Begin();
  const std::vector<GangResult> results = runner.Run(job, targets, &printer);
  printer.End();

  std::vector<GangRow> rows;
  bool allGood = true;
  for (size_t i = 0; i < results.size(); ++i) {
    const GangResult& r = results[i];
    rows.push_back(GangRow{r, chip, numbers[i]});
    bytes_ += r.bytes;
    allGood = allGood && r.ok;
    if (r.ok) {
      ++good_;
    } else {
      ++failed_;
    }
  }
  if (options_.json) {
    for (const GangRow& row : rows) std::fprintf(out_, "%s\n", GangRowJson(row).c_str());
    std::fflush(out_);
  } else {
    PrintGangTable(rows, out_);
  }
  return allGood ? 0 : 1;
}

int CliRun::Rounds(const std::function<int()>& round) {
  if (!options_.repeat) return round();
  int worst = 0;
  for (;;) {
    const int status = round();
    if (status == 2) return status;
    worst = std::max(worst, status);
    std::fprintf(log_, "good: %llu, failed: %llu\n%s\n", static_cast<unsigned long long>(good_),
                 static_cast<unsigned long long>(failed_), texts::kNextChipPrompt);
    std::fflush(log_);
    // One answer a line; the line is read whole, however long, so its rest never answers the next prompt.
    int c = std::fgetc(in_);
    const bool quit = c == EOF || c == 'q' || c == 'Q';
    while (c != EOF && c != '\n') c = std::fgetc(in_);
    if (quit) break;
  }
  std::fprintf(log_, "chips: %llu good, %llu failed\n", static_cast<unsigned long long>(good_),
               static_cast<unsigned long long>(failed_));
  std::fflush(log_);
  return worst;
}

const char* ResultName(int status) {
  switch (status) {
    case 0: return "ok";
    case 2: return "usage";
    default: return "failed";
  }
}

}  // namespace

int RunTormikCli(const std::vector<std::string>& args, FILE* out, FILE* err) {
  return RunTormikCli(args, stdin, out, err);
}

int RunTormikCli(const std::vector<std::string>& args, FILE* in, FILE* out, FILE* err) {
  const auto start = std::chrono::steady_clock::now();
  CliOptions options;
  std::string error;
  int status = 0;
  uint64_t bytes = 0;
  uint64_t good = 0;
  uint64_t failed = 0;
  if (!ParseCliOptions(args, &options, &error)) {
    status = Usage(err, error);
    options.json = std::find(args.begin(), args.end(), "--json") != args.end();
  } else {
    CliRun run(options, in, out, err);
    status = run.Run();
    bytes = run.Bytes();
    good = run.Good();
    failed = run.Failed();
  }
  if (options.json && !options.help) {
    // The last line of every run, for production scripts.
    nlohmann::json commands = nlohmann::json::array();
    for (const CliStep& step : options.steps) commands.push_back(CommandName(step.command));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    nlohmann::json summary = {{"type", "summary"},
                              {"commands", commands},
                              {"result", ResultName(status)},
                              {"exitStatus", status},
                              {"bytes", bytes},
                              {"seconds", std::round(seconds * 1000.0) / 1000.0}};
    if (IsGang(options) || options.repeat) {
      summary["good"] = good;
      summary["failed"] = failed;
    }
    PrintJson(summary, out);
  }
  return status;
}

}  // namespace orven::app
