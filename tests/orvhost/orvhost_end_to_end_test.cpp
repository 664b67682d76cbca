// orvhost as a user runs it: the real liborvend.so loaded with dlopen, the simulated emulator in process
// (--simulate, pod at the crystal's real speed) and as a separate orven-sim over the socket backend. Sessions
// are held against the pod's core run alone (mcs51-run) on an SDCC-built program.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <cstdio>
#include <memory>
#include <sstream>

#include "tests/mcs51/ucsim_harness.h"
#include "tests/support/device_process.h"
#include "host/hex_image.h"

namespace orven {
namespace {

struct ProgramRun {
  int status = -1;
  std::string out;
};

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

ProgramRun Shell(const std::string& command) {
  ProgramRun r;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int raw = pclose(p);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

// orvhost with -e for each command; standard error joins the output so a failure shows its reason.
ProgramRun Orvhost(const std::string& env, const std::string& options, const std::vector<std::string>& commands) {
  std::string cmd = env + " " + testing::BinDir() + "/orvhost " + options;
  for (const std::string& c : commands) cmd += " -e " + Quote(c);
  return Shell(cmd + " 2>&1");
}

std::string Line(const std::string& text, const std::string& prefix) {
  const size_t at = text.find(prefix);
  if (at == std::string::npos) return "(no line " + prefix + ")";
  return text.substr(at, text.find('\n', at) - at);
}

std::string Hex4(int32_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(v));
  return buf;
}

// The program, built once for all tests.
class Program {
 public:
  static const Program& Get() {
    static Program p;
    return p;
  }
  bool ok = false;
  std::string why;
  mcs51test::Program program;

 private:
  Program() {
    const mcs51test::Tools tools = mcs51test::FindTools();
    if (tools.sdcc.empty()) {
      why = "sdcc not found";
      return;
    }
    program.name = "ram_pattern";
    program.source = ORVEN_ORVHOST_PROGRAMS_DIR "/ram_pattern.c";
    // Each test runs in a process of its own, and ctest runs them side by side: one folder per process, so
    // that no test reads a program another is still writing.
    work_ = std::string(::testing::TempDir()) + "orvhost-programs-" + std::to_string(getpid());
    ok = mcs51test::Build(tools, work_, ORVEN_ORVHOST_PROGRAMS_DIR, program, why) && program.doneAddress > 0;
  }
  ~Program() {
    std::error_code ignored;
    if (!work_.empty()) std::filesystem::remove_all(work_, ignored);
  }
  std::string work_;
};

class OrvhostSession : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (!Program::Get().ok) GTEST_SKIP() << Program::Get().why;
    if (GetParam()) {
      device_ = std::make_unique<testing::DeviceProcess>(std::vector<std::string>{"--model", "qx410"});
      ASSERT_TRUE(device_->Ok());
    }
  }
  // --simulate in process, or ORVEN_HID_SOCKET to a separate orven-sim.
  std::string Env() const { return GetParam() ? "ORVEN_HID_SOCKET=" + device_->Path() : ""; }
  std::string Sim() const { return GetParam() ? "" : "--simulate "; }
  const mcs51test::Program& P() const { return Program::Get().program; }
  std::unique_ptr<testing::DeviceProcess> device_;
};

TEST_P(OrvhostSession, StopsAtTheBreakpointWithTheRegistersAndRamOfTheCoreRunAlone) {
  const std::string done = Hex4(P().doneAddress);
  const ProgramRun core = Shell(testing::BinDir() + "/mcs51-run " + Quote(P().hexPath) + " --break " + done);
  ASSERT_EQ(core.status, 0) << core.out;

  const ProgramRun r = Orvhost(Env(), Sim() + "--answer yes",
                        {"init", "load " + P().hexPath, "bp 0x" + done, "go", "regs", "dump I:0x00 256"});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("NORDA ORVEN Emulator/Programmer\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("stopped C:" + done + "\n"), std::string::npos) << r.out;
  EXPECT_EQ(Line(r.out, "PC="), Line(core.out, "PC=")) << r.out;
  EXPECT_EQ(Line(r.out, "R="), Line(core.out, "R=")) << r.out;
  EXPECT_EQ(Line(r.out, "I:0000=").substr(7), Line(core.out, "IRAM=").substr(5)) << r.out;
}

TEST_P(OrvhostSession, StepsGoUntilStopFromASecondThreadMemoryAndShutdown) {
  const std::string done = Hex4(P().doneAddress);
  const ProgramRun r = Orvhost(Env(), Sim() + "--answer yes --options '-E0 -F15 -V2 -C1'",
                        {"init", "load " + P().hexPath, "step 3", "go 0x" + done, "write X:0x0010 A5 5A",
                         "dump X:0x0010 2", "set dptr 0x1234", "set r3 0x77", "regs",
                         // done() loops for ever: a go in the background ends only by the stop request.
                         "go &", "sleep 100", "stop", "reset", "regs", "shutdown"});
  ASSERT_EQ(r.status, 0) << r.out;
  // Three steps from reset leave the PC somewhere past 0; go-until lands on done().
  EXPECT_NE(r.out.find("stopped C:" + done + "\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("X:0010=A55A\n"), std::string::npos) << r.out;
  // The set commands changed only what they name: the register window was refreshed after the go, so the
  // rest (PC at done() above all) is written back as the target has it.
  EXPECT_NE(r.out.find("PC=" + done + " "), std::string::npos) << r.out;
  EXPECT_NE(Line(r.out, "PC=" + done + " ").find("DPTR=1234"), std::string::npos) << r.out;
  const size_t regs = r.out.find("DPTR=1234\nR=");
  ASSERT_NE(regs, std::string::npos) << r.out;
  EXPECT_EQ(r.out.substr(regs + 12 + 9, 2), "77") << "R3\n" << r.out;
  const size_t stop = r.out.find("stopped C:", r.out.find("DPTR=1234"));
  ASSERT_NE(stop, std::string::npos) << "the background go reported its stop\n" << r.out;
  // After the reset the PC is back at 0; shutdown hands the options back as the driver formats them.
  EXPECT_NE(r.out.find("PC=0000 ", stop), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("options: -E0 -F15 -V2 -C1\n"), std::string::npos) << r.out;
}

TEST_P(OrvhostSession, ABreakpointWithACommandHandsItToTheHostAndRunsOn) {
  const std::string done = Hex4(P().doneAddress);
  // done() jumps to itself: the breakpoint is passed again and again, its command handed over each time, and
  // only the stop request ends the run. The driver polls a running target every 500 ms, so each arrival
  // takes that long in real time.
  const ProgramRun r = Orvhost(Env(), Sim() + "--answer yes",
                               {"init", "load " + P().hexPath, "bp 0x" + done + " cmd='note \"here\"'", "go &",
                                "sleep 1200", "stop", "bc 0x" + done, "step"});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("breakpoint command: note \"here\"\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("stopped C:"), std::string::npos) << r.out;
}

TEST_P(OrvhostSession, DownloadProgramsTheChosenChipWithoutVerifyingOrThePodWithVerification) {
  // STC12C5A8S2 (algorithm 4): programmed and started, never verified.
  ProgramRun r = Orvhost(Env(), Sim() + "--options '-E1 -F0 -V2 -C0'", {"init", "load " + P().hexPath, "download"});
  ASSERT_EQ(r.status, 0) << r.out;
  const size_t begin = r.out.find("Download to STC  STC12C5A8S2 [ZIF].\nErasing...\nErasing Done.\n");
  const size_t end = r.out.find("Programming...\nProgramming Done.\nApplication Reset and Running...");
  EXPECT_NE(begin, std::string::npos) << r.out;
  EXPECT_NE(end, std::string::npos) << r.out;
  EXPECT_LT(begin, end) << r.out;
  EXPECT_EQ(r.out.find("Verifying..."), std::string::npos) << r.out;

  if (GetParam()) {
    // The chip the emulator programmed is the one its programmer side reads back.
    const std::string back = std::string(::testing::TempDir()) + "orvhost-chip.hex";
    std::remove(back.c_str());
    const ProgramRun read = Shell(Env() + " " + testing::BinDir() +
                                  "/tormik-cli --model qx410 --chip 'STC12C5A8S2 [ZIF]' read " + Quote(back) + " 2>&1");
    ASSERT_EQ(read.status, 0) << read.out;
    host::HexImage file, chip;
    std::string error;
    ASSERT_TRUE(file.LoadFile(P().hexPath, error)) << error;
    ASSERT_TRUE(chip.LoadFile(back, error)) << error;
    std::vector<uint8_t> flash(0x2000, 0xFF);
    for (const host::HexSegment& seg : chip.Segments()) {
      for (size_t i = 0; i < seg.bytes.size() && seg.start + i < flash.size(); ++i) flash[seg.start + i] = seg.bytes[i];
    }
    for (const host::HexSegment& seg : file.Segments()) {
      const std::vector<uint8_t> held(flash.begin() + seg.start, flash.begin() + seg.start + seg.bytes.size());
      EXPECT_EQ(held, seg.bytes) << "segment at " << seg.start;
    }
  }

  // With the pod box ticked the program goes into the pod and is verified there.
  r = Orvhost(Env(), Sim() + "--options '-E1 -F16 -V2 -C0'", {"init", "load " + P().hexPath, "download"});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("Download Code to Debug Adapter(VELM5).\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Verifying...\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Verify OK.\nApplication Reset and Running..."), std::string::npos) << r.out;

  // A download needs a program; a chip outside the vendor's list fails the download.
  EXPECT_EQ(Orvhost(Env(), Sim(), {"init", "download"}).status, 1);
  r = Orvhost(Env(), Sim() + "--options '-E1 -F0 -V2 -C8'", {"init", "load " + P().hexPath, "download"});
  EXPECT_EQ(r.status, 1) << r.out;
}

// The debuggee built with --debug, with its .cdb and its C source beside the HEX file.
std::string DebuggeeFolder() {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(::testing::TempDir()) /
                          ("orvhost-debuggee-" + std::to_string(getpid()));
  fs::create_directories(folder);
  for (const char* ext : {".ihx", ".cdb", ".map", ".rst"}) {
    fs::copy_file(std::string(ORVEN_DEBUGGEE) + ext, folder / (std::string("debuggee") + ext),
                  fs::copy_options::overwrite_existing);
  }
  fs::copy_file(ORVEN_DEBUGGEE_SOURCE, folder / "debuggee.c", fs::copy_options::overwrite_existing);
  return folder.string();
}

TEST_P(OrvhostSession, AProgramWithDebugInformationStopsAtItsSourceLines) {
  if (std::string(ORVEN_DEBUGGEE).empty()) GTEST_SKIP() << "no SDCC";
  host::HexImage image;
  std::string error;
  ASSERT_TRUE(image.LoadFile(std::string(ORVEN_DEBUGGEE) + ".ihx", error)) << error;
  // main has no prologue: its first statement is at its first byte. From the linker's map.
  std::ifstream map(std::string(ORVEN_DEBUGGEE) + ".map");
  std::string main;
  for (std::string line; std::getline(map, line) && main.empty();) {
    if (line.find(" _main ") != std::string::npos) main = line.substr(line.find("0000") + 4, 4);
  }
  ASSERT_EQ(main.size(), 4u);
  std::string lower = main;  // as gdb writes addresses: 0x00fb
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string declaration, first;
  std::ifstream source(ORVEN_DEBUGGEE_SOURCE);
  int number = 0;
  for (std::string line; std::getline(source, line);) {
    ++number;
    if (line.find("void main(void)") != std::string::npos) declaration = std::to_string(number);
    if (line.find("TMOD = 0x01;") != std::string::npos) first = std::to_string(number);
  }
  // (Without the source a stop gives the location alone: the source view's tests show that.)
  const std::string folder = DebuggeeFolder();
  const ProgramRun r = Orvhost(Env(), Sim() + "--options -E0",
                               {"load " + folder + "/debuggee.ihx", "info line main", "bp 0x" + main, "go",
                                "disassemble 0x" + main + " 1"});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("\nread debug information: 1 module, 6 functions, "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Line " + declaration + " of \"debuggee.c\" starts at address 0x" + lower +
                       " <main> and ends at 0x"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("stopped C:" + main + " in main () at debuggee.c:" + first + "\n" + first +
                       "\t  TMOD = 0x01;\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("=> 0x" + lower + " <main>:\tmov TMOD,#0x01\n"), std::string::npos) << r.out;
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

INSTANTIATE_TEST_SUITE_P(Devices, OrvhostSession, ::testing::Values(false, true),
                         [](const auto& p) { return p.param ? "Socket" : "Simulator"; });

TEST(Orvhost, CtrlCDuringAGoStopsTheTargetAndTheScriptGoesOn) {
  if (!Program::Get().ok) GTEST_SKIP() << Program::Get().why;
  const std::string out = std::string(::testing::TempDir()) + "orvhost-interrupt.txt";
  std::remove(out.c_str());
  const std::string bin = testing::BinDir() + "/orvhost";
  const std::string load = "load " + Program::Get().program.hexPath;
  const pid_t pid = fork();
  if (pid == 0) {
    freopen(out.c_str(), "w", stdout);
    dup2(fileno(stdout), 2);
    execl(bin.c_str(), bin.c_str(), "--simulate", "--answer", "yes", "--options", "-E0", "-e", "init", "-e",
          load.c_str(), "-e", "go", "-e", "regs", static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  // Waiting for another process is done in real time: until the program is loaded, then a moment for the go
  // (done() loops for ever) to be under way.
  std::string text;
  for (int i = 0; i < 1000 && text.find("loaded") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(out);
    std::stringstream ss;
    ss << in.rdbuf();
    text = ss.str();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  std::ifstream in(out);
  std::stringstream ss;
  ss << in.rdbuf();
  ASSERT_TRUE(WIFEXITED(status)) << ss.str();
  EXPECT_EQ(WEXITSTATUS(status), 0) << ss.str();
  EXPECT_NE(ss.str().find("stopped C:"), std::string::npos) << ss.str();
  EXPECT_NE(ss.str().find("\nPC="), std::string::npos) << "the command after the go ran\n" << ss.str();
}

TEST(Orvhost, ConditionalBreakpointsRunStepByStepAndTheSecondKindIsRefused) {
  if (!Program::Get().ok) GTEST_SKIP() << Program::Get().why;
  const std::string done = Hex4(Program::Get().program.doneAddress);
  const ProgramRun r = Orvhost("", "--simulate --options -E0",
                               {"init", "load " + Program::Get().program.hexPath, "bp 0x" + done,
                                "bp 0x0010 kind=1", "go", "go", "bp 0x0020 kind=2", "go"});
  EXPECT_EQ(r.status, 1) << r.out;
  // The first go arms with the conditional breakpoint already counted, so only the second one warns; both
  // step their way to done().
  const std::string stopped = "stopped C:" + done + "\n";
  const std::string warning = "Application does not run in real time because of conditional breakpoint(s) !\n";
  EXPECT_NE(r.out.find(stopped + warning + stopped), std::string::npos) << r.out;
  EXPECT_LT(r.out.find(stopped), r.out.find(warning)) << "the first go warned\n" << r.out;
  EXPECT_NE(r.out.find("orvhost: bp: the driver does not accept this breakpoint\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find(stopped + warning + stopped + warning), std::string::npos) << "ran on after the refusal";
}

TEST(Orvhost, SetupDialogCancelKeepsTheProjectTextAndOkWritesTheDialogsChoice) {
  const std::string bin = testing::BinDir() + "/orvhost --simulate --options '-E1 -F15 -V7 -C0' -e setup";
  // A vendor out of range opens the dialog on ATMEL; Cancel hands nothing back.
  ProgramRun r = Shell(bin + " 2>&1");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("  芯片厂商: ATMEL\n  芯片型号: AT89S51 [ZIF]\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  -> Cancel\noptions: -E1 -F15 -V7 -C0\n"), std::string::npos) << r.out;
  // OK writes E and F as the check boxes stand (0/1, 0/16) and the lists' selections.
  r = Shell(bin + " --answer yes 2>&1");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("  -> OK\noptions: -E1 -F0 -V0 -C0\n"), std::string::npos) << r.out;
}

TEST(Orvhost, ExitStatuses) {
  const std::string bin = testing::BinDir() + "/orvhost";
  // Usage errors: unknown option, bad --answer, unknown command, bad arguments; nothing after them runs.
  EXPECT_EQ(Shell(bin + " --frobnicate 2>/dev/null").status, 2);
  EXPECT_EQ(Shell(bin + " --answer maybe 2>/dev/null").status, 2);
  ProgramRun r = Shell(bin + " -e frobnicate -e 'options -E0' 2>/dev/null");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "") << "the second command ran";
  EXPECT_EQ(Shell(bin + " -e 'dump C:0x10' 2>/dev/null").status, 2);
  // A library that cannot be loaded, and an emulator that is not there, are failures.
  EXPECT_EQ(Shell(bin + " --lib /nonexistent/liborvend.so -e init 2>/dev/null").status, 1);
  r = Shell("ORVEN_HID_SOCKET=/nonexistent.sock " + bin + " -e init -e 'options -E0' 2>/dev/null");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_EQ(r.out.find("options:"), std::string::npos) << "commands after the failure ran\n" << r.out;
  // -e commands first, then the script; the script's failure is the exit status.
  const std::string script = std::string(::testing::TempDir()) + "orvhost-script.txt";
  FILE* f = std::fopen(script.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("# options from a script\noptions -E0 -F16 -V1 -C2\n\ndownload\n", f);
  std::fclose(f);
  r = Shell(bin + " -e 'options -E1' " + Quote(script) + " 2>/dev/null");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_EQ(r.out, "options: -E1\noptions: -E0 -F16 -V1 -C2\n");
  // --help is the manual, on standard output, status 0.
  r = Shell(bin + " --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("EXIT STATUS"), std::string::npos);
}

TEST(Orvhost, CommandsBeforeInitConnectFirstAndMessagesNameAddressesAsTheUserWritesThem) {
  if (!Program::Get().ok) GTEST_SKIP() << Program::Get().why;
  const std::string done = Hex4(Program::Get().program.doneAddress);
  const std::string load = "load " + Program::Get().program.hexPath;
  const struct {
    std::vector<std::string> commands;
    int status;
    std::string expected;
    bool connects;
  } cases[] = {
      {{load, "bp 0x" + done, "go"}, 0, " segment\nstopped C:" + done + "\n", true},
      {{"bp 0x" + done, "go 0x" + done, "bp C:0x" + done}, 1,
       "stopped C:" + done + "\norvhost: bp: there is a breakpoint at C:" + done + "\n", true},
      {{"init", "bd 0x0105"}, 1, "orvhost: bd: no breakpoint at C:0105\n", true},
      // A file that cannot be read fails before anything connects.
      {{"load /nonexistent/prog.hex"}, 1, "orvhost: load: ", false},
  };
  for (const auto& c : cases) {
    const ProgramRun r = Orvhost("", "--simulate --options -E0", c.commands);
    EXPECT_EQ(r.status, c.status) << r.out;
    // One connection, made by the first command that needs the emulator.
    const std::string banner = "NORDA ORVEN Emulator/Programmer\n";
    EXPECT_EQ(r.out.find(banner), c.connects ? 0u : std::string::npos) << r.out;
    EXPECT_EQ(r.out.find(banner, 1), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(c.expected), std::string::npos) << r.out;
  }
}

// orvhost under a pseudo-terminal, as a user at a terminal runs it: the driver's stop-vector question is
// asked "(y or n)" and the typed answer decides. Waiting for another process is done in real time.
TEST(Orvhost, AtATerminalTheDriversQuestionIsAskedAndTheTypedAnswerTaken) {
  if (!Program::Get().ok) GTEST_SKIP() << Program::Get().why;
  const std::string done = Hex4(Program::Get().program.doneAddress);
  const std::string bin = testing::BinDir() + "/orvhost";
  const std::string load = "load " + Program::Get().program.hexPath;
  const std::string bp = "bp 0x" + done;
  for (const bool yes : {true, false}) {
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
      // The default options keep the stop-while-running feature on: the go asks.
      execl(bin.c_str(), bin.c_str(), "--simulate", "-e", load.c_str(), "-e", bp.c_str(), "-e", "go",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    ASSERT_GT(pid, 0);
    std::string text;
    bool answered = false;
    for (int waited = 0; waited < 30000;) {
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) {
        waited += 100;
        continue;
      }
      char buf[512];
      const ssize_t n = read(master, buf, sizeof buf);
      if (n <= 0) break;  // the program ended and closed the terminal
      text.append(buf, static_cast<size_t>(n));
      if (!answered && text.find("(y or n) ") != std::string::npos) {
        const char* answer = yes ? "y\n" : "n\n";
        ASSERT_EQ(write(master, answer, 2), 2);
        answered = true;
      }
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != pid) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
    close(master);
    EXPECT_TRUE(answered) << text;
    EXPECT_NE(text.find("[question] ORVEN Notice: "), std::string::npos) << text;
    ASSERT_TRUE(WIFEXITED(status)) << text;
    if (yes) {
      EXPECT_EQ(WEXITSTATUS(status), 0) << text;
      EXPECT_NE(text.find("stopped C:" + done), std::string::npos) << text;
    } else {
      // No keeps the feature, whose vector the program occupies: the driver ends the session.
      EXPECT_EQ(WEXITSTATUS(status), 1) << text;
      EXPECT_NE(text.find("orvhost: fatal notice: the driver closed the emulator link"), std::string::npos) << text;
      EXPECT_EQ(text.find("stopped C:"), std::string::npos) << text;
    }
  }
}

TEST(Orvhost, TheReadmeSessionPrintsTheSameWhetherThePcReadCarriesDataBytesOrNot) {
  if (!Program::Get().ok) GTEST_SKIP() << Program::Get().why;
  const mcs51test::Program& p = Program::Get().program;
  const std::string done = Hex4(p.doneAddress);
  const std::vector<std::string> session = {"init", "load " + p.hexPath, "bp 0x" + done, "go", "regs",
                                            "dump I:0x08 16", "set dptr 0x4000", "write X:0x4000 DE AD",
                                            "dump X:0x4000 2", "shutdown"};
  std::string outputs[2];
  for (int withData = 0; withData < 2; ++withData) {
    std::vector<std::string> args{"--model", "qx410"};
    if (withData != 0) args.push_back("--pc-read-data");
    testing::DeviceProcess device(args);
    ASSERT_TRUE(device.Ok());
    const ProgramRun r = Orvhost("ORVEN_HID_SOCKET=" + device.Path(), "--options -E0", session);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("stopped C:" + done + "\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("X:4000=DEAD\n"), std::string::npos) << r.out;
    outputs[withData] = r.out;
  }
  EXPECT_EQ(outputs[0], outputs[1]);
}

TEST(Orvhost, RegsAfterALostRegisterReadPrintsAnErrorInsteadOfValues) {
  if (!Program::Get().ok) GTEST_SKIP() << Program::Get().why;
  // init reads the registers once; the reply to the second read, regs's, never comes.
  testing::DeviceProcess device({"--model", "qx410", "--fault", "15:noreply:0:1"});
  ASSERT_TRUE(device.Ok());
  const ProgramRun r = Orvhost("ORVEN_HID_SOCKET=" + device.Path(), "--options -E0", {"init", "regs"});
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("orvhost: regs: the registers could not be read\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("PC="), std::string::npos) << r.out;
}

// A program built with --debug copied with its linker files and source into a folder of its own; the HEX file
// is named NAME.hex, as a user's build names it.
std::string ProgramFolder(const std::string& built, const std::string& source, const std::string& name) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(::testing::TempDir()) / ("orvhost-c-" + name + "-" + std::to_string(getpid()));
  fs::create_directories(folder);
  for (const char* ext : {".cdb", ".map", ".rst"}) {
    fs::copy_file(built + ext, folder / (name + ext), fs::copy_options::overwrite_existing);
  }
  fs::copy_file(built + ".ihx", folder / (name + ".hex"), fs::copy_options::overwrite_existing);
  fs::copy_file(source, folder / (name + ".c"), fs::copy_options::overwrite_existing);
  return folder.string();
}

TEST_P(OrvhostSession, TheFibonacciBufferPrintsAtTheLineAfterTheLoop) {
  if (std::string(ORVEN_ORVHOST_PROG).empty()) GTEST_SKIP() << "no SDCC";
  const std::string folder = ProgramFolder(ORVEN_ORVHOST_PROG, ORVEN_ORVHOST_PROGRAMS_DIR "/prog.c", "prog");
  const ProgramRun r = Shell("cd " + Quote(folder) + " && " + Env() + " " + testing::BinDir() + "/orvhost " +
                             Sim() + "--options -E0 -e 'load prog.hex' -e 'break prog.c:8' -e continue " +
                             "-e 'print buf' 2>&1");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("stopped C:"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" in main () at prog.c:8\n8\t  done = 1;\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\nbuf = {0, 1, 1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233, 121, 98}\n"), std::string::npos)
      << r.out;
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

// The debuggee's source line that holds `text`, 1-based.
std::string DebuggeeLine(const std::string& text) {
  std::ifstream source(ORVEN_DEBUGGEE_SOURCE);
  int number = 0;
  for (std::string line; std::getline(source, line);) {
    ++number;
    if (line.find(text) != std::string::npos) return std::to_string(number);
  }
  ADD_FAILURE() << "not in the debuggee: " << text;
  return "0";
}

TEST_P(OrvhostSession, CCommandsBreakStepPrintAndWalkTheStackOfTheDebuggee) {
  if (std::string(ORVEN_DEBUGGEE).empty()) GTEST_SKIP() << "no SDCC";
  const std::string folder = ProgramFolder(ORVEN_DEBUGGEE, ORVEN_DEBUGGEE_SOURCE, "debuggee");
  const std::string call = DebuggeeLine("total = level1(7);"), after = DebuggeeLine("ratio = 1.5f;");
  const std::string deepest = DebuggeeLine("return y + 1;"), inLevel2 = DebuggeeLine("int r = level3(x + 1);");
  const std::string loop = DebuggeeLine("PORT1 = ticks;");
  // Each command with what it prints; the values are those main computes before its loop.
  const struct {
    std::string command;
    std::string expected;
  } steps[] = {
      {"break debuggee.c:" + call, "Breakpoint 1 at 0x"},
      {"tbreak debuggee.c:" + loop, "Temporary breakpoint 2 at 0x"},
      {"continue", " in main () at debuggee.c:" + call + "\n" + call + "\t  total = level1(7);\n"},
      {"next", " in main () at debuggee.c:" + after + "\n"},  // over three calls, in one go
      {"print total", "total = 56\n"},
      {"c", "Temporary breakpoint 2\n"},
      {"print dcount", "dcount = 4 '\\004'\n"},
      {"print ibuf", "ibuf = {0, 4, 0, 0, 0, 0, 0, 0}\n"},
      {"print buf", "buf = {0, 1, 1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233, 121, 98}\n"},
      {"print pbyte", "pbyte = 7 '\\a'\n"},
      {"print table", "table = {1, 2, 4, 8}\n"},
      {"print done", "done = 1\n"},
      {"print LED", "LED = 0\n"},
      {"print packet", "packet = {len = 3, kind = 2, stamp = 100000}\n"},
      {"p/x word", "word = {w = 0x1234, b = {0x34, 0x12}}\n"},
      {"print flags", "flags = {ready = 1, mode = 5, count = 9}\n"},
      {"print delta", "delta = -3 '\\375'\n"},
      {"print sval", "sval = -300\n"},
      {"print ratio", "ratio = 1.5\n"},
      {"print *xptr", "*xptr = 2 '\\002'\n"},
      {"print xptr", "xptr = (unsigned char __xdata *) 0x"},
      {"set var dcount = dcount + 5", ""},
      {"print dcount", "dcount = 9 '\\t'\n"},
      {"info breakpoints", "1       breakpoint     keep y   0x"},
  };
  // The results are looked for in order, each after the one before.
  std::vector<std::string> commands = {"load " + folder + "/debuggee.hex"};
  for (const auto& s : steps) commands.push_back(s.command);
  const ProgramRun r = Orvhost(Env(), Sim() + "--options -E0", commands);
  ASSERT_EQ(r.status, 0) << r.out;
  size_t at = 0;
  for (const auto& s : steps) {
    const size_t found = r.out.find(s.expected, at);
    EXPECT_NE(found, std::string::npos) << s.command << " should print " << s.expected << "\n" << r.out;
    if (found != std::string::npos) at = found + s.expected.size();
  }

  // The deepest point: the stack of three calls, then finish returns into level2.
  // Over the socket the device still runs the first session's program: a reset starts it over.
  const ProgramRun deep = Orvhost(Env(), Sim() + "--options -E0",
                                  {"load " + folder + "/debuggee.hex", "reset", "break level3", "continue", "next", "bt",
                                   "up", "finish", "info breakpoints"});
  ASSERT_EQ(deep.status, 0) << deep.out;
  for (const std::string& expected : std::vector<std::string>
       {std::string("#0  level3 (x="), ") at debuggee.c:" + deepest + "\n#1  0x", " in level2 (x=",
        ") at debuggee.c:" + inLevel2 + "\n#2  0x", " in level1 (x=", " in main () at debuggee.c:" + call + "\n",
        "Run till exit from #1  0x", " in level1 () at debuggee.c:"}) {
    EXPECT_NE(deep.out.find(expected), std::string::npos) << expected << "\n" << deep.out;
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

TEST(Orvhost, CCommandsRefuseWhatTheyCannotDoWithTheReasonAndStatus) {
  if (!Program::Get().ok) GTEST_SKIP() << Program::Get().why;
  const struct {
    const char* command;
    int status;
    const char* expected;
  } cases[] = {
      {"p/z x", 1, "orvhost: p/z: Undefined output format \"z\".\n"},
      {"print x", 1, "orvhost: print: No symbol table is loaded."},
      {"set var x = 1", 1, "orvhost: set var: No symbol table is loaded."},
      {"delete 9", 1, "orvhost: delete: No breakpoint number 9.\n"},
      {"condition", 2, "orvhost: condition: bad arguments"},
      {"ignore 1", 2, "orvhost: ignore: bad arguments"},
      {"frame abc", 2, "orvhost: frame: bad arguments"},
      {"next 0", 2, "orvhost: next: bad arguments"},
      {"print", 2, "orvhost: print: bad arguments"},
  };
  for (const auto& c : cases) {
    const ProgramRun r = Orvhost("", "--simulate --options -E0", {c.command, "regs"});
    EXPECT_EQ(r.status, c.status) << c.command << "\n" << r.out;
    EXPECT_NE(r.out.find(c.expected), std::string::npos) << c.command << "\n" << r.out;
    EXPECT_EQ(r.out.find("PC="), std::string::npos) << c.command << ": the script went on\n" << r.out;
  }
}

}  // namespace
}  // namespace orven
