// TORMIK's settings file: the programmer model, the chip per model and the last data file.
#pragma once

#include <string>
#include <string_view>

namespace orven::app {

// Sections and keys of the settings file.
inline constexpr char kSectionSystem[] = "SYSTEM";  // MODEL: 0 = QX410, any other value = ORVENF
inline constexpr char kKeyModel[] = "MODEL";
inline constexpr char kKeyChipNo[] = "ChipNO";    // in the model's section ("QX410" / "ORVENF")
inline constexpr char kKeySVendor[] = "SVENDOR";  // chip selection: vendor position
inline constexpr char kKeySChip[] = "SCHIP";      // chip selection: position within the vendor's chips
inline constexpr char kSectionOption[] = "Option";
inline constexpr char kKeyFileM[] = "FileM";  // path of the last data file loaded

class CIni {
 public:
  CIni() = default;
  explicit CIni(std::string path) : path_(std::move(path)) {}

  void SetPath(std::string path) { path_ = std::move(path); }
  const std::string& Path() const { return path_; }

  // The value as a decimal number; 0 when the file, section or key is missing or section/key is null. The value
  // is cut to 64 characters and read as an unsigned number after leading blanks, up to the first non-digit; a
  // leading '-' negates it, so "-1" comes back as -1.
  int GetInt(const char* section, const char* key) const;

  // Writes value in decimal at once. False when section or key is null or the file could not be written.
  bool WriteInt(const char* section, const char* key, int value) const;

  // Writes a text value (the last data file's path) at once. False as for WriteInt, or when value has a
  // line break.
  bool WriteString(const char* section, const char* key, const std::string& value) const;

 private:
  std::string path_;
};

// The number GetInt makes of a value read from the file: the first 64 characters, leading white space skipped,
// an optional sign, then decimal digits up to the first non-digit, taken as unsigned 32-bit (a magnitude past
// 32 bits saturates) and returned as int. Empty or digit-less values give 0.
int ProfileValueToInt(std::string_view value);

// Where the settings file lives: "SETUP.ini" beside the executable when that directory is writable; otherwise
// (an installed program) $XDG_CONFIG_HOME/tormik/SETUP.ini, by default ~/.config/tormik/SETUP.ini. The
// directory there is created by the first write.
std::string SettingsPath();

// SettingsPath() for a given executable directory (with its trailing '/') and environment; null or relative
// xdgConfigHome is ignored. Falls back to the executable directory when no home is known.
std::string SettingsPathFor(const std::string& exeDir, bool exeDirWritable, const char* xdgConfigHome,
                            const char* home);

}  // namespace orven::app
