// The call stack search over whatever the target's memory holds: internal RAM, SP and code come from the
// input, the functions from a small program's debug records. The search must stay within the stack it read,
// end, and print every frame; a location typed by the user (the input's tail as text) must resolve or be
// refused with a message.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "debugger/call_stack.h"
#include "debugger/code_cache.h"
#include "debugger/location_resolver.h"
#include "debuginfo/cdb_parser.h"

namespace {

using namespace orven;
using namespace orven::debugger;

// main at 0x0100, f at 0x0200 (lines 20-22), g at 0x0280, an interrupt handler at 0x0300.
constexpr std::string_view kRecords =
    "M:prog\n"
    "F:G$main$0_0$0({2}DF,SV:S),C,0,0,0,0,0\n"
    "F:G$f$0_0$0({2}DF,SV:S),C,0,0,0,0,0\n"
    "F:G$g$0_0$0({2}DF,SV:S),C,0,0,0,0,0\n"
    "F:G$isr$0_0$0({2}DF,SV:S),C,0,0,1,1,0\n"
    "L:G$main$0$0:100\nL:XG$main$0$0:1FF\n"
    "L:G$f$0$0:200\nL:XG$f$0$0:27F\n"
    "L:G$g$0$0:280\nL:XG$g$0$0:2FF\n"
    "L:G$isr$0$0:300\nL:XG$isr$0$0:30F\n"
    "L:C$prog.c$10$0_0$1:100\nL:C$prog.c$11$1_0$1:104\n"
    "L:C$prog.c$20$0_0$2:200\nL:C$prog.c$21$1_0$2:203\nL:C$prog.c$22$1_0$2:240\n"
    "L:C$prog.c$30$0_0$3:280\nL:C$prog.c$40$0_0$4:300\n";

class MemoryTarget : public TargetPort {
 public:
  uint8_t code[0x10000] = {};
  uint8_t iram[0x100] = {};
  RegisterSet regs;

  PortResult Read(Space space, uint32_t address, std::span<uint8_t> out) override {
    const uint32_t size = space == Space::kCode || space == Space::kXdata ? 0x10000 : 0x100;
    if (address + out.size() > size) return PortResult::Failed("outside");
    std::memcpy(out.data(), (space == Space::kCode ? code : iram) + address, out.size());
    return PortResult::Ok();
  }
  PortResult Write(Space, uint32_t, std::span<const uint8_t>) override { return PortResult::Failed("read-only"); }
  PortResult ReadRegisters(RegisterSet& out) override {
    out = regs;
    return PortResult::Ok();
  }
  PortResult WriteRegister(RegisterId, uint32_t) override { return PortResult::Failed("read-only"); }
  uint32_t HardwareBreakpointLimit() const override { return 4; }
  PortResult SetBreakpoint(uint16_t) override { return PortResult::Ok(); }
  PortResult ClearBreakpoint(uint16_t) override { return PortResult::Ok(); }
  RunOutcome StepInstruction() override { return {PortResult::Failed("not here"), false}; }
  RunOutcome Run(int32_t) override { return {PortResult::Failed("not here"), false}; }
  bool Interrupt() override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const debuginfo::DebugInfo info = debuginfo::CdbParser("prog.cdb").Parse(kRecords);
  // @0 u8 SP, @1 u16 PC (big-endian), @3 u8 stack start (0: read the startup code), @4 256 bytes of internal
  // RAM, then code from 0x0100 on. The tail after 0x200 bytes is also a location as the user types it.
  if (size < 4) return 0;
  static MemoryTarget target;
  std::memset(target.code, 0, sizeof target.code);
  std::memset(target.iram, 0, sizeof target.iram);
  target.regs = {};
  target.regs.sp = data[0];
  target.regs.pc = static_cast<uint16_t>(data[1] << 8 | data[2]);
  const size_t ram = std::min<size_t>(size - 4, sizeof target.iram);
  std::memcpy(target.iram, data + 4, ram);
  if (size > 4 + ram) std::memcpy(target.code + 0x100, data + 4 + ram, std::min<size_t>(size - 4 - ram, 0xFF00));

  CodeCache code(target);
  CallStack stack(target, code, &info);
  if (data[3] != 0) stack.SetStackStart(data[3]);
  std::vector<Frame> frames;
  if (!stack.Unwind(target.regs, frames).ok) return 0;
  if (frames.empty() || frames.size() > CallStack::kMaxFrames + 1) std::abort();
  for (size_t i = 0; i < frames.size(); ++i) {
    if (frames[i].level != i) std::abort();
    if (frames[i].returnSlot > target.regs.sp) std::abort();
    if (FormatFrame(frames[i], "x=1").empty()) std::abort();
  }

  if (size > 0x200) {
    const std::string_view text(reinterpret_cast<const char*>(data + 0x200), size - 0x200);
    std::string error;
    const auto at = LocationResolver(&info).Resolve(text, "prog.c", error);
    if (at.has_value() == !error.empty()) std::abort();
  }
  return 0;
}
