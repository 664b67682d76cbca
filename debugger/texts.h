// Texts the run-control side of the debugger shows, in gdb's wording where gdb has one.
#pragma once

namespace orven::debugger::texts {

// Breakpoints.
inline constexpr const char* kNoBreakpoints = "No breakpoints or watchpoints.\n";
inline constexpr const char* kBreakpointHeader = "Num     Type           Disp Enb Address    What\n";
inline constexpr const char* kNoBreakpointNumber = "No breakpoint number %u.";
inline constexpr const char* kTooManyHardwareBreakpoints =
    "Could not insert hardware breakpoints:\nYou may have requested too many hardware breakpoints/watchpoints.";
inline constexpr const char* kNoEvaluator = "no expression evaluator";
inline constexpr const char* kConditionError = "Error in testing condition for breakpoint %u:\n%s";

// Locations.
inline constexpr const char* kNoSourceFile = "No source file named %s.";
inline constexpr const char* kLineOutOfRange = "Line %u out of range; \"%s\" has no code at or after it.";
inline constexpr const char* kFunctionNotDefined = "Function \"%s\" not defined.";
inline constexpr const char* kBadAddress = "Invalid address \"%s\".";
inline constexpr const char* kNoDefaultFile = "No default source file: give FILE:LINE.";
inline constexpr const char* kNoDebugInfo = "No symbol table is loaded.";

// Stack.
inline constexpr const char* kNoFrameAtLevel = "No frame at level %s.";
inline constexpr const char* kBottomFrame = "Bottom (innermost) frame selected; you cannot go down.";
inline constexpr const char* kTopFrame = "Initial frame selected; you cannot go up.";
inline constexpr const char* kFinishOutermost = "\"finish\" not meaningful in the outermost frame.";
inline constexpr const char* kFinishUnknownCaller = "Cannot find the caller of the selected frame.";

// Runs.
inline constexpr const char* kRunTillExit = "Run till exit from ";
inline constexpr const char* kStepLimit = "Stopped after %llu instructions without reaching the end of the step.";
inline constexpr const char* kInterrupted = "Program stopped.";

}  // namespace orven::debugger::texts

namespace orven::debugger::texts {

inline constexpr const char* kBreakpointSet = "%s %u at 0x%x: file %s, line %u.";
inline constexpr const char* kBreakpointSetAtAddress = "%s %u at 0x%x";
inline constexpr const char* kBreakpointWord = "Breakpoint";
inline constexpr const char* kTemporaryBreakpointWord = "Temporary breakpoint";
inline constexpr const char* kWillIgnore = "Will ignore next %u crossings of breakpoint %u.";
inline constexpr const char* kWillStop = "Will stop next time breakpoint %u is reached.";
inline constexpr const char* kNowUnconditional = "Breakpoint %u now unconditional.";
inline constexpr const char* kStopOnlyIf = "\tstop only if %s\n";
inline constexpr const char* kAlreadyHit = "\tbreakpoint already hit %u time%s\n";
inline constexpr const char* kIgnoreNext = "\tWill ignore next %u crossings of breakpoint.\n";

}  // namespace orven::debugger::texts

namespace orven::debugger::texts {

inline constexpr const char* kUnknownFunction = "??";
inline constexpr const char* kUnverifiedFrame = " (unverified)";

}  // namespace orven::debugger::texts

namespace orven::debugger::texts {

inline constexpr const char* kStopped = "stopped C:%04X";
inline constexpr const char* kStoppedIn = " in %s ()";
inline constexpr const char* kStoppedAt = " at %s:%u";
inline constexpr const char* kBreakpointStop = "%s %u\n";

}  // namespace orven::debugger::texts
