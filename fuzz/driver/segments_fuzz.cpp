// The flash segment list a host hands out during a download (host callback code 15): any starts, lengths and
// orders, a null record or one without data, go through AG_Init 0x0313/0x0314 against the simulated emulator
// without the driver reading or writing outside the host's segments or its own image.
//
// Input: byte 0 the options (bit 0: to the pod, else an AT89S52; bit 1: a null record first); then records of
// 7 bytes: @0 u24le start, @3 u16le length, @5 u8 flags (bit 0: data pointer null), @6 fill byte.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "driver/device.h"
#include "link/clock.h"
#include "orvend/orvend.h"
#include "sim/emulator_backend.h"

namespace {

std::vector<OrvendFlashSegment> segments;
std::vector<std::vector<uint8_t>> buffers;
bool nullFirst = false;

void* Callback(uint32_t code, void* argument) {
  if (code != ORVEND_CALLBACK_NEXT_SEGMENT) return nullptr;
  if (argument == nullptr) return nullFirst || segments.empty() ? nullptr : &segments[0];
  size_t next = static_cast<size_t>(static_cast<OrvendFlashSegment*>(argument) - segments.data()) + 1;
  return next < segments.size() ? &segments[next] : nullptr;
}

intptr_t Send(void*, uint32_t, uintptr_t, intptr_t) { return 0; }
void Post(void*, uint32_t, uintptr_t, intptr_t) {}
int Box(void*, int, const char*, const char*) { return 1; }

struct Rig {
  orven::VirtualClock clock;
  std::unique_ptr<orven::sim::SimulatedEmulatorBackend> backend = orven::sim::MakeSimulatedEmulatorBackend(clock);
  OrvendHostWindow window{nullptr, Send, Post};
  OrvendUi ui{nullptr, Box, nullptr};
  Rig() {
    orven::driver::UseDeviceForTesting(*backend, clock);
    OrvendSetUi(&ui);
    AG_Init(ORVEND_INIT_MAIN_WINDOW, &window);
    void* callback = nullptr;
    OrvendHostCallback function = Callback;
    std::memcpy(&callback, &function, sizeof callback);
    AG_Init(ORVEND_INIT_CALLBACK, callback);
    AG_Init(ORVEND_INIT_CONNECT, nullptr);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Rig rig;
  if (size < 1) return 0;
  static char record[ORVEND_ENUM_OPTION_OFFSET + 64];
  std::strcpy(record + ORVEND_ENUM_OPTION_OFFSET, (data[0] & 1) != 0 ? "-E0 -F16" : "-E0 -F0 -V0 -C1");
  EnumUv351(record, 2);
  nullFirst = (data[0] & 2) != 0;
  segments.clear();
  buffers.clear();
  uint32_t total = 0;
  for (size_t at = 1; at + 7 <= size && segments.size() < 16; at += 7) {
    uint32_t start = data[at] | data[at + 1] << 8 | static_cast<uint32_t>(data[at + 2]) << 16;
    uint32_t length = data[at + 3] | data[at + 4] << 8;
    bool noData = (data[at + 5] & 1) != 0;
    buffers.emplace_back(length, data[at + 6]);
    segments.push_back({start, length, noData ? nullptr : buffers.back().data(), 0});
    total += length;
  }
  for (OrvendFlashSegment& s : segments) s.total = total;
  if (AG_Init(ORVEND_INIT_PREPARE_DOWNLOAD, nullptr) == 0) AG_Init(ORVEND_INIT_DOWNLOAD, nullptr);
  // A failure closes the link; the next input starts connected again.
  AG_Init(ORVEND_INIT_CONNECT, nullptr);
  return 0;
}
