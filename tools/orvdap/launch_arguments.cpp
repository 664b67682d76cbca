#include "tools/orvdap/launch_arguments.h"

#include <cctype>

#include "tools/orvdap/texts.h"

namespace orven::orvdap {

namespace {

using nlohmann::json;

// The longest option text the driver writes back, without its NUL.
constexpr size_t kMaxOptionText = 55;
constexpr size_t kMaxPath = 4096;

// A string member: absent leaves `out`; false for another type.
bool StringMember(const json& args, const char* name, std::string& out) {
  const auto it = args.find(name);
  if (it == args.end() || it->is_null()) return true;
  if (!it->is_string()) return false;
  out = it->get<std::string>();
  return out.size() <= kMaxPath;
}

bool BoolMember(const json& args, const char* name, bool& out) {
  const auto it = args.find(name);
  if (it == args.end() || it->is_null()) return true;
  if (!it->is_boolean()) return false;
  out = it->get<bool>();
  return true;
}

}  // namespace

bool ValidOptionText(const std::string& text) {
  if (text.size() > kMaxOptionText) return false;
  bool seen[4] = {};
  size_t i = 0;
  for (;;) {
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size()) return true;
    if (text[i] != '-' || i + 1 >= text.size()) return false;
    static constexpr char kLetters[] = "EFVC";
    const char letter = text[i + 1];
    size_t which = 0;
    while (which < 4 && kLetters[which] != letter) ++which;
    if (which == 4 || seen[which]) return false;
    seen[which] = true;
    i += 2;
    const size_t digits = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    if (i == digits || i - digits > 9) return false;
    if (i < text.size() && text[i] != ' ') return false;
  }
}

bool ParseLaunchArguments(const json& arguments, LaunchArguments& out, std::string& error) {
  const json args = arguments.is_object() ? arguments : json::object();
  if (!StringMember(args, "program", out.program) || out.program.empty()) {
    error = texts::kNoProgram;
    return false;
  }
  std::string device = "sim";
  if (!StringMember(args, "device", device) || device.empty()) {
    error = texts::kBadDevice;
    return false;
  }
  if (device == "sim") {
    out.device = LaunchArguments::Device::kSimulator;
  } else if (device == "usb") {
    out.device = LaunchArguments::Device::kUsb;
  } else if (device.find('/') != std::string::npos) {
    // A colon would split the path into two devices.
    if (device.find(':') != std::string::npos) {
      error = texts::kBadDevice;
      return false;
    }
    out.device = LaunchArguments::Device::kSocket;
    out.socketPath = device;
  } else {
    error = texts::kBadDevice;
    return false;
  }
  if (!StringMember(args, "options", out.options) || !ValidOptionText(out.options)) {
    error = texts::kBadOptions;
    return false;
  }
  std::string answer = "no";
  if (!StringMember(args, "answer", answer) || (answer != "yes" && answer != "no")) {
    error = texts::kBadAnswer;
    return false;
  }
  out.answerYes = answer == "yes";
  if (!BoolMember(args, "stopOnEntry", out.stopOnEntry) || !BoolMember(args, "download", out.download)) {
    error = texts::kBadFlag;
    return false;
  }
  if (!StringMember(args, "cdb", out.cdb)) {
    error = texts::kNoCdb;
    return false;
  }
  return true;
}

}  // namespace orven::orvdap
