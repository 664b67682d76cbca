// The Win32 report handle's transfer rules, checked under Windows (or Wine) without a device: an overlapped
// message pipe stands in for the HID class driver's file, one 65-byte report per message. Prints one line per
// check and exits non-zero when any fails.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "link/hid.h"
#include "link/text_codec.h"
#include "link/win32_hid_backend.h"

using orven::link::HidHandle;
using orven::link::TransferResult;

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}

// A pipe pair: the device side (synchronous, driven by the check) and the host side as a report handle.
struct PipePair {
  HANDLE device = INVALID_HANDLE_VALUE;
  std::unique_ptr<HidHandle> host;

  explicit PipePair(const wchar_t* name) {
    device = CreateNamedPipeW(name, PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1,
                              65, 65, 0, nullptr);
    HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                           nullptr);
    host = orven::link::AdoptWin32HidHandle(h);
  }
  ~PipePair() {
    host.reset();
    if (device != INVALID_HANDLE_VALUE) CloseHandle(device);
  }
  bool DeviceSends(uint8_t fill) {
    uint8_t report[65];
    std::memset(report, fill, sizeof report);
    report[0] = 0;
    DWORD n = 0;
    return WriteFile(device, report, sizeof report, &n, nullptr) && n == sizeof report;
  }
  bool DeviceReceives(uint8_t* report) {
    DWORD n = 0;
    return ReadFile(device, report, 65, &n, nullptr) && n == 65;
  }
};

void ReadTimesOutAndLeavesNothingPending() {
  PipePair pipe(L"\\\\.\\pipe\\orven-link-check-read");
  Check(pipe.host != nullptr, "host end of the pipe opened for overlapped transfers");
  uint8_t report[65] = {};
  size_t got = 99;
  Check(pipe.host->Read(report, sizeof report, 30, &got) == TransferResult::kTimeout && got == 0,
        "a read with nothing sent times out with no bytes");
  // A report sent after the time-out must reach the next read whole: the timed-out read was cancelled, not
  // left to swallow it.
  Check(pipe.DeviceSends(0x5A), "device sends one report after the time-out");
  std::memset(report, 0, sizeof report);
  TransferResult r = pipe.host->Read(report, sizeof report, 1000, &got);
  Check(r == TransferResult::kOk && got == 65 && report[0] == 0 && report[1] == 0x5A && report[64] == 0x5A,
        "the next read receives that report intact");
}

void WriteReachesDevice() {
  PipePair pipe(L"\\\\.\\pipe\\orven-link-check-write");
  uint8_t report[65];
  for (int i = 0; i < 65; ++i) report[i] = static_cast<uint8_t>(i);
  report[0] = 0;
  Check(pipe.host->Write(report, sizeof report, 500) == TransferResult::kOk, "a report write completes");
  uint8_t seen[65] = {};
  Check(pipe.DeviceReceives(seen) && std::memcmp(seen, report, 65) == 0, "the device receives the same 65 bytes");
  // The pipe holds one report: with the device not reading, the second write cannot complete.
  Check(pipe.host->Write(report, sizeof report, 500) == TransferResult::kOk, "a report the device buffers");
  Check(pipe.host->Write(report, sizeof report, 30) == TransferResult::kTimeout, "a write the device never takes "
        "times out");
  DWORD waiting = 0;
  Check(pipe.DeviceReceives(seen) && PeekNamedPipe(pipe.device, nullptr, 0, nullptr, &waiting, nullptr) &&
            waiting == 0,
        "the timed-out write was cancelled: only the buffered report reaches the device");
}

void LinkOverPipe() {
  // CHid's multi-report transfers over the Win32 handle: 65 bytes of data go out as two reports.
  struct OneHandleBackend final : orven::link::HidBackend {
    std::unique_ptr<HidHandle> handle;
    std::vector<orven::link::HidDeviceInfo> Enumerate() override { return {{0x1A7C, 0x5120, "pipe"}}; }
    std::unique_ptr<HidHandle> Open(const std::string&) override { return std::move(handle); }
  };
  PipePair pipe(L"\\\\.\\pipe\\orven-link-check-chid");
  OneHandleBackend backend;
  backend.handle = std::move(pipe.host);
  orven::link::CHid hid(backend);
  Check(hid.OpenDevice(0x1A7C, 0x5120), "CHid opens the QX410 through the backend");
  uint8_t data[128];
  for (int i = 0; i < 128; ++i) data[i] = static_cast<uint8_t>(0x80 + i);
  // The pipe holds one report; the device takes them as they come, as the emulator does.
  uint8_t first[65] = {}, second[65] = {};
  bool received = false;
  std::thread device([&] { received = pipe.DeviceReceives(first) && pipe.DeviceReceives(second); });
  bool written = hid.WriteData(data, 65, 500);
  device.join();
  Check(written, "WriteData of 65 bytes");
  Check(received && first[1] == 0x80 && first[64] == 0xBF && second[1] == 0xC0,
        "the device receives two reports, 64 payload bytes each");
  bool sent = false;
  std::thread answer([&] { sent = pipe.DeviceSends(0x11) && pipe.DeviceSends(0x22); });
  uint8_t in[100] = {};
  bool read = hid.ReadData(in, 100, 500);
  answer.join();
  Check(sent && read && in[0] == 0x11 && in[63] == 0x11 && in[64] == 0x22 && in[99] == 0x22,
        "ReadData of 100 bytes takes the payloads of the device's two reports");
  CloseHandle(pipe.device);
  pipe.device = INVALID_HANDLE_VALUE;
  uint32_t count = 7;
  uint8_t report[65];
  Check(!hid.ReadReport(report, &count, 500) && count == 0, "a read after the device left fails at once");
  hid.CloseDevice();
  Check(!hid.IsConnected(), "CloseDevice clears the connected flag");
}

void EnumerationRuns() {
  // No emulator is attached here; enumeration must still walk the HID class and come back.
  orven::link::Win32HidBackend backend;
  auto devices = backend.Enumerate();
  bool qx410 = false;
  for (const auto& d : devices) qx410 = qx410 || (d.vendorId == 0x1A7C && d.productId == 0x5120);
  Check(!qx410, "HID enumeration finishes and finds no QX410");
  Check(backend.Open("\\\\?\\hid#vid_1a7c&pid_5120#none") == nullptr, "opening a path that is not there fails");
  Check(backend.ReachesPhysicalDevices(), "the HID class backend reaches physical devices: no test firmware image "
        "is ever written through it");
}

void TextsReachTheHostInGbk() {
  // The driver's texts leave for the IDE in code page 936; the same conversion the Linux build makes.
  const std::string gbk = orven::link::Utf8ToGbk("仿真器通讯错误!");
  Check(gbk == "\xB7\xC2\xD5\xE6\xC6\xF7\xCD\xA8\xD1\xB6\xB4\xED\xCE\xF3!", "UTF-8 to GBK");
  Check(orven::link::GbkToUtf8(gbk) == "仿真器通讯错误!", "GBK back to UTF-8");
  Check(orven::link::Utf8ToGbk("a\xFF" "b") == "a?b", "a malformed UTF-8 byte becomes '?'");
  Check(orven::link::Utf8ToGbk("\xE0\xB8\x81") == "?", "a character GBK lacks becomes '?'");
}

}  // namespace

int main() {
  ReadTimesOutAndLeavesNothingPending();
  WriteReachesDevice();
  LinkOverPipe();
  EnumerationRuns();
  TextsReachTheHostInGbk();
  std::printf("%s\n", failures == 0 ? "link checks passed" : "link checks FAILED");
  return failures == 0 ? 0 : 1;
}
