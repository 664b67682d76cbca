// Everything orvhost itself prints. The driver's own texts pass through unchanged (made UTF-8).
#pragma once

namespace orven::orvhost::texts {

inline constexpr char kHelp[] =
    "NAME\n"
    "    orvhost - debug 8051 programs on an ORVEN emulator through the ORVEND driver library\n"
    "\n"
    "SYNOPSIS\n"
    "    orvhost [--lib PATH] [--simulate] [--answer yes|no] [--options TEXT] [--gui] [-e COMMAND]... [SCRIPT]\n"
    "\n"
    "DESCRIPTION\n"
    "    orvhost loads the driver library the way a debugger IDE does, binds its window, callback, memory\n"
    "    image, breakpoint list and PC variable, and runs debugger commands: first every -e COMMAND in\n"
    "    order, then the lines of SCRIPT (\"-\" reads standard input). Without either it reads commands from\n"
    "    standard input, with line editing and history when that is a terminal.\n"
    "    The driver's output window texts, progress texts and message boxes are printed as they arrive.\n"
    "\n"
    "OPTIONS\n"
    "    --lib PATH        the driver library (default: ../lib/liborvend.so from orvhost's folder, then\n"
    "                      liborvend.so beside it)\n"
    "    --simulate        use the simulated emulator in this process (sets ORVEN_DEVICE=sim); the pod runs\n"
    "                      at the crystal's real speed\n"
    "    --answer yes|no   the answer to every question box, and OK or Cancel in the setup dialog\n"
    "                      (default: asked at a terminal, \"(y or n)\"; else no)\n"
    "    --options TEXT    the project's driver options, handed over at start (default \"-E1 -F15 -V0 -C0\")\n"
    "    --gui             show the setup dialog as a window (setup command)\n"
    "    -e COMMAND        run COMMAND; may be given many times\n"
    "    -h, --help        this text\n"
    "\n"
    "COMMANDS\n"
    "    init                       connect to the emulator (load, bp, go, break and continue connect first by\n"
    "                               themselves)\n"
    "    load FILE.hex              load a program into the pod's code memory for debugging; reads its\n"
    "                               debug information from FILE.cdb when that lies beside it\n"
    "    symbols FILE.cdb           read a program's debug information (SDCC's --debug)\n"
    "    download                   download the last loaded program to the pod or program it into the\n"
    "                               chip chosen by the options\n"
    "    bp ADDR [count=N] [cmd=TEXT] [kind=0|1|2]\n"
    "                               add a breakpoint; count=N stops at the Nth arrival, cmd=TEXT hands\n"
    "                               TEXT to the host instead of stopping, kinds 1 and 2 are conditional\n"
    "    bd ADDR, be ADDR, bc ADDR  disable, enable, clear the breakpoint at ADDR\n"
    "    go [ADDR]                  run (until ADDR); prints \"stopped C:XXXX\", and where the PC has\n"
    "                               line information \" in FUNCTION () at FILE:LINE\" and the source line\n"
    "    go &                       run in the background; stop ends it (meanwhile only stop, sleep,\n"
    "                               dump and write are taken, and the driver refuses memory access)\n"
    "    step [N]                   N single steps (default 1); prints \"stopped C:XXXX\"\n"
    "    stop                       stop a running target (Ctrl-C during a go or step does the same;\n"
    "                               idle, Ctrl-C ends a script and is ignored at the prompt)\n"
    "    sleep MS                   wait MS milliseconds\n"
    "    regs                       print the registers\n"
    "    dump SPACE:ADDR COUNT      print COUNT bytes of memory as \"SPACE:XXXX=\" and hex\n"
    "    write SPACE:ADDR XX ...    write bytes (hex) to memory\n"
    "    set REG VALUE              set r0-r7, a, b, sp, dptr, psw or pc\n"
    "    list [LOCATION]            ten source lines around LOCATION; without one, the next ten\n"
    "    info line LOCATION         the code addresses of a source line\n"
    "    info symbol ADDR           the function or variable ADDR lies in (ADDR or SPACE:ADDR)\n"
    "    disassemble [ADDR [COUNT]] the function around the PC (or ADDR, or FUNCTION), or COUNT\n"
    "                               instructions from ADDR, with the source lines where they are known\n"
    "    break LOCATION, b, tbreak  a breakpoint at a source location (tbreak: deleted when hit)\n"
    "    condition N [EXPR]         stop at breakpoint N only when EXPR is true (none: always)\n"
    "    ignore N COUNT             pass breakpoint N COUNT times before it stops\n"
    "    delete|disable|enable [N]  breakpoint N, or all of them\n"
    "    info breakpoints           the breakpoints, their conditions and hit counts\n"
    "    continue, c                run to the next breakpoint\n"
    "    next [N], n                the next source line, over calls (instructions without line information)\n"
    "    step [N], s                the next source line, into calls (instructions without line information)\n"
    "    until, finish              the next line past a loop; run until the selected frame returns\n"
    "    stepi [N], si, nexti [N], ni  one instruction (nexti over a call)\n"
    "    print EXPR, p, p/x         a C expression's value (/x: hexadecimal)\n"
    "    set var LVALUE = EXPR      assign to a variable, member, element or register\n"
    "    info locals, info args     the selected frame's locals and arguments\n"
    "    backtrace, bt              the call stack; frame N, up [N], down [N] select a frame\n"
    "    reset                      reset the target\n"
    "    options [TEXT]             hand the driver an option text (default \"-E1 -F15 -V0 -C0\")\n"
    "    setup                      the driver's setup dialog; prints the option text afterwards\n"
    "    shutdown                   disconnect; prints the option text the driver writes back (a session\n"
    "                               that ends connected is shut down quietly)\n"
    "    help, quit\n"
    "    SPACE is C (code), D (direct data and SFRs), I (indirect internal RAM) or X (external data).\n"
    "    ADDR and numbers are decimal or 0x-prefixed hex. '#' starts a comment; quotes group words.\n"
    "    LOCATION is FUNCTION, FILE:LINE, LINE (of the current source file), FILE:FUNCTION or *ADDR.\n"
    "\n"
    "    Most compiled programs have code at C:0x003B, which the stop-while-running feature (option -E1)\n"
    "    needs for itself: the driver then asks before the first go, and No ends the session; answer y,\n"
    "    or pass --answer yes or --options -E0.\n"
    "\n"
    "ENVIRONMENT\n"
    "    ORVEN_DEVICE=sim           the simulated emulator (as --simulate)\n"
    "    ORVEN_HID_SOCKET=PATH      a device process (orven-sim --listen PATH)\n"
    "    ORVEN_SIM_CRYSTAL=HZ       the simulated pod's crystal (default 11059200)\n"
    "    ORVEN_SIM_LATENCY_MS=N     each exchange with the simulated emulator takes N ms (default 0)\n"
    "\n"
    "EXIT STATUS\n"
    "    0 every command succeeded; 1 a command failed (the rest were skipped); 2 usage error.\n"
    "    In an interactive session a failed command is reported and the session goes on.\n";

inline constexpr char kUsage[] =
    "usage: orvhost [--lib PATH] [--simulate] [--answer yes|no] [--options TEXT] [--gui] [-e COMMAND]... "
    "[SCRIPT]\n"
    "       orvhost --help\n";
inline constexpr char kDefaultOptions[] = "-E1 -F15 -V0 -C0";
inline constexpr char kPrompt[] = "orvhost> ";

// Lines from the driver's channels.
inline constexpr char kBreakpointCommand[] = "breakpoint command: %s\n";
inline constexpr char kProgressShown[] = "progress: %s 0/%d\n";
inline constexpr char kProgressRemoved[] = "progress: %d/%d\n";
inline constexpr char kSerialOutput[] = "serial %u: %s\n";
inline constexpr char kFatalNotice[] = "orvhost: fatal notice: the driver closed the emulator link\n";
inline constexpr char kErrorBox[] = "[error] %s: %s\n";
inline constexpr char kWarningBox[] = "[warning] %s: %s\n";
inline constexpr char kQuestionBox[] = "[question] %s: %s -> %s\n";
inline constexpr char kSetupDialog[] = "  -> %s\n";
// Asked at a terminal.
inline constexpr char kQuestionTag[] = "[question] ";
inline constexpr char kYesOrNo[] = " (y or n) ";
inline constexpr char kSetupQuestion[] = "  -> OK? (y or n) ";
inline constexpr char kAnswerYesOrNo[] = "Please answer y or n.\n";
inline constexpr char kAnsweredNoAtEof[] = "EOF [answered No]\n";

// Command results.
inline constexpr char kStopped[] = "stopped C:%04X\n";
inline constexpr char kRegsLine1[] = "PC=%04X ACC=%02X B=%02X PSW=%02X SP=%02X DPTR=%04X\n";
inline constexpr char kRegsLine2[] = "R=%02X %02X %02X %02X %02X %02X %02X %02X\n";
inline constexpr char kOptionText[] = "options: %s\n";
inline constexpr char kLoaded[] = "loaded %zu bytes in %zu segment%s\n";

// Source-level results, as gdb prints them.
inline constexpr char kDebugInfoRead[] = "read debug information: %zu module%s, %zu function%s, %zu line%s\n";
inline constexpr char kMoreDiagnostics[] = "... and %zu more records skipped\n";
inline constexpr char kStoppedAtLine[] = "stopped C:%04X in %s () at %s:%u\n";
inline constexpr char kSourceLine[] = "%u\t%s\n";
inline constexpr char kLineRange[] = "Line %u of \"%s\" starts at address 0x%04x%s and ends at 0x%04x%s.\n";
inline constexpr char kLineWithoutCode[] = "Line %u of \"%s\" is at address 0x%04x%s but contains no code.\n";
inline constexpr char kSymbolInSection[] = "%s in section %s\n";
inline constexpr char kSymbolPlusInSection[] = "%s + %u in section %s\n";
inline constexpr char kDumpOfFunction[] = "Dump of assembler code for function %s:\n";
inline constexpr char kDumpOfRange[] = "Dump of assembler code from 0x%04x to 0x%04x:\n";
inline constexpr char kInstruction[] = "%s0x%04x %s:\t%s\n";
inline constexpr char kInstructionNoName[] = "%s0x%04x:\t%s\n";
inline constexpr char kEndOfDump[] = "End of assembler dump.\n";

// Source-level failures, as gdb words them (after the command's name).
inline constexpr char kNoSymbolTable[] = "No symbol table is loaded.  Use the \"symbols\" command.";
inline constexpr char kNoSourceFile[] = "No source file named %s.";
inline constexpr char kFunctionNotDefined[] = "Function \"%s\" not defined.";
inline constexpr char kNoDefaultFile[] = "No default source file; name one (FILE:LINE).";
inline constexpr char kBadAddress[] = "Invalid address %s.";
inline constexpr char kLineOutOfRange[] = "Line number %u out of range; \"%s\" has %zu lines.";
inline constexpr char kLineNumberOutOfRange[] = "Line number %u is out of range for \"%s\".";
inline constexpr char kNoSuchSourceFile[] = "%s: No such file or directory.";
inline constexpr char kNoLineForAddress[] = "No line number information available for address 0x%04x%s";
inline constexpr char kNoSymbolMatches[] = "No symbol matches %s.";
inline constexpr char kNoFunctionAtPc[] = "No function contains program counter for selected frame.";
inline constexpr char kNoFunctionAtAddress[] = "No function contains specified address.";
inline constexpr char kDebugInfoUnreadable[] = "cannot read debug information: %s";

// Complaints (standard error), each prefixed with the command.
inline constexpr char kLibraryFailed[] = "orvhost: cannot load the driver library: %s\n";
inline constexpr char kUnknownCommand[] = "orvhost: unknown command: %s\n";
inline constexpr char kBadArguments[] = "orvhost: %s: bad arguments (see orvhost --help)\n";
inline constexpr char kFailed[] = "orvhost: %s: %s\n";
inline constexpr char kScriptUnreadable[] = "orvhost: cannot read %s\n";
inline constexpr char kNoGui[] = "orvhost: --gui: this orvhost was built without Qt\n";

}  // namespace orven::orvhost::texts
