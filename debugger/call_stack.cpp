#include "debugger/call_stack.h"

#include "debugger/format_text.h"
#include "debugger/texts.h"

namespace orven::debugger {

bool CallStack::FollowsCallTo(uint16_t returnAddress, uint32_t entry) {
  for (uint16_t length : {uint16_t{3}, uint16_t{2}}) {
    if (returnAddress < length) continue;
    Instruction call;
    if (!code_.Decode(static_cast<uint16_t>(returnAddress - length), call).ok) return false;
    if (call.flow == Flow::kCall && call.length == length && call.target == entry) return true;
  }
  return false;
}

std::optional<uint8_t> CallStack::StartupSp() {
  constexpr uint8_t kLjmp = 0x02, kMovDirectData = 0x75, kSpAddress = 0x81;
  uint8_t reset[3] = {};
  for (uint16_t i = 0; i < 3; ++i) {
    if (!code_.Byte(i, reset[i]).ok) return std::nullopt;
  }
  if (reset[0] != kLjmp) return std::nullopt;
  const auto startup = static_cast<uint16_t>(reset[1] << 8 | reset[2]);
  uint8_t mov[3] = {};
  for (uint16_t i = 0; i < 3; ++i) {
    if (!code_.Byte(static_cast<uint16_t>(startup + i), mov[i]).ok) return std::nullopt;
  }
  if (mov[0] != kMovDirectData || mov[1] != kSpAddress) return std::nullopt;
  return mov[2];
}

PortResult CallStack::Unwind(const RegisterSet& registers, std::vector<Frame>& out) {
  out.clear();
  Frame top;
  top.pc = registers.pc;
  top.position = PositionAt(info_, registers.pc);
  out.push_back(top);

  // Internal RAM from just above the stack start up to SP, in one read.
  if (!stackStart_) stackStart_ = StartupSp();
  const uint32_t low = uint32_t{stackStart_.value_or(kResetSp)} + 1;
  std::vector<uint8_t> stack;
  if (registers.sp >= low) {
    stack.resize(registers.sp - low + 1);
    PortResult r = port_.Read(Space::kIdata, low, stack);
    if (!r.ok) return r;
  }
  auto byteAt = [&](uint32_t address) { return stack[address - low]; };

  uint32_t searchTop = registers.sp;  // highest stack byte the next search may use
  while (out.size() < kMaxFrames) {
    Frame& callee = out.back();
    const debuginfo::Function* function = callee.position.function;
    if (!callee.hasPc || !function || !function->begin || function->name == "main") break;
    Frame caller;
    caller.level = callee.level + 1;
    caller.hasPc = false;
    caller.verified = false;
    for (uint32_t high = searchTop; high >= low + 1 && high <= registers.sp; --high) {
      const auto address = static_cast<uint16_t>(byteAt(high) << 8 | byteAt(high - 1));
      bool found = false;
      if (function->isInterrupt) {
        // The chip's own call into a handler leaves no instruction behind: any address in the program's code
        // is a candidate, and the frame stays unverified.
        found = info_ && info_->FunctionAt(address) != nullptr;
      } else {
        found = FollowsCallTo(address, *function->begin);
        caller.verified = found;
      }
      if (found) {
        caller.pc = address;
        caller.hasPc = true;
        callee.returnSlot = static_cast<int>(high);
        searchTop = high - 2;
        break;
      }
    }
    // After a call the return address may already be the next line's first byte: the call itself is at
    // pc - 1. An interrupted frame's address is the instruction the chip comes back to.
    if (caller.hasPc) {
      caller.position =
          PositionAt(info_, static_cast<uint16_t>(function->isInterrupt ? caller.pc : caller.pc - 1));
    }
    out.push_back(caller);
    if (!caller.hasPc || searchTop < low) break;
  }
  return PortResult::Ok();
}

std::string FormatFrame(const Frame& frame, const std::string& args) {
  std::string out = "#" + std::to_string(frame.level) + "  ";
  if (!frame.hasPc) return out + texts::kUnknownFunction + " ()";
  const CodePosition& at = frame.position;
  const bool showAddress = frame.level > 0 || !at.atLineStart;
  if (showAddress) out += FormatText("0x%04x in ", frame.pc);
  out += at.function ? at.function->name : texts::kUnknownFunction;
  out += " (" + args + ")";
  if (at.line) out += " at " + at.file + ":" + std::to_string(at.line->line);
  if (!frame.verified) out += texts::kUnverifiedFrame;
  return out;
}

}  // namespace orven::debugger
