// Texts the driver itself prints to the host's output window (UTF-8 here; converted to GBK on the way out).
#pragma once

namespace orven::driver::texts {

inline constexpr char kConnected[] = "NORDA ORVEN Emulator/Programmer\n";
inline constexpr char kBreakpointLimit[] =
    "ORVEN ERROR 11: Can't Set Breakpoint at %4.4XH, The Amount Exceeded the Limit.\n";
inline constexpr char kBreakpointConflict[] = "ORVEN ERROR 10: Can't Set Breakpoint at %4.4XH, The Address Conflict.\n";
inline constexpr char kNotRealTime[] =
    "Application does not run in real time because of conditional breakpoint(s) !\n";
// A download request that did not follow a successful preparation.
inline constexpr char kDownloadNotPrepared[] = "ORVEN ERROR: Download not prepared, nothing was programmed.\n";

// Boxes without a user interface installed go to standard error with their caption.
inline constexpr char kNoUiAnswer[] = "(no user interface: answered No)\n";

}  // namespace orven::driver::texts
