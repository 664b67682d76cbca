// Feeds arbitrary flash-segment lists, as a host hands them out, to a download into the simulated emulator.
// Whatever the starts and lengths, nothing is written past the 64 KiB download buffer, and a download that
// succeeds leaves exactly the expected image in the pod or chip.
//
// Input: byte 0 picks the target (bit 0 set: the pod; else chip (byte 0 >> 1) % 25 of the table), then
// records of 6 bytes: start (u32le), length (u16le). The segments' bytes are taken from the rest of the input,
// repeated as needed.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

#include "emulator/ice_usb.h"
#include "emulator/target_chip_table.h"
#include "link/bytes.h"
#include "sim/emulator_backend.h"

namespace {

using namespace orven;

class ListHost final : public emulator::HostChannel {
 public:
  std::vector<emulator::FlashSegment> segments;
  size_t next = 0;
  void SendText(uint32_t, const char*) override {}
  void Post(uint32_t) override {}
  void ShowProgress(const emulator::ProgressBar&) override {}
  bool NextFlashSegment(bool first, emulator::FlashSegment* segment) override {
    if (first) next = 0;
    if (next >= segments.size()) return false;
    *segment = segments[next++];
    return true;
  }
};

class QuietPrompter final : public emulator::Prompter {
 public:
  void ErrorBox(const char*, const char*) override {}
  void WarningBox(const char*, const char*) override {}
  bool Question(const char*, const char*) override { return false; }
};

class Flags final : public emulator::DriverFlags {
 public:
  int32_t f = 0x10, v = 0, c = 0;
  int32_t OptionE() const override { return 0; }
  void SetOptionE(int32_t) override {}
  int32_t OptionF() const override { return f; }
  int32_t OptionV() const override { return v; }
  int32_t OptionC() const override { return c; }
  bool Fatal() const override { return false; }
  void SetFatal() override {}
};

struct Rig {
  VirtualClock clock;
  sim::SimulatedEmulatorBackend backend{clock, {}};
  ListHost host;
  QuietPrompter prompter;
  Flags flags;
  emulator::CIceUsb emu{backend, clock, host, prompter, flags};
  Rig() { emu.Connect(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Rig rig;
  if (size < 1) return 0;
  const bool pod = (data[0] & 1) != 0;
  const int32_t chip = (data[0] >> 1) % static_cast<int32_t>(emulator::kTargetChipCount);
  const emulator::TargetChipEntry& entry = emulator::TargetChipTable[static_cast<size_t>(chip)];
  rig.flags.f = pod ? 0x10 : 0;
  rig.flags.v = entry.VendorIndex();
  rig.flags.c = chip - emulator::FirstChipOfVendor(entry.VendorIndex());

  ByteReader in(data + 1, size - 1);
  std::vector<std::pair<uint32_t, uint16_t>> records;
  uint32_t start = 0;
  uint16_t length = 0;
  while (records.size() < 64 && in.U32(start) && in.U16(length)) records.emplace_back(start, length);
  const uint8_t* fill = in.Current();
  const size_t fillSize = in.Remaining();

  std::deque<std::vector<uint8_t>> bytes;
  rig.host.segments.clear();
  std::vector<uint8_t> expected(0x10000, 0);
  uint64_t imageEnd = 0;
  bool ended = false;
  for (const auto& [s, n] : records) {
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i) b[i] = fillSize ? fill[i % fillSize] : static_cast<uint8_t>(i);
    bytes.push_back(std::move(b));
    rig.host.segments.push_back({s, n, bytes.back().data(), 0});
    if (ended || n == 0) {
      ended = true;
      continue;
    }
    const uint64_t a = s & 0xFFFFFF;
    if (a + n <= 0x10000) std::memcpy(expected.data() + a, bytes.back().data(), n);
    imageEnd = std::max<uint64_t>(imageEnd, a + n);
  }

  // The last download left its program running; the pod takes code only while halted.
  rig.emu.ForceStop();
  if (!rig.emu.PrepareDownload()) __builtin_trap();
  const bool ok = rig.emu.DownloadImage();
  const uint64_t limit = pod ? emulator::kCodeLimit : entry.Capacity();
  if (ok != (imageEnd <= limit)) __builtin_trap();
  if (ok && imageEnd > 0) {
    std::vector<uint8_t> got;
    if (pod) {
      got = rig.backend.Device()->PodMemory(mcs51::Space::kCode, 0, static_cast<uint32_t>(imageEnd));
    } else {
      got = rig.backend.Device()->Flash();
      got.resize(static_cast<size_t>(imageEnd));
    }
    if (std::memcmp(got.data(), expected.data(), static_cast<size_t>(imageEnd)) != 0) __builtin_trap();
  }
  return 0;
}
