// A small INI ("profile") file layer: text lines with "[section]" headers and "key=value" entries. Section and
// key names are matched without regard to ASCII letter case; a value is read with the blanks around it removed
// and one pair of enclosing quotes stripped. A write changes or adds one line and keeps every other line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orven::app {

// The value of key in section of INI text; nullopt when the section or the key is not there. The first
// matching key wins when a section or key is repeated.
std::optional<std::string_view> FindProfileValue(std::string_view text, std::string_view section,
                                                 std::string_view key);

// Sets key in section to value in INI text: replaces the first matching key's line, else adds the key at the
// end of the section's entries, else appends the section. Keeps the file's line ending ("\r\n" or "\n").
// False (text unchanged) when a name or the value could not be stored on one line: a line break in any of them,
// '=' or a leading '[' or ';' in the key, ']' in the section name, or an empty name.
bool SetProfileValue(std::string& text, std::string_view section, std::string_view key, std::string_view value);

// Reads the value of key in section of the INI file at path into buffer (at most size - 1 bytes, then a NUL),
// or def when the file, the section or the key is missing, or when section or key is null. Returns the number
// of bytes stored before the NUL. size 0 stores nothing and returns 0.
size_t ReadProfileString(const std::string& path, const char* section, const char* key, const char* def,
                         char* buffer, size_t size);

// Writes value under key in section of the INI file at path, creating the file and its missing directories.
// The file is replaced as a whole (written beside it, then renamed over it). False when nothing was written:
// a null argument, a name or value SetProfileValue refuses, or a failure of the file system.
bool WriteProfileString(const std::string& path, const char* section, const char* key, const char* value);

}  // namespace orven::app
