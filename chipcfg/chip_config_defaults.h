// Chip refresh: the default configuration bytes a chip's configuration file gives, loaded into the
// configuration buffer when the chip is selected (main window) or before a configuration write (command line).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orven::chipcfg {

// Path of a chip's configuration file: "%s%s.cfg" from the executable's directory and the catalogue's file
// name; when no file is there, the same name in the installed data directory if it exists there. Falls back
// to the executable's directory, so the caller's open fails in the usual way.
std::string ConfigFilePath(const std::string& fileName);

// Same lookup over the given directories (each with its trailing '/'), first existing file wins; the first
// directory's path when none exists.
std::string ConfigFilePathIn(const std::vector<std::string>& dirs, const std::string& fileName);

// Reads the file at path, checks the CRC of the whole file (nothing else: a file copied under another chip's
// name still gives its bytes) and copies its 32 default bytes into config. False when the file cannot be read,
// is shorter than a header and check value, or fails the CRC; config is then unchanged and the caller shows
// kConfigFileOpenFailed.
bool LoadConfigDefaultsFrom(const std::string& path, uint8_t config[32]);

// The chip refresh shared by the window and the command line: LoadConfigDefaultsFrom(ConfigFilePath(name)).
// An empty name (a chip without a configuration file) returns false without touching config; callers skip
// the refresh for such chips rather than report it.
bool LoadChipConfigDefaults(const std::string& fileName, uint8_t config[32]);

}  // namespace orven::chipcfg
