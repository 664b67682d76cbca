// The call stack of a stopped 8051 program, read from internal RAM. An acall or lcall pushes its return
// address low byte first, so a frame's caller is found as a byte pair on the stack (high byte above low byte)
// whose address follows a call instruction into the frame's function. Pushed registers and locals in between
// are skipped by the search. The search stops at main (the startup code jumps to it) or at the first frame it
// cannot tie to a call; that frame is marked, never guessed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "debugger/code_cache.h"
#include "debugger/code_position.h"
#include "debugger/target_port.h"
#include "debuginfo/debug_info.h"

namespace orven::debugger {

struct Frame {
  uint32_t level = 0;
  uint16_t pc = 0;      // frame 0: the PC; outer frames: the return address into them
  bool hasPc = true;    // false for a caller that could not be found at all ("?? ()")
  bool verified = true; // false when the return address is plausible but not proven by a call instruction
  // The function and line the frame is in. Outer frames are looked up at pc - 1, the call instruction.
  CodePosition position;
  // Internal RAM address of the high byte of this frame's own return address, or -1 for the outermost frame.
  // After that return, SP is returnSlot - 2.
  int returnSlot = -1;
};

class CallStack {
 public:
  static constexpr size_t kMaxFrames = 64;
  // The reset SP: without the startup code's stack start the search goes down to just above it.
  static constexpr uint8_t kResetSp = 0x07;

  CallStack(TargetPort& port, CodeCache& code, const debuginfo::DebugInfo* info)
      : port_(port), code_(code), info_(info) {}

  // The SP the startup code sets before main (SDCC: the start of its stack segment minus one). Without it the
  // startup code is read: SDCC's reset vector jumps to code that sets SP first ("mov sp,#data").
  void SetStackStart(std::optional<uint8_t> sp) { stackStart_ = sp; }

  // The SP the startup code sets, when it sets one the way SDCC's does; nullopt otherwise.
  std::optional<uint8_t> StartupSp();

  // Frames innermost first. One request for the stack bytes, plus code pages the cache does not hold yet.
  PortResult Unwind(const RegisterSet& registers, std::vector<Frame>& out);

 private:
  // True when `returnAddress` follows an acall or lcall whose target is `entry`.
  bool FollowsCallTo(uint16_t returnAddress, uint32_t entry);

  TargetPort& port_;
  CodeCache& code_;
  const debuginfo::DebugInfo* info_;
  std::optional<uint8_t> stackStart_;
};

// One line of `backtrace` as gdb prints it: "#1  0x0119 in main () at prog.c:86". `args` is the text inside the
// parentheses.
std::string FormatFrame(const Frame& frame, const std::string& args = {});

}  // namespace orven::debugger
