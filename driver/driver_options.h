// The driver's four options and their text form "-E%d -F%d -V%d -C%d", kept by the host with its project.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orven::driver {

// E: emulation flags (bit 0 the stop-while-running feature); F: download flags (bit 4 to the VELM5 pod);
// V: chip vendor; C: chip among vendor V's chips. Zero until the first parse. Read and written from any host
// thread (the go thread switches E's bit 0 off when the user gives up the feature).
struct DriverOptions {
  std::atomic<int32_t> e{0};
  std::atomic<int32_t> f{0};
  std::atomic<int32_t> v{0};
  std::atomic<int32_t> c{0};
};

inline constexpr int32_t kDefaultE = 1;
inline constexpr int32_t kDefaultF = 15;
// The host's option text buffers hold at least this much: 55 characters and the NUL.
inline constexpr size_t kOptionTextSize = 56;
// Longest option text the driver reads from a host record (the host's text ends with its NUL well before).
inline constexpr size_t kOptionTextReadLimit = 4096;

// Resets E and F to their defaults, then reads every "-E", "-F", "-V", "-C" followed by a decimal number
// (white space and a sign allowed before the digits). Other letters and lower case are skipped; an option
// without a number, or with one outside the 32-bit range, keeps its value.
void ParseOptions(DriverOptions& options, std::string_view text);
// The same over a host's NUL-terminated text; null parses as empty.
void ParseOptionsText(DriverOptions& options, const char* text);

std::string FormatOptions(const DriverOptions& options);
// Writes the option text with its NUL into out (at most kOptionTextSize bytes). Null out: nothing.
void FormatOptionsInto(const DriverOptions& options, char* out);

}  // namespace orven::driver
