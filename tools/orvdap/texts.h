// Everything orvdap says to the editor's user (debug console lines and failed requests).
#pragma once

namespace orven::orvdap::texts {

inline constexpr char kHeaderTooLong[] = "orvdap: a message header did not end within its size limit and was skipped";
inline constexpr char kBadHeaderLine[] = "orvdap: a message header line is not \"Name: value\"";
inline constexpr char kNoContentLength[] = "orvdap: a message header has no Content-Length";
inline constexpr char kBadContentLength[] = "orvdap: a message header has a bad Content-Length";
inline constexpr char kBodyTooLarge[] = "orvdap: a message is larger than orvdap takes and was skipped";
inline constexpr char kBadJson[] = "orvdap: a message is not valid JSON";
inline constexpr char kTooDeep[] = "orvdap: a message nests arrays or objects too deeply";
inline constexpr char kNotAnObject[] = "orvdap: a message is not a JSON object";
inline constexpr char kTruncated[] = "orvdap: the editor's stream ended inside a message";
inline constexpr char kNotARequest[] =
    "orvdap: a message without \"type\": \"request\", a number \"seq\" and a \"command\" was ignored";
inline constexpr char kUnsupported[] = "orvdap does not support this request: ";

// Launch: what was wrong and what to do about it.
inline constexpr char kNoProgram[] =
    "orvdap: no program to debug: set \"program\" in the launch configuration to the .hex or .ihx file";
inline constexpr char kBadDevice[] =
    "orvdap: \"device\" must be \"sim\", \"usb\" or the socket path of orven-sim --listen PATH";
inline constexpr char kBadOptions[] =
    "orvdap: \"options\" is not the driver's option text; write it as \"-E1 -F15 -V0 -C0\" (each of E, F, V "
    "and C at most once, with a number)";
inline constexpr char kBadAnswer[] = "orvdap: \"answer\" must be \"yes\" or \"no\"";
inline constexpr char kBadFlag[] = "orvdap: \"stopOnEntry\" and \"download\" must be true or false";
inline constexpr char kNoCdb[] = "orvdap: cannot read the debug information ";
inline constexpr char kLibraryFailed[] = "orvdap: cannot load the ORVEND driver library: ";
inline constexpr char kCannotConnect[] =
    "orvdap: no emulator answered. For \"device\": \"usb\" plug in the ORVEN emulator (and check its udev "
    "rule); for a socket path start orven-sim --listen PATH first; or debug on the simulator with \"device\": "
    "\"sim\"";
inline constexpr char kLaunchFailed[] = "orvdap: launch failed: ";
inline constexpr char kAlreadyLaunched[] = "orvdap: a program is already being debugged";
inline constexpr char kNotLaunched[] = "orvdap: no program is being debugged (launch first)";
inline constexpr char kLaunchDidFail[] = "orvdap: the launch failed; start a new debug session";

// Run control and the target.
inline constexpr char kRunning[] = "orvdap: the target is running (pause it first)";
inline constexpr char kDidNotStop[] = "orvdap: the target did not stop";
inline constexpr char kSessionEnded[] = "orvdap: the debug session has ended";
inline constexpr char kLinkLost[] = "orvdap: the emulator link was closed; the debug session ends";
inline constexpr char kStepOut[] =
    "orvdap: stepping out needs the program's source-level debug information; step by instruction instead";
inline constexpr char kUnknownThread[] = "orvdap: the 8051 has one thread (id 1)";
inline constexpr char kUnknownReference[] = "orvdap: no such variables reference (the target has run since)";
inline constexpr char kUnknownFrame[] = "orvdap: no such stack frame";

// Memory.
inline constexpr char kBadMemoryReference[] =
    "orvdap: a memory reference is a space and an address, such as X:0x0000, C:0x0100, D:0x30, I:0x80 or P:0x10";
inline constexpr char kBadCount[] = "orvdap: the byte count must be a number from 0 to 65536";
inline constexpr char kBadData[] = "orvdap: the data is not base64";
inline constexpr char kBeyondSpace[] = "orvdap: the write goes beyond the end of its memory space";

// Breakpoints.
inline constexpr char kBadInstructionReference[] = "orvdap: an instruction reference is a code address such as C:0x0100";
inline constexpr char kBreakpointLimit[] =
    "orvdap: the emulator holds at most 4 breakpoints at a time; disable another to use this one";

inline constexpr char kNoLineBreakpoints[] =
    "orvdap: breakpoints at lines and functions need the program's source-level debug information; set an "
    "instruction breakpoint in the Disassembly view instead";

inline constexpr char kAddressTaken[] =
    "orvdap: a line or function breakpoint and an instruction breakpoint cannot share an address; remove the other "
    "one to use this one";
inline constexpr char kBadHitCondition[] =
    "orvdap: the hit condition is a count N (or >= N, > N): the breakpoint stops on every hit";
inline constexpr char kBadBreakpointLine[] = "orvdap: a source breakpoint needs a line number";

inline constexpr char kCannotSet[] = "orvdap: this value cannot be set here (evaluate NAME = VALUE instead)";
inline constexpr char kBadDisassemble[] =
    "orvdap: disassemble needs a code address (C:0x0100) and an instruction count from 1 to 4096";

// Debug information.
inline constexpr char kDebugInfoFrom[] = "orvdap: debug information from ";
inline constexpr char kNoDebugInfo[] =
    "orvdap: no source-level debug information (build with --debug for a .cdb beside the program): ";

inline constexpr char kDisabledByDriver[] =
    "orvdap: the emulator could not arm this breakpoint and the driver disabled it (the debug console says why)";

inline constexpr char kAnsweredNoHint[] =
    "orvdap: the driver's question above was answered No (\"answer\": \"no\"); with \"answer\": \"yes\" in "
    "the launch configuration the driver goes on";

// Debug console.
inline constexpr char kExecNotHere[] =
    "orvdap: -exec runs dump, write, regs, set, bp, bd, be, bc and help; use the editor's controls to run, "
    "step, pause or restart";
inline constexpr char kNoExpressions[] =
    "orvdap: C expressions need the program's source-level debug information; -exec COMMAND runs an orvhost "
    "command (-exec help lists them), and $pc, $acc, $b, $psw, $sp, $dptr, $r0-$r7 read registers";
inline constexpr char kAnswered[] = "\n  -> ";  // between a question and the answer orvdap gave
inline constexpr char kSetupDialog[] = "the driver's setup dialog";

inline constexpr char kUsage[] =
    "usage: orvdap [--stdio | --port N]\n"
    "  A Debug Adapter Protocol server for 8051 programs on ORVEN emulators and the simulator. An editor\n"
    "  starts it and speaks to it on standard input and output (--stdio says so explicitly); with --port N it\n"
    "  listens on 127.0.0.1:N for one client instead.\n";
inline constexpr char kListenFailed[] = "orvdap: cannot listen on 127.0.0.1:%d: %s\n";
inline constexpr char kListening[] = "orvdap: listening on 127.0.0.1:%d\n";

}  // namespace orven::orvdap::texts
