#include "app/cli/cli_stamps.h"

namespace orven::app {

int CliStamps::Prepare(const CliOptions& options, uint32_t flashSize, FILE* err) {
  if (!options.stamp) return 0;
  const StampSpec& spec = *options.stamp;
  if (spec.address >= flashSize || spec.bytes > flashSize - spec.address) {
    std::fprintf(err, "tormik-cli: the stamp's %u bytes at 0x%X do not lie inside the chip's 0x%X bytes\n", spec.bytes,
                 spec.address, flashSize);
    return 2;
  }
  if (!options.stampOverwrite) {
    for (const CliStep& step : options.steps) {
      if (step.command != CliCommand::kAuto && step.command != CliCommand::kProgram &&
          step.command != CliCommand::kVerify) {
        continue;
      }
      if (DataFileCovers(step.file, DataFormatOf(step.file, options.format), flashSize, spec.address, spec.bytes)) {
        std::fprintf(err,
                     "tormik-cli: the stamp's %u bytes at 0x%X lie over data of '%s' (--stamp-overwrite lets it "
                     "replace them)\n",
                     spec.bytes, spec.address, step.file.c_str());
        return 2;
      }
    }
  }
  issuer_ = std::make_unique<StampIssuer>(spec);
  std::string error;
  if (!options.stampLog.empty() && !issuer_->OpenLog(options.stampLog, &error)) {
    std::fprintf(err, "tormik-cli: %s\n", error.c_str());
    issuer_.reset();
    return 1;
  }
  return 0;
}

bool CliStamps::Stamp(size_t slot, const std::string& programmer, const std::string& chip, uint32_t flashSize,
                      uint8_t* image, std::string* why) {
  const StampSpec& spec = issuer_->Spec();
  if (spec.address >= flashSize || spec.bytes > flashSize - spec.address) {
    *why = "the stamp does not lie inside the chip";
    return false;
  }
  // Each slot is one worker's; the lock guards the map, not the order of the numbers (the issuer keeps that).
  std::optional<uint64_t> number;
  {
    std::lock_guard lock(mutex_);
    auto it = numbers_.find(slot);
    if (it != numbers_.end()) number = it->second;
  }
  if (!number) {
    uint64_t issued = 0;
    if (!issuer_->Issue(programmer, chip, &issued, why)) return false;
    std::lock_guard lock(mutex_);
    numbers_[slot] = issued;
    number = issued;
  }
  return EncodeStamp(spec, *number, image + spec.address);
}

std::optional<uint64_t> CliStamps::Finish(size_t slot, const std::string& programmer, const std::string& chip,
                                          bool good) {
  std::optional<uint64_t> number;
  {
    std::lock_guard lock(mutex_);
    auto it = numbers_.find(slot);
    if (it == numbers_.end()) return std::nullopt;
    number = it->second;
    numbers_.erase(it);
  }
  issuer_->Record(programmer, chip, *number, good);
  return number;
}

}  // namespace orven::app
