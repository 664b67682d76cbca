// Feeds arbitrary text to the settings file reader and writer: lookups never fail, a value written is the value
// read back, and every number parses.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tormik/ini.h"
#include "tormik/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orven::app;
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  static constexpr const char* kNames[][2] = {{"SYSTEM", "MODEL"}, {"QX410", "ChipNO"}, {"ORVENF", "SCHIP"},
                                              {"Option", "FileM"}, {"option", "filem"}};
  for (const auto& name : kNames) {
    if (auto value = FindProfileValue(input, name[0], name[1])) {
      if (value->data() < input.data() || value->data() + value->size() > input.data() + input.size()) std::abort();
      ProfileValueToInt(*value);
    }
  }
  ProfileValueToInt(input);

  for (const auto& name : kNames) {
    std::string text(input);
    if (!SetProfileValue(text, name[0], name[1], "123")) std::abort();
    auto value = FindProfileValue(text, name[0], name[1]);
    if (!value || *value != "123") std::abort();
  }
  return 0;
}
