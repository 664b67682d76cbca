// Command line of tormik-cli:
//   tormik-cli [--simulate] [--model qx410|orvenf] [--chip NAME|INDEX] [--serial S[,S...] | --device PATH | --all]
//              [--format hex|bin] [--strict] [--json] [--set NAME=VALUE]... COMMAND [FILE] [COMMAND [FILE]]...
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/cli/cli_data_file.h"
#include "tormik/stamp.h"

namespace orven::app {

enum class CliCommand { kInfo, kChips, kList, kAuto, kErase, kBlank, kProgram, kRead, kVerify, kFuseWrite, kFuseRead, kUpgrade };

struct CliStep {
  CliCommand command;
  std::string file;  // for auto, program, read, verify
};

struct CliOptions {
  bool help = false;
  bool simulate = false;
  std::optional<int> model;          // 0 = QX410, 1 = ORVENF
  std::optional<std::string> chip;   // name or catalogue index, as typed
  std::vector<std::string> sets;     // "NAME=VALUE" for fuse-write
  bool json = false;                 // JSON documents on stdout, the log on stderr
  bool strict = false;               // data beyond the chip's size is an error, not a warning
  std::optional<DataFormat> format;  // forced data file format
  std::optional<std::string> serial; // the programmer to use, by serial number
  std::vector<std::string> serials;  // several programmers at once, by serial number (--serial A,B,...)
  bool all = false;                  // every attached programmer of the model at once
  std::optional<std::string> device; // the programmer to use, by device path
  std::optional<StampSpec> stamp;    // a serial number into each chip's image (--stamp)
  std::string stampLog;              // the CSV record of the numbers given out (--stamp-log)
  bool stampOverwrite = false;       // the stamp may replace data of the file
  bool repeat = false;               // run the commands again for the next chip until q or end of input
  std::vector<CliStep> steps;
};

// Whether the options run a gang: several programmers at once.
inline bool IsGang(const CliOptions& options) { return options.all || !options.serials.empty(); }

// Parses the arguments after the program name. On a usage error returns false with a one-line reason.
bool ParseCliOptions(const std::vector<std::string>& args, CliOptions* options, std::string* error);

// The operation mask the window's button of the same name uses; 0 for commands that are not operations.
unsigned OperationMaskOf(CliCommand command);

// The command's name as typed.
const char* CommandName(CliCommand command);

// Whether the command takes a FILE argument.
bool TakesFile(CliCommand command);

const char* CliUsage();

}  // namespace orven::app
