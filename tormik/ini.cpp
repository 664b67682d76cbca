#include "tormik/ini.h"

#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "tormik/profile.h"
#include "tormik/texts.h"
#include "link/paths.h"

namespace orven::app {
namespace {

constexpr size_t kReadChunk = 512;  // the value buffer grows by this much until the value fits
constexpr size_t kNumberChars = 64;  // characters of a value that take part in the number

}  // namespace

int CIni::GetInt(const char* section, const char* key) const {
  std::vector<char> buffer;
  size_t length = 0;
  if (section && key) {
    // Grow until the value and its NUL fit with room to spare, so a long value is never cut short by the buffer.
    // The buffer doubles, so even a huge value in a damaged file costs only a few reads of it.
    do {
      buffer.resize(buffer.empty() ? kReadChunk : buffer.size() * 2);
      length = ReadProfileString(path_, section, key, "", buffer.data(), buffer.size());
    } while (length + 1 >= buffer.size());
  }
  return ProfileValueToInt(std::string_view(buffer.data(), length));
}

int ProfileValueToInt(std::string_view value) {
  // Characters and bytes agree here: only ASCII blanks, signs and digits can take part in the number.
  if (value.size() > kNumberChars) value = value.substr(0, kNumberChars);
  size_t i = 0;
  while (i < value.size() && std::isspace(static_cast<unsigned char>(value[i]))) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
  uint64_t magnitude = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + static_cast<uint64_t>(value[i] - '0');
    if (magnitude > UINT32_MAX) return -1;  // saturated at 0xFFFFFFFF, whatever the sign
  }
  uint32_t unsignedValue = static_cast<uint32_t>(magnitude);
  if (negative) unsignedValue = 0u - unsignedValue;
  return static_cast<int>(unsignedValue);
}

bool CIni::WriteInt(const char* section, const char* key, int value) const {
  if (!section || !key) return false;
  return WriteProfileString(path_, section, key, std::to_string(value).c_str());
}

bool CIni::WriteString(const char* section, const char* key, const std::string& value) const {
  if (!section || !key) return false;
  return WriteProfileString(path_, section, key, value.c_str());
}

std::string SettingsPathFor(const std::string& exeDir, bool exeDirWritable, const char* xdgConfigHome,
                            const char* home) {
  if (!exeDir.empty() && exeDirWritable) return exeDir + texts::kSettingsFileName;
  std::string configDir;
  if (xdgConfigHome && xdgConfigHome[0] == '/') {
    configDir = xdgConfigHome;
  } else if (home && home[0] == '/') {
    configDir = std::string(home) + "/.config";
  } else {
    return exeDir + texts::kSettingsFileName;
  }
  if (configDir.back() != '/') configDir += '/';
  return configDir + texts::kSettingsSubdir + "/" + texts::kSettingsFileName;
}

std::string SettingsPath() {
  std::string exeDir = ExecutableDir();
  bool writable = !exeDir.empty() && ::access(exeDir.c_str(), W_OK) == 0;
  return SettingsPathFor(exeDir, writable, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

}  // namespace orven::app
