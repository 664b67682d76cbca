#include "tests/mcs51/ucsim_harness.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

#include "tormik/hex_file.h"
#include "sim/mcs51/core.h"

#ifndef ORVEN_SDCC
#define ORVEN_SDCC ""
#endif
#ifndef ORVEN_S51
#define ORVEN_S51 ""
#endif

namespace orven::mcs51test {

namespace {

bool Executable(const std::string& path) { return !path.empty() && access(path.c_str(), X_OK) == 0; }

std::string FindOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::stringstream dirs(path);
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const std::string candidate = dir + "/" + name;
    if (Executable(candidate)) return candidate;
  }
  return {};
}

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

bool ReadFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  out = ss.str();
  return true;
}

// The bytes of "0xAA bb bb ..." lines following a marker line, up to count bytes.
bool ParseDump(const std::string& text, const std::string& marker, size_t count, std::vector<uint8_t>& out) {
  size_t pos = text.find("\n" + marker + "\n");
  if (pos == std::string::npos) return false;
  pos += marker.size() + 2;
  out.clear();
  std::istringstream lines(text.substr(pos));
  std::string line;
  while (out.size() < count && std::getline(lines, line)) {
    if (line.rfind("0x", 0) != 0) continue;
    std::istringstream fields(line);
    std::string addr;
    fields >> addr;
    std::string byte;
    while (out.size() < count && fields >> byte) {
      if (byte.size() != 2 || !std::isxdigit(static_cast<unsigned char>(byte[0])) ||
          !std::isxdigit(static_cast<unsigned char>(byte[1]))) {
        break;  // the character column
      }
      out.push_back(static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
    }
  }
  return out.size() == count;
}

bool LoadCore(const std::string& hexPath, mcs51::Core& core, std::string& error) {
  // Unused code reads as 0, as s51's code memory does.
  auto image = std::make_unique<uint8_t[]>(mcs51::Core::kMemSize);
  std::string log;
  if (!app::LoadHexFile(hexPath, image.get(), mcs51::Core::kMemSize, [&](const std::string& l) { log += l; })) {
    error = "cannot load " + hexPath + ": " + log;
    return false;
  }
  core.LoadCode(0, image.get(), mcs51::Core::kMemSize);
  // s51 bills the hardware call into a handler as one machine cycle, the chip as two.
  core.SetInterruptEntryCycles(1);
  core.ClearMemory();
  core.Reset();
  return true;
}

}  // namespace

bool Tools::Available() const { return Executable(sdcc) && Executable(s51); }

Tools FindTools() {
  Tools tools{ORVEN_SDCC, ORVEN_S51};
  if (!Executable(tools.sdcc)) tools.sdcc = FindOnPath("sdcc");
  if (!Executable(tools.s51)) tools.s51 = FindOnPath("s51");
  return tools;
}

std::vector<Program> ListPrograms(const std::string& folder) {
  std::vector<Program> programs;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return programs;
  while (dirent* entry = readdir(dir)) {
    const std::string file = entry->d_name;
    if (file.size() < 3 || file.compare(file.size() - 2, 2, ".c") != 0) continue;
    Program p;
    p.name = file.substr(0, file.size() - 2);
    p.source = folder + "/" + file;
    std::ifstream in(p.source);
    std::string first;
    std::getline(in, first);
    std::smatch m;
    static const std::regex kSettings(R"(diff: trace=(\d+) max=(\d+))");
    if (!std::regex_search(first, m, kSettings)) continue;
    p.trace = std::stoull(m[1]);
    p.maxInstructions = std::stoull(m[2]);
    programs.push_back(p);
  }
  closedir(dir);
  std::sort(programs.begin(), programs.end(), [](const Program& a, const Program& b) { return a.name < b.name; });
  return programs;
}

int RunCommand(const std::string& command, std::string& output) {
  output.clear();
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return -1;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) output.append(buf, n);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Build(const Tools& tools, const std::string& workDir, const std::string& includeDir, Program& program,
           std::string& error) {
  mkdir(workDir.c_str(), 0755);
  const std::string cmd = Quote(tools.sdcc) + " -mmcs51 --std-c11 -I" + Quote(includeDir) + " -o " +
                          Quote(workDir + "/") + " " + Quote(program.source);
  std::string output;
  if (RunCommand(cmd, output) != 0) {
    error = cmd + "\n" + output;
    return false;
  }
  program.hexPath = workDir + "/" + program.name + ".ihx";
  std::string map;
  if (!ReadFile(workDir + "/" + program.name + ".map", map)) {
    error = "no map file";
    return false;
  }
  std::smatch m;
  static const std::regex kDone(R"(C:\s+([0-9A-Fa-f]{8})\s+_done\b)");
  program.doneAddress = std::regex_search(map, m, kDone) ? static_cast<int32_t>(std::stoul(m[1], nullptr, 16)) : -1;
  return true;
}

bool RunUcsim(const Tools& tools, const std::string& workDir, const std::string& hexPath, uint64_t traceSteps,
              int32_t stopAddress, uint64_t runSteps, SimRun& out, std::string& error) {
  const std::string script = workDir + "/s51.cmd";
  const std::string serial = workDir + "/s51.serial";
  const std::string output = workDir + "/s51.out";
  {
    std::ofstream cmd(script);
    // s51 starts with pseudo-random RAM; the core starts with zeros.
    cmd << "fill iram 0 0xff 0\nfill xram 0 0xffff 0\n";
    for (uint64_t i = 0; i < traceSteps; ++i) cmd << "step\n";
    if (runSteps > 0) {
      if (stopAddress >= 0) cmd << "break 0x" << std::hex << stopAddress << std::dec << "\n";
      cmd << "step " << runSteps << "\n";
    }
    cmd << "expr 11111111\nstate\n";
    cmd << "expr 22222222\ndump /h iram 0 0xff 16\n";
    cmd << "expr 33333333\ndump /h sfr 0x80 0xff 16\n";
    cmd << "expr 44444444\ndump /h xram 0 0x" << std::hex << (kXramCompared - 1) << std::dec << " 16\n";
    cmd << "quit\n";
  }
  std::remove(serial.c_str());
  std::string ignored;
  const std::string cmd = Quote(tools.s51) + " -t C52 -S out=" + Quote(serial) + " " + Quote(hexPath) + " < " +
                          Quote(script) + " > " + Quote(output);
  if (RunCommand(cmd, ignored) != 0) {
    error = "s51 failed: " + ignored;
    return false;
  }
  std::string text;
  if (!ReadFile(output, text)) {
    error = "no s51 output";
    return false;
  }
  out = SimRun{};
  static const std::regex kStop(R"(Stop at 0x([0-9a-fA-F]+): \((\d+)\))");
  bool lastWasBreakpoint = false;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), kStop); it != std::sregex_iterator(); ++it) {
    const uint16_t pc = static_cast<uint16_t>(std::stoul((*it)[1], nullptr, 16));
    if (out.trace.size() < traceSteps) {
      out.trace.push_back(pc);
    } else {
      out.final.pc = pc;
      lastWasBreakpoint = (*it)[2] == "104";
    }
  }
  if (runSteps == 0 && !out.trace.empty()) out.final.pc = out.trace.back();
  std::smatch m;
  static const std::regex kInst(R"(Inst= (\d+))");
  static const std::regex kClks(R"(\((\d+) clks\))");
  static const std::regex kPc(R"(CPU state= \S+ PC= 0x([0-9a-fA-F]+))");
  if (!std::regex_search(text, m, kInst)) {
    error = "no instruction count in s51 output";
    return false;
  }
  // s51 counts the instruction it stopped in front of when a breakpoint ends the run.
  out.final.instructions = std::stoull(m[1]) - (lastWasBreakpoint ? 1 : 0);
  if (std::regex_search(text, m, kClks)) out.final.cycles = std::stoull(m[1]) / 12;
  if (std::regex_search(text, m, kPc)) out.final.pc = static_cast<uint16_t>(std::stoul(m[1], nullptr, 16));
  if (!ParseDump(text, "22222222", 256, out.final.iram) || !ParseDump(text, "33333333", 128, out.final.sfr) ||
      !ParseDump(text, "44444444", kXramCompared, out.final.xram)) {
    error = "cannot read the memory dumps in " + output;
    return false;
  }
  std::string bytes;
  if (ReadFile(serial, bytes)) out.final.serial.assign(bytes.begin(), bytes.end());
  return true;
}

bool RunCore(const std::string& hexPath, uint64_t traceSteps, int32_t stopAddress, uint64_t runSteps, SimRun& out,
             std::string& error) {
  auto core = std::make_unique<mcs51::Core>();
  if (!LoadCore(hexPath, *core, error)) return false;
  out = SimRun{};
  out.trace.reserve(traceSteps);
  for (uint64_t i = 0; i < traceSteps; ++i) {
    core->Step();
    // s51's single step runs on into the first instruction of each handler it enters.
    while (core->EnteredInterrupt()) core->Step();
    out.trace.push_back(core->Pc());
  }
  if (runSteps > 0) {
    mcs51::RunLimits limits;
    limits.maxInstructions = runSteps;
    limits.stopAddress = stopAddress;
    core->Run(limits);
  }
  FinalState& f = out.final;
  f.pc = core->Pc();
  f.iram.resize(256);
  f.sfr.resize(128);
  f.xram.resize(kXramCompared);
  core->ReadMemory(mcs51::Space::kIdata, 0, f.iram.data(), 256);
  core->ReadMemory(mcs51::Space::kSfr, 0x80, f.sfr.data(), 128);
  core->ReadMemory(mcs51::Space::kXdata, 0, f.xram.data(), kXramCompared);
  f.serial = core->SerialOutput();
  f.instructions = core->Instructions();
  f.cycles = core->Cycles();
  return true;
}

uint64_t CoreInstructionsTo(const std::string& hexPath, int32_t stopAddress, uint64_t limit) {
  auto core = std::make_unique<mcs51::Core>();
  std::string error;
  if (!LoadCore(hexPath, *core, error)) return 0;
  mcs51::RunLimits limits;
  limits.maxInstructions = limit;
  limits.stopAddress = stopAddress;
  return core->Run(limits).instructions;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string s;
  char b[4];
  for (uint8_t v : bytes) {
    std::snprintf(b, sizeof b, "%02X", v);
    s += b;
  }
  return s;
}

}  // namespace orven::mcs51test
