// A scripted emulator for the driver's rules: memories as plain arrays, every call logged as one line,
// failures and breakpoint answers set per test.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "driver/target.h"

namespace orven::driver::testing {

class FakeTarget final : public Target {
 public:
  std::vector<std::string> calls;
  uint8_t code[0x10000] = {};
  uint8_t xdata[0x10000] = {};
  uint8_t iram[0x100] = {};
  uint8_t sfr[0x100] = {};
  emulator::RegisterImage registers;
  bool failReads = false;
  bool failWrites = false;
  bool failSfr = false;    // the special-function-register commands fail (both directions)
  bool stopFails = false;  // the target cannot be stopped
  std::map<uint32_t, int> breakpointAnswers;  // address -> SetBreakpoint result
  std::vector<uint32_t> stepPcs;              // PCs the steps return, in order (then stays at the last)
  size_t stepIndex = 0;
  int fatalChecks = 0;
  int goHaltPc = -1;  // where Go leaves the PC (-1: unchanged)
  bool failGo = false;      // Go fails (and, as the emulator's does, sets fatal through the state)
  bool failReadPc = false;
  std::atomic<bool>* fatal = nullptr;  // the flag a failing Go sets

  void Log(const char* name, uint32_t a, uint32_t n) {
    char line[64];
    std::snprintf(line, sizeof line, "%s %08X %u", name, a, n);
    calls.emplace_back(line);
  }

  bool Connect() override { return true; }
  void Disconnect() override { calls.emplace_back("Disconnect"); }
  void PostFatalNotice() override { calls.emplace_back("PostFatalNotice"); }
  void FatalCheck() override { ++fatalChecks; }

  bool ReadDataMemory(uint8_t* b, uint32_t a, uint32_t n) override {
    Log("ReadData", a, n);
    if (failReads || failSfr) return false;
    for (uint32_t i = 0; i < n; ++i) b[i] = sfr[(a + i) & 0xFF];
    return true;
  }
  bool WriteDataMemory(const uint8_t* b, uint32_t a, uint32_t n) override {
    Log("WriteData", a, n);
    for (uint32_t i = 0; i < n; ++i) sfr[(a + i) & 0xFF] = b[i];
    return !failWrites && !failSfr;
  }
  bool ReadCodeMemory(uint8_t* b, uint32_t a, uint32_t n) override {
    Log("ReadCode", a, n);
    if (failReads) return false;
    for (uint32_t i = 0; i < n; ++i) b[i] = code[(a + i) & 0xFFFF];
    return true;
  }
  bool WriteCodeMemory(const uint8_t* b, uint32_t& a, uint32_t n) override {
    a &= 0xFFFF;
    Log("WriteCode", a, n);
    for (uint32_t i = 0; i < n; ++i) code[(a + i) & 0xFFFF] = b[i];
    return !failWrites;
  }
  bool ReadXdataMemory(uint8_t* b, uint32_t a, uint32_t n) override {
    Log("ReadXdata", a, n);
    if (failReads) return false;
    for (uint32_t i = 0; i < n; ++i) b[i] = xdata[(a + i) & 0xFFFF];
    return true;
  }
  bool WriteXdataMemory(const uint8_t* b, uint32_t a, uint32_t n) override {
    Log("WriteXdata", a, n);
    for (uint32_t i = 0; i < n; ++i) xdata[(a + i) & 0xFFFF] = b[i];
    return !failWrites;
  }
  bool ReadIdataMemory(uint8_t* b, uint32_t a, uint32_t n) override {
    Log("ReadIdata", a, n);
    if (failReads) return false;
    for (uint32_t i = 0; i < n; ++i) b[i] = iram[(a + i) & 0xFF];
    return true;
  }
  bool WriteIdataMemory(const uint8_t* b, uint32_t a, uint32_t n) override {
    Log("WriteIdata", a, n);
    for (uint32_t i = 0; i < n; ++i) iram[(a + i) & 0xFF] = b[i];
    return !failWrites;
  }
  bool ReadRegisters(emulator::RegisterImage* out) override {
    calls.emplace_back("ReadRegisters");
    *out = registers;
    return !failReads;
  }
  bool WriteRegisters(const emulator::RegisterImage& image) override {
    calls.emplace_back("WriteRegisters");
    registers = image;
    return true;
  }
  bool ReadPc(uint16_t* pc) override {
    *pc = registers.Pc();
    return !failReadPc;
  }
  bool WritePc(uint16_t pc) override {
    Log("WritePc", pc, 0);
    registers.SetPc(pc);
    return true;
  }
  bool Step(uint32_t* pc) override {
    calls.emplace_back("Step");
    if (stepPcs.empty()) return false;
    *pc = stepPcs[std::min(stepIndex, stepPcs.size() - 1)];
    ++stepIndex;
    registers.SetPc(static_cast<uint16_t>(*pc));
    return true;
  }
  int SetBreakpoint(int mode, uint32_t address) override {
    Log("SetBreakpoint", address, static_cast<uint32_t>(mode));
    auto it = breakpointAnswers.find(address);
    return it == breakpointAnswers.end() ? 0 : it->second;
  }
  int ClearArmedBreakpoints() override {
    calls.emplace_back("ClearArmedBreakpoints");
    return 0;
  }
  bool Go(uint32_t stop, const std::atomic<bool>& cancel, bool* started) override {
    *started = !cancel.load();
    if (!*started) return true;
    Log("Go", stop, 0);
    if (failGo) {
      if (fatal != nullptr) fatal->store(true);
      return false;
    }
    if (goHaltPc >= 0) registers.SetPc(static_cast<uint16_t>(goHaltPc));
    return true;
  }
  bool Stop() override {
    calls.emplace_back("Stop");
    return !stopFails;
  }
  bool ForceStop() override {
    calls.emplace_back("ForceStop");
    return true;
  }
  void ClearPodDeferred() override {}
  void SetQuietCodeRange() override {}
  bool PrepareDownload() override { return true; }
  bool DownloadImage() override { return true; }
};

}  // namespace orven::driver::testing
