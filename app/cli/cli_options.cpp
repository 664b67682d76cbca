#include "app/cli/cli_options.h"

#include <strings.h>

#include <algorithm>

namespace orven::app {
namespace {

struct CommandEntry {
  const char* name;
  CliCommand command;
  unsigned mask;
  bool file;
};

// The masks are those of the window's buttons: "自动下载" 0x03, "擦除" 0x01, "查空" 0x04, "写入" 0x02,
// "读取" 0x08, "校验" 0x10, "写入配置" 0x20, "读取配置" 0x40.
constexpr CommandEntry kCommands[] = {
    {"info", CliCommand::kInfo, 0, false},          {"chips", CliCommand::kChips, 0, false},
    {"list", CliCommand::kList, 0, false},
    {"auto", CliCommand::kAuto, 0x03, true},        {"erase", CliCommand::kErase, 0x01, false},
    {"blank", CliCommand::kBlank, 0x04, false},     {"program", CliCommand::kProgram, 0x02, true},
    {"read", CliCommand::kRead, 0x08, true},        {"verify", CliCommand::kVerify, 0x10, true},
    {"fuse-write", CliCommand::kFuseWrite, 0x20, false}, {"fuse-read", CliCommand::kFuseRead, 0x40, false},
    {"upgrade", CliCommand::kUpgrade, 0, false},
};

// Several programmers at once run the chip operations that take nothing back from the chip but a result.
bool RunsInGang(CliCommand command) {
  switch (command) {
    case CliCommand::kAuto:
    case CliCommand::kErase:
    case CliCommand::kBlank:
    case CliCommand::kProgram:
    case CliCommand::kVerify:
    case CliCommand::kFuseWrite:
      return true;
    default:
      return false;
  }
}

// "A,B,C": at most kMaxGang serial numbers, none empty, none twice.
bool SplitSerials(const std::string& text, std::vector<std::string>* out) {
  constexpr size_t kMaxGang = 64;
  std::vector<std::string> list;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    std::string one = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (one.empty() || list.size() == kMaxGang || std::find(list.begin(), list.end(), one) != list.end()) {
      return false;
    }
    list.push_back(std::move(one));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  *out = std::move(list);
  return true;
}

const CommandEntry* Find(CliCommand command) {
  for (const CommandEntry& c : kCommands) {
    if (c.command == command) return &c;
  }
  return nullptr;
}

}  // namespace

unsigned OperationMaskOf(CliCommand command) { return Find(command)->mask; }

bool TakesFile(CliCommand command) { return Find(command)->file; }

const char* CommandName(CliCommand command) { return Find(command)->name; }

bool ParseCliOptions(const std::vector<std::string>& args, CliOptions* options, std::string* error) {
  *options = CliOptions{};
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= args.size()) {
        *error = arg + " needs a value";
        return false;
      }
      *out = args[++i];
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      options->help = true;
    } else if (arg == "--simulate") {
      options->simulate = true;
    } else if (arg == "--json") {
      options->json = true;
    } else if (arg == "--strict") {
      options->strict = true;
    } else if (arg == "--format") {
      std::string f;
      if (!value(&f)) return false;
      if (strcasecmp(f.c_str(), "hex") == 0) {
        options->format = DataFormat::kHex;
      } else if (strcasecmp(f.c_str(), "bin") == 0) {
        options->format = DataFormat::kBin;
      } else {
        *error = "unknown format '" + f + "' (hex or bin)";
        return false;
      }
    } else if (arg == "--all") {
      options->all = true;
    } else if (arg == "--repeat") {
      options->repeat = true;
    } else if (arg == "--stamp-overwrite") {
      options->stampOverwrite = true;
    } else if (arg == "--stamp") {
      std::string v;
      if (!value(&v)) return false;
      StampSpec spec;
      std::string why;
      if (!ParseStampSpec(v, &spec, &why)) {
        *error = "--stamp: " + why;
        return false;
      }
      options->stamp = spec;
    } else if (arg == "--stamp-log") {
      if (!value(&options->stampLog)) return false;
      if (options->stampLog.empty()) {
        *error = arg + " needs a value";
        return false;
      }
    } else if (arg == "--serial" || arg == "--device") {
      std::string v;
      if (!value(&v)) return false;
      if (v.empty()) {
        *error = arg + " needs a value";
        return false;
      }
      if (arg == "--serial" && v.find(',') != std::string::npos) {
        if (!SplitSerials(v, &options->serials)) {
          *error = "--serial takes serial numbers separated by commas, not '" + v + "'";
          return false;
        }
      } else {
        (arg == "--serial" ? options->serial : options->device) = v;
      }
    } else if (arg == "--model") {
      std::string m;
      if (!value(&m)) return false;
      if (strcasecmp(m.c_str(), "qx410") == 0) {
        options->model = 0;
      } else if (strcasecmp(m.c_str(), "orvenf") == 0) {
        options->model = 1;
      } else {
        *error = "unknown model '" + m + "' (qx410 or orvenf)";
        return false;
      }
    } else if (arg == "--chip") {
      std::string c;
      if (!value(&c)) return false;
      options->chip = c;
    } else if (arg == "--set") {
      std::string s;
      if (!value(&s)) return false;
      if (s.find('=') == std::string::npos || s.front() == '=') {
        *error = "--set takes NAME=VALUE, not '" + s + "'";
        return false;
      }
      options->sets.push_back(s);
    } else if (arg.size() > 1 && arg[0] == '-') {
      *error = "unknown option '" + arg + "'";
      return false;
    } else {
      const CommandEntry* found = nullptr;
      for (const CommandEntry& c : kCommands) {
        if (arg == c.name) found = &c;
      }
      if (found == nullptr) {
        *error = "unknown command '" + arg + "'";
        return false;
      }
      CliStep step{found->command, {}};
      if (found->file) {
        if (i + 1 >= args.size()) {
          *error = arg + " needs a FILE";
          return false;
        }
        step.file = args[++i];
      }
      options->steps.push_back(step);
    }
  }
  if (int(options->serial.has_value()) + int(options->device.has_value()) + int(!options->serials.empty()) +
          int(options->all) >
      1) {
    *error = "--serial, --device and --all all choose programmers: give one";
    return false;
  }
  if (!options->stamp && (!options->stampLog.empty() || options->stampOverwrite)) {
    *error = "--stamp-log and --stamp-overwrite go with --stamp";
    return false;
  }
  if (options->stamp && std::none_of(options->steps.begin(), options->steps.end(), [](const CliStep& s) {
        return s.command == CliCommand::kAuto || s.command == CliCommand::kProgram || s.command == CliCommand::kVerify;
      })) {
    *error = "--stamp goes with auto, program or verify";
    return false;
  }
  if (IsGang(*options)) {
    for (const CliStep& step : options->steps) {
      if (!RunsInGang(step.command)) {
        *error = std::string("'") + CommandName(step.command) +
                 "' does not run on several programmers at once (auto, erase, blank, program, verify and "
                 "fuse-write do)";
        return false;
      }
    }
  }
  if (!options->help && options->steps.empty()) {
    *error = "no command given";
    return false;
  }
  return true;
}

const char* CliUsage() {
  return "usage: tormik-cli [--simulate] [--model qx410|orvenf] [--chip NAME|INDEX]\n"
         "                  [--serial S[,S...] | --device PATH | --all]\n"
         "                  [--format hex|bin] [--strict] [--json] [--set NAME=VALUE]...\n"
         "                  [--stamp ADDR:BYTES[:START[:STEP]][:le|be|bcd|ascii] [--stamp-log FILE]\n"
         "                  [--stamp-overwrite]] [--repeat] COMMAND [FILE]...\n"
         "\n"
         "Programs 8051-family and other chips with an ORVEN programmer. Several commands run in order on one\n"
         "connection and stop at the first failure.\n"
         "\n"
         "Commands:\n"
         "  info          connect and show the model, firmware version and serial number\n"
         "  chips         list the chip catalogue of the model\n"
         "  list          list every attached programmer: model, firmware, serial number, device path\n"
         "  auto FILE     automatic download: erase, then program FILE\n"
         "  erase         erase the chip\n"
         "  blank         blank-check the chip\n"
         "  program FILE  program FILE into the chip\n"
         "  read FILE     read the chip into FILE\n"
         "  verify FILE   compare the chip with FILE\n"
         "  fuse-write    write the configuration (fuse) bytes\n"
         "  fuse-read     read and show the configuration (fuse) bytes\n"
         "  upgrade       write the programmer firmware this program carries\n"
         "\n"
         "Options:\n"
         "  --simulate         use the built-in simulated programmer (also ORVEN_DEVICE=sim)\n"
         "  --model M          programmer model: qx410 or orvenf (default: MODEL in SETUP.ini, else qx410)\n"
         "  --chip NAME|INDEX  chip by catalogue name, e.g. \"AT89S52 [ZIF]\", or index from 'chips'\n"
         "                     (default: ChipNO of the model in SETUP.ini, else the first chip)\n"
         "  --serial S         use the programmer with serial number S (as 'list' shows it); several serial\n"
         "                     numbers separated by commas program with those programmers at once\n"
         "  --all              program with every attached programmer of the model at once: one progress\n"
         "                     line each, then a table (serial number, chip, result, bytes, seconds, the\n"
         "                     failure's log line); only auto, erase, blank, program, verify, fuse-write\n"
         "  --device PATH      use the programmer at device path PATH (as 'list' shows it)\n"
         "                     (default: the first programmer of the model)\n"
         "  --format hex|bin   data file format (default: bin for names ending in .bin, else Intel HEX);\n"
         "                     a binary file is the chip's contents from address 0\n"
         "  --strict           data beyond the chip's size is an error instead of a warning\n"
         "  --json             print info, chips, list and fuse-read as JSON documents on stdout, the log on\n"
         "                     stderr, and end with a JSON summary line: commands, result, exit status,\n"
         "                     bytes moved between host and chip, seconds\n"
         "  --set NAME=VALUE   for fuse-write: set a configuration item, by option label or hex number\n"
         "  --stamp SPEC       write a serial number into each chip's image before auto, program or verify:\n"
         "                     ADDR:BYTES[:START[:STEP]][:le|be|bcd|ascii], e.g. 0x1FFC:4:1000 (default\n"
         "                     START 1, STEP 1, le); one number per chip, counted up by STEP\n"
         "  --stamp-log FILE   record every number given out in FILE (CSV: time, programmer, chip, number,\n"
         "                     result); a later run continues after the highest number in it\n"
         "  --stamp-overwrite  let the stamp replace data of the file (refused otherwise)\n"
         "  --repeat           after the commands, ask for the next chip and run them again, until q or the\n"
         "                     end of input; with --all each round programs every socket\n"
         "  --help             this text\n"
         "\n"
         "Environment: ORVEN_HID_SOCKET=PATH[:PATH...] talks to device processes (orven-sim) instead of USB;\n"
         "ORVEN_SIM_PROGRAMMERS=N gives the built-in simulator N programmers of each model (1 to 16).\n"
         "A data file with no data for the chip is refused before anything is sent.\n"
         "Exit status: 0 when every command succeeded (on every programmer, for every chip), 1 when an\n"
         "operation failed, no device answered or a data file was refused, 2 for usage errors.\n";
}

}  // namespace orven::app
