// Why a request to the target failed, as the user reads it (the client puts its own prefix before it).
#pragma once

namespace orven::host::texts {

inline constexpr char kLinkClosed[] = "the emulator link was closed";
inline constexpr char kCannotConnect[] = "cannot connect to the emulator";
inline constexpr char kCodeBeyondBank[] = ": code beyond C:0xFFFF";  // after the file's name
inline constexpr char kWriteFailedAt[] = "write failed at ";
inline constexpr char kReadFailedAt[] = "read failed at ";
inline constexpr char kRefusedWhileRunning[] = "refused while the target runs";
inline constexpr char kNoProgram[] = "no program loaded (load FILE.hex first)";
inline constexpr char kPreparingFailed[] = "preparing failed";
inline constexpr char kDownloadFailed[] = "download failed";
inline constexpr char kBreakpointExists[] = "there is a breakpoint at ";
inline constexpr char kNoBreakpoint[] = "no breakpoint at ";
inline constexpr char kBreakpointRefused[] = "the driver does not accept this breakpoint";
inline constexpr char kDidNotStop[] = "the target did not stop";
inline constexpr char kNoRegisterWindow[] = "no register window (init first)";
inline constexpr char kRegistersNotRead[] = "the registers could not be read";
inline constexpr char kValueRefused[] = "the driver refused the value";
inline constexpr char kNot8051Driver[] = "the library does not answer as an 8051 driver";

}  // namespace orven::host::texts
