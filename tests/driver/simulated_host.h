// A C host (the public header only) bound to the driver, with the simulated QX410 and its pod in virtual time
// behind it and the SDCC-built ticker program at hand. The message-box hook records every box and answers
// questions with `answer`, or through onQuestion when set (which may hold the box open).
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "c_host.h"
#include "driver/device.h"
#include "link/clock.h"
#include "sim/emulator_backend.h"
#include "tests/support/holding_clock.h"
#include "tests/support/sdcc_program.h"

namespace orven::driver::testing {

class SimulatedHost {
 public:
  // False when the program was not built (no SDCC): the caller skips.
  bool Open() {
    if (!program.Load(ORVEN_TICKER)) return false;
    ResetStateForTesting();
    UseTargetForTesting(nullptr);
    UseDeviceForTesting(*backend, clock);
    ui.context = this;
    ui.message_box = [](void* context, int kind, const char* caption, const char* text) {
      auto* self = static_cast<SimulatedHost*>(context);
      self->boxes.push_back(std::string(caption) + ": " + text);
      if (kind != ORVEND_BOX_QUESTION) return 1;
      return self->onQuestion ? self->onQuestion(text) : self->answer;
    };
    OrvendSetUi(&ui);
    TestHostInit(&host);
    std::memset(&enumRecord, 0, sizeof enumRecord);
    std::strcpy(enumRecord.option_text, "-E1 -F16 -V1 -C2");
    EXPECT_EQ(EnumUv351(&enumRecord, 2), 8051u);
    TestHostBind(&host);
    open_ = true;
    return true;
  }
  ~SimulatedHost() {
    if (!open_) return;
    OrvendSetUi(nullptr);
    ReleaseDeviceForTesting();
    TestHostFree(&host);
    ResetStateForTesting();
  }
  void PrintState() {
    for (const std::string& box : boxes) std::printf("box: %s\n", box.c_str());
    std::printf("output: %s\ncommands:", host.output);
    for (uint8_t c : Device().CommandLog()) std::printf(" %u", c);
    std::printf("\n");
  }

  uint32_t Code(const char* symbol) { return ORVEND_TAG(ORVEND_SPACE_CODE, program.At(symbol)); }
  uint8_t Data(uint32_t address) {
    uint8_t value = 0;
    EXPECT_EQ(TestHostRead(ORVEND_TAG(ORVEND_SPACE_DATA, address), &value, 1, nullptr), 0);
    return value;
  }
  uint32_t Pc() const { return host.current_pc; }
  std::string Output() const { return host.output; }
  sim::EmulatorDevice& Device() { return *backend->Device(); }

  ::orven::testing::SdccProgram program;
  ::orven::testing::HoldingClock clock;
  std::unique_ptr<sim::SimulatedEmulatorBackend> backend = sim::MakeSimulatedEmulatorBackend(clock);
  TestHost host;
  OrvendUi ui{};
  OrvendEnumRecord enumRecord;
  std::vector<std::string> boxes;
  int answer = 1;
  std::function<int(const char* text)> onQuestion;

 private:
  bool open_ = false;
};

}  // namespace orven::driver::testing
