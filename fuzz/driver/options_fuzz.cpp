// The option text a host hands the driver (EnumUv351, DllUv3Cap): any bytes parse without reading past their
// end, the result always formats into the host's 56-byte buffer, and formatting then parsing is a fixed point.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "driver/driver_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orven::driver;
  DriverOptions options;
  options.v = 3;
  options.c = 4;
  ParseOptions(options, std::string_view(reinterpret_cast<const char*>(data), size));
  if (options.e.load() != kDefaultE && std::memchr(data, 'E', size) == nullptr) std::abort();
  char text[kOptionTextSize + 1];
  text[kOptionTextSize] = 0x5A;
  FormatOptionsInto(options, text);
  if (text[kOptionTextSize] != 0x5A || std::strlen(text) >= kOptionTextSize) std::abort();
  DriverOptions again;
  ParseOptionsText(again, text);
  if (again.e.load() != options.e.load() || again.f.load() != options.f.load() || again.v.load() != options.v.load() ||
      again.c.load() != options.c.load()) {
    std::abort();
  }
  return 0;
}
