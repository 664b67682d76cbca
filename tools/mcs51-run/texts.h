// Texts of the mcs51-run tool.
#pragma once

namespace orven::mcs51run {

inline constexpr char kUsage[] =
    "usage: mcs51-run FILE.hex [--max-instructions N] [--break ADDR]\n"
    "  Runs FILE.hex in the pod's 8051 core from reset (all RAM zero) until the PC reaches ADDR (hex) or N\n"
    "  instructions ran (default 1000000 when neither is given), then prints the final state.\n";
inline constexpr char kBadNumber[] = "mcs51-run: bad value for %s: %s\n";
inline constexpr char kLoadFailed[] = "mcs51-run: cannot load %s\n";

}  // namespace orven::mcs51run
