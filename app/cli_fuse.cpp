#include "app/cli_fuse.h"

namespace orven::app {

bool FuseSession::Prepare(const ChipEntry&, uint8_t*, FILE*, FILE* err) {
  if (!sets_.empty()) {
    std::fprintf(err, "tormik-cli: --set is not available yet\n");
    exitStatus_ = 2;
    return false;
  }
  return true;
}

void FuseSession::Show(const ChipEntry&, const uint8_t* config, FILE* out) const {
  for (int i = 0; i < 32; ++i) std::fprintf(out, "%02X%s", config[i], i % 16 == 15 ? "\n" : " ");
}

}  // namespace orven::app
