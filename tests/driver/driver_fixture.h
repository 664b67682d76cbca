// The driver's global state over a scripted target, with a host window that records texts and a memory
// table with code bank 0, xdata segments 0 and 1, the special function registers and internal RAM.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/device.h"
#include "driver/driver_state.h"
#include "driver/host_link.h"
#include "fake_target.h"

namespace orven::driver::testing {

class DriverFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStateForTesting();
    UseTargetForTesting(&target);
    records.reserve(64);  // records stay where the list points
    window.context = this;
    window.send = [](void* context, uint32_t, uintptr_t kind, intptr_t argument) -> intptr_t {
      auto* self = static_cast<DriverFixture*>(context);
      self->kinds.push_back(kind);
      if (kind == ORVEND_KIND_SERIAL) self->serial = *reinterpret_cast<const OrvendSerialOutput*>(argument);
      if (kind == ORVEND_KIND_OUTPUT_TEXT || kind == ORVEND_KIND_PROGRESS_TEXT) {
        self->texts.emplace_back(reinterpret_cast<const char*>(argument));
      }
      return 0;
    };
    window.post = [](void* context, uint32_t, uintptr_t kind, intptr_t) {
      if (kind == ORVEND_KIND_FATAL) ++static_cast<DriverFixture*>(context)->fatalNotices;
    };
    state().host.window = &window;
    state().host.breakpoints = &head;
    state().host.currentPc = &hostPc;
    OrvendMemorySlot* table = state().memory.Table();
    table[0] = {code.data(), codeAttr.data()};
    table[256] = {xdata0.data(), xdata0Attr.data()};
    table[257] = {xdata1.data(), xdata1Attr.data()};
    table[512] = {sfr.data(), sfrAttr.data()};
    table[513] = {iram.data(), iramAttr.data()};
  }
  void TearDown() override {
    UseTargetForTesting(nullptr);
    ResetStateForTesting();
  }

  static DriverState& state() { return State(); }

  OrvendBreakpoint* AddBreakpoint(uint32_t address, int32_t count = 1, uint32_t kind = 0, char* command = nullptr) {
    auto& bp = records.emplace_back();
    bp.flags = kind | ORVEND_BP_ENABLED;
    bp.address = address;
    bp.remaining_count = count;
    bp.command = command;
    // Relink: the vector may have moved its records.
    head = nullptr;
    for (size_t i = records.size(); i-- > 0;) {
      records[i].next = head;
      head = &records[i];
    }
    return &records.back();
  }

  FakeTarget target;
  OrvendHostWindow window{};
  std::vector<std::string> texts;
  std::vector<uintptr_t> kinds;  // of every message sent (not posted)
  OrvendSerialOutput serial{};   // the last serial output record
  int fatalNotices = 0;
  OrvendBreakpoint* head = nullptr;
  std::vector<OrvendBreakpoint> records;
  uint32_t hostPc = 0;
  std::vector<uint8_t> code = std::vector<uint8_t>(0x10000);
  std::vector<uint16_t> codeAttr = std::vector<uint16_t>(0x10000);
  std::vector<uint8_t> xdata0 = std::vector<uint8_t>(0x10000);
  std::vector<uint16_t> xdata0Attr = std::vector<uint16_t>(0x10000);
  std::vector<uint8_t> xdata1 = std::vector<uint8_t>(0x10000);
  std::vector<uint16_t> xdata1Attr = std::vector<uint16_t>(0x10000);
  std::vector<uint8_t> sfr = std::vector<uint8_t>(0x100);
  std::vector<uint16_t> sfrAttr = std::vector<uint16_t>(0x100);
  std::vector<uint8_t> iram = std::vector<uint8_t>(0x100);
  std::vector<uint16_t> iramAttr = std::vector<uint16_t>(0x100);
};

}  // namespace orven::driver::testing
