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
  // sets: the "NAME=VALUE" texts of --set; needed: a configuration write will run, so the chip's configuration
  // file must load.
  FuseSession(std::vector<std::string> sets, bool needed) : sets_(std::move(sets)), needed_(needed) {}

  // Chip refresh for the command line: the chip's default configuration bytes into config, then the --set
  // changes through the same rules as the editor's OK. False on failure, with the message printed, and
  // ExitStatus() then says 1 (the file does not load) or 2 (an unknown item or value); config is then as the
  // refresh left it and nothing has been sent.
  bool Prepare(const ChipEntry& chip, uint8_t* config, FILE* err);
  int ExitStatus() const { return exitStatus_; }
  // Prints the 32 bytes and, for a chip with a configuration file, every item decoded: category, name, the
  // value as the editor shows it and the raw field value.
  void Show(const ChipEntry& chip, const uint8_t* config, FILE* out) const;
  // The same as one JSON document (one line): chip, the 32 bytes as hex text, and the decoded items.
  std::string ShowJson(const ChipEntry& chip, const uint8_t* config) const;

 private:
  bool Fail(int status) {
    exitStatus_ = status;
    return false;
  }

  std::vector<std::string> sets_;
  bool needed_;
  int exitStatus_ = 0;
};

}  // namespace orven::app
