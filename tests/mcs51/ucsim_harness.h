// Compiling small C programs with SDCC and running them in ucsim's s51, to hold the pod's core against an
// independent simulator. Used by the differential tests and by the speed comparison.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace orven::mcs51test {

struct Tools {
  std::string sdcc;
  std::string s51;
  // Both found and executable.
  bool Available() const;
};

// The tools as configured at build time, or found on PATH.
Tools FindTools();

struct Program {
  std::string name;     // file stem
  std::string source;   // path of the .c file
  uint64_t trace = 0;   // instructions compared PC by PC
  uint64_t maxInstructions = 0;
  std::string hexPath;  // after Build()
  int32_t doneAddress = -1;  // address of done(), the program's end
};

// gtest prints a program parameter by its name.
inline void PrintTo(const Program& program, std::ostream* os) { *os << program.name; }

// Lists the programs (*.c) of a folder, sorted, with the "// diff: trace=N max=M" settings of their first line.
std::vector<Program> ListPrograms(const std::string& folder);

// Compiles program.source with SDCC into workDir, fills hexPath and doneAddress. On failure returns false and
// puts the compiler's output into error.
bool Build(const Tools& tools, const std::string& workDir, const std::string& includeDir, Program& program,
           std::string& error);

// The state a run ends in, as both simulators report it.
struct FinalState {
  uint16_t pc = 0;
  std::vector<uint8_t> iram;   // 256 bytes
  std::vector<uint8_t> sfr;    // 0x80-0xFF
  std::vector<uint8_t> xram;   // 0x0000 .. xramBytes-1
  std::vector<uint8_t> serial;
  uint64_t instructions = 0;
  uint64_t cycles = 0;         // machine cycles
};

struct SimRun {
  std::vector<uint16_t> trace;  // PC after each traced instruction
  FinalState final;
};

constexpr size_t kXramCompared = 0x1000;

// Runs the hex file in s51: internal RAM and xdata cleared, `traceSteps` single steps, then (when runSteps > 0)
// a run of at most runSteps instructions that stops at stopAddress. Returns false with a reason on failure.
bool RunUcsim(const Tools& tools, const std::string& workDir, const std::string& hexPath, uint64_t traceSteps,
              int32_t stopAddress, uint64_t runSteps, SimRun& out, std::string& error);

// The same in the pod's core.
bool RunCore(const std::string& hexPath, uint64_t traceSteps, int32_t stopAddress, uint64_t runSteps, SimRun& out,
             std::string& error);

// Instructions until the core's PC reaches stopAddress (at most limit).
uint64_t CoreInstructionsTo(const std::string& hexPath, int32_t stopAddress, uint64_t limit);

// Runs a shell command, returning its exit status (-1 when it could not run) and what it printed.
int RunCommand(const std::string& command, std::string& output);

std::string Hex(const std::vector<uint8_t>& bytes);

}  // namespace orven::mcs51test
