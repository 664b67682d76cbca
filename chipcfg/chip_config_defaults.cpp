#include "chipcfg/chip_config_defaults.h"

#include <unistd.h>

#include <cstring>

#include "chipcfg/config_crc.h"
#include "chipcfg/config_file.h"
#include "chipcfg/config_file_layout.h"
#include "link/paths.h"

namespace orven::chipcfg {

std::string ConfigFilePathIn(const std::vector<std::string>& dirs, const std::string& fileName) {
  std::string first;
  for (const std::string& dir : dirs) {
    if (dir.empty()) continue;
    std::string path = dir + fileName + ".cfg";
    if (::access(path.c_str(), F_OK) == 0) return path;
    if (first.empty()) first = std::move(path);
  }
  return first.empty() ? fileName + ".cfg" : first;
}

std::string ConfigFilePath(const std::string& fileName) {
  return ConfigFilePathIn({orven::ExecutableDir(), orven::InstalledDataDir()}, fileName);
}

bool LoadConfigDefaultsFrom(const std::string& path, uint8_t config[32]) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) return false;
  if (bytes.size() < layout::kMinFileSize) return false;
  if (ConfigCrc16(bytes.data(), bytes.size()) != 0) return false;
  std::memcpy(config, bytes.data() + layout::kDefaults, layout::kDefaultsSize);
  return true;
}

bool LoadChipConfigDefaults(const std::string& fileName, uint8_t config[32]) {
  if (fileName.empty()) return false;
  return LoadConfigDefaultsFrom(ConfigFilePath(fileName), config);
}

}  // namespace orven::chipcfg
