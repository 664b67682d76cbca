// Serial-number stamps on the command line: the checks before anything is sent, and one number per chip for
// the single programmer and for each programmer of a gang.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "app/cli/cli_options.h"
#include "tormik/stamp_log.h"

namespace orven::app {

class CliStamps {
 public:
  // Checks --stamp against the chip (its bytes inside the flash, over no data of a file that programs or
  // verifies unless --stamp-overwrite) and opens the stamp log. Returns 0, or the exit status after printing
  // why to err. Without --stamp there is nothing to do.
  int Prepare(const CliOptions& options, uint32_t flashSize, FILE* err);
  bool Active() const { return issuer_ != nullptr; }

  // Writes the number of chip `slot` (a programmer of the gang; 0 for the single one) into image, issuing
  // it on the first call of the chip's round. False, with *why, when the number cannot be given.
  bool Stamp(size_t slot, const std::string& programmer, const std::string& chip, uint32_t flashSize,
             uint8_t* image, std::string* why);
  // Ends the chip's round: logs its number good or spoiled and returns it (none when it got no number).
  std::optional<uint64_t> Finish(size_t slot, const std::string& programmer, const std::string& chip, bool good);

 private:
  std::unique_ptr<StampIssuer> issuer_;
  std::mutex mutex_;
  std::map<size_t, uint64_t> numbers_;
};

}  // namespace orven::app
