// Arbitrary stamp log files: the reader finds the highest number or names the first unreadable line, never
// reading past the text.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "tormik/stamp_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<uint64_t> highest;
  size_t badLine = 0;
  (void)orven::app::HighestLoggedNumber(std::string_view(reinterpret_cast<const char*>(data), size), &highest,
                                        &badLine);
  return 0;
}
