// The parts of a request's arguments orvdap reads itself: memory and instruction references, base64 data,
// and a launch's arguments with the driver's option text. None may crash or read out of bounds, and what
// decodes must encode back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "tools/orvdap/base64.h"
#include "tools/orvdap/instruction_breakpoints.h"
#include "tools/orvdap/launch_arguments.h"
#include "tools/orvdap/memory_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orven::orvdap;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto ref = ParseMemoryReference(text)) {
    if (ref->address >= ref->SpaceEnd() || ParseMemoryReference(ref->Text())->Tagged() != ref->Tagged()) std::abort();
  }
  (void)InstructionAddress(std::string(text), static_cast<int64_t>(size) - 8);
  if (const auto bytes = DecodeBase64(text)) {
    if (DecodeBase64(EncodeBase64(bytes->data(), bytes->size())) != bytes) std::abort();
  }
  (void)ValidOptionText(std::string(text));
  const nlohmann::json args = nlohmann::json::parse(text, nullptr, false);
  LaunchArguments launch;
  std::string error;
  (void)ParseLaunchArguments(args, launch, error);
  return 0;
}
