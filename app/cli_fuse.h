// The configuration (fuse) side of tormik-cli: the chip's default configuration bytes, --set changes and the
// decoded display after fuse-read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "programmer/chip_entry.h"

namespace orven::app {

class FuseSession {
 public:
  explicit FuseSession(std::vector<std::string> sets) : sets_(std::move(sets)) {}

  // Chip refresh for the command line: the chip's default configuration bytes into config, then the --set
  // changes. False on failure, with the message printed; ExitStatus() then says 1 or 2.
  bool Prepare(const ChipEntry& chip, uint8_t* config, FILE* out, FILE* err);
  int ExitStatus() const { return exitStatus_; }
  // Prints the 32 bytes and, for a chip with a configuration file, every item decoded.
  void Show(const ChipEntry& chip, const uint8_t* config, FILE* out) const;

 private:
  std::vector<std::string> sets_;
  int exitStatus_ = 0;
};

}  // namespace orven::app
