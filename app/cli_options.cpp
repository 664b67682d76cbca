#include "app/cli_options.h"

#include <strings.h>

namespace orven::app {
namespace {

struct CommandName {
  const char* name;
  CliCommand command;
  unsigned mask;
  bool file;
};

// The masks are those of the window's buttons: "自动下载" 0x03, "擦除" 0x01, "查空" 0x04, "写入" 0x02,
// "读取" 0x08, "校验" 0x10, "写入配置" 0x20, "读取配置" 0x40.
constexpr CommandName kCommands[] = {
    {"info", CliCommand::kInfo, 0, false},          {"chips", CliCommand::kChips, 0, false},
    {"auto", CliCommand::kAuto, 0x03, true},        {"erase", CliCommand::kErase, 0x01, false},
    {"blank", CliCommand::kBlank, 0x04, false},     {"program", CliCommand::kProgram, 0x02, true},
    {"read", CliCommand::kRead, 0x08, true},        {"verify", CliCommand::kVerify, 0x10, true},
    {"fuse-write", CliCommand::kFuseWrite, 0x20, false}, {"fuse-read", CliCommand::kFuseRead, 0x40, false},
    {"upgrade", CliCommand::kUpgrade, 0, false},
};

const CommandName* Find(CliCommand command) {
  for (const CommandName& c : kCommands) {
    if (c.command == command) return &c;
  }
  return nullptr;
}

}  // namespace

unsigned OperationMaskOf(CliCommand command) { return Find(command)->mask; }

bool TakesFile(CliCommand command) { return Find(command)->file; }

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
      const CommandName* found = nullptr;
      for (const CommandName& c : kCommands) {
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
  if (!options->help && options->steps.empty()) {
    *error = "no command given";
    return false;
  }
  return true;
}

const char* CliUsage() {
  return "usage: tormik-cli [--simulate] [--model qx410|orvenf] [--chip NAME|INDEX] [--set NAME=VALUE]...\n"
         "                  COMMAND [FILE] [COMMAND [FILE]]...\n"
         "\n"
         "Programs 8051-family and other chips with an ORVEN programmer. Several commands run in order on one\n"
         "connection and stop at the first failure.\n"
         "\n"
         "Commands:\n"
         "  info          connect and show the model, firmware version and serial number\n"
         "  chips         list the chip catalogue of the model\n"
         "  auto FILE     automatic download: erase, then program FILE (Intel HEX)\n"
         "  erase         erase the chip\n"
         "  blank         blank-check the chip\n"
         "  program FILE  program FILE into the chip\n"
         "  read FILE     read the chip into FILE (Intel HEX)\n"
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
         "  --set NAME=VALUE   for fuse-write: set a configuration item, by option label or hex number\n"
         "  --help             this text\n"
         "\n"
         "Environment: ORVEN_HID_SOCKET=PATH[:PATH...] talks to device processes (orven-sim) instead of USB.\n"
         "Exit status: 0 when every command succeeded, 1 when an operation failed or no device answered,\n"
         "2 for usage errors.\n";
}

}  // namespace orven::app
