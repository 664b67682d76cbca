// Arbitrary command lines for tormik-cli's option parser: NUL-separated arguments.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/cli/cli_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size && args.size() < 64; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back() += static_cast<char>(data[i]);
    }
  }
  orven::app::CliOptions options;
  std::string error;
  if (orven::app::ParseCliOptions(args, &options, &error)) {
    for (const auto& step : options.steps) {
      (void)orven::app::OperationMaskOf(step.command);
      (void)orven::app::TakesFile(step.command);
      (void)orven::app::CommandName(step.command);
      (void)orven::app::DataFormatOf(step.file, options.format);
    }
  }
  return 0;
}
