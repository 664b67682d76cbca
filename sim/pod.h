// The VELM5 emulation pod: an 8052 core with the emulator's run control around it. The pod runs in the
// device's Clock time but only catches up when the emulator handles a command, so a halted or stuck pod costs
// nothing and a running one costs what the elapsed chip time costs, bounded per command.
#pragma once

#include <cstdint>
#include <set>

#include "link/clock.h"
#include "sim/mcs51/core.h"

namespace orven::sim {

class Pod {
 public:
  static constexpr uint32_t kDefaultCrystalHz = 11'059'200;
  static constexpr unsigned kDefaultBreakpointLimit = 4;
  // At most this many machine cycles run per catch-up (about 18 s of chip time at 11.0592 MHz); a pod that
  // falls further behind its clock runs the rest on later commands.
  static constexpr uint64_t kMaxCyclesPerCatchUp = uint64_t{1} << 24;
  // A catch-up runs in slices of this many cycles, so a core that halts or falls asleep early stops costing.
  static constexpr uint64_t kSliceCycles = uint64_t{1} << 16;
  static constexpr uint16_t kNoStopAddress = 0xFFFF;

  enum class BreakpointResult { kDone, kTooMany, kConflict };

  // The clock is borrowed and must outlive the pod.
  explicit Pod(Clock& clock, uint32_t crystalHz = kDefaultCrystalHz);

  // Power-on and the emulator's pod start: the core is reset and halted. Code memory and breakpoints stay.
  void Start();

  // Runs from the current PC (after a processor reset when resetFirst). stopAddress 0xFFFF = none;
  // stopFeature: the run can be stopped by a stop request (the monitor's vector at C:0x003B is in use).
  void Go(uint16_t stopAddress, bool resetFirst, bool stopFeature);
  // The stop request of the stop-while-running feature: it reaches the target as an interrupt, so it halts
  // only a run started with the feature and only while the program keeps interrupts enabled (EA = 1) and the
  // chip is not powered down. True when the pod halted.
  bool RequestStop();
  // Halts and resets the processor whatever the program does.
  void ForceStop();
  // Executes one instruction of a halted pod; returns the new PC.
  uint16_t Step();

  // Runs the core up to the clock's now (bounded by kMaxCyclesPerCatchUp). Does nothing while halted.
  void CatchUp();

  bool Running() const { return running_; }
  // The core sleeps with nothing left to wake it (idle without interrupts, or powered down).
  bool Stuck() const { return stuck_; }

  // Hardware breakpoints: at most Limit() addresses; setting an address twice is a conflict; clearing one
  // not set does nothing.
  BreakpointResult SetBreakpoint(uint16_t address, bool on);
  const std::set<uint16_t>& Breakpoints() const { return breakpoints_; }
  void SetBreakpointLimit(unsigned limit) { breakpointLimit_ = limit; }
  unsigned BreakpointLimit() const { return breakpointLimit_; }

  void SetCrystal(uint32_t hz);
  uint32_t CrystalHz() const { return core_.CrystalHz(); }

  mcs51::Core& Core() { return core_; }
  const mcs51::Core& Core() const { return core_; }

 private:
  void Halt();
  // One slice of a catch-up; false when the run ended (halted) or the core sleeps for good.
  bool RunSlice(uint64_t cycles);
  // Idle with no interrupt that could end it: interrupts off, or none of the sources enabled.
  bool AsleepForGood() const;
  // Restarts the time accounting at the clock's now (a run starts or the crystal changes).
  void Resync();

  Clock& clock_;
  mcs51::Core core_;
  bool running_ = false;
  bool stuck_ = false;
  int32_t stopAddress_ = -1;
  bool stopFeature_ = false;
  // The run has not yet executed its first instruction, so it may leave a breakpoint or the stop address.
  bool leaving_ = false;
  // Time accounting of the current run: at originMs_ the core had run originCycles_ machine cycles.
  uint64_t originMs_ = 0;
  uint64_t originCycles_ = 0;
  // Where the core last retired an instruction, for telling a sleeping core from a working one.
  uint64_t lastInstructions_ = 0;
  uint64_t lastProgressCycles_ = 0;
  std::set<uint16_t> breakpoints_;
  unsigned breakpointLimit_ = kDefaultBreakpointLimit;
};

}  // namespace orven::sim
