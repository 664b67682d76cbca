#include "link/win32_hid_backend.h"

// windows.h before the SetupDi and HID headers, which rely on its types.
#include <windows.h>

// MinGW's HID header declares its functions without C linkage guards.
extern "C" {
#include <hidsdi.h>
}
#include <setupapi.h>

#include <vector>

namespace orven::link {

namespace {

std::string Utf8(const wchar_t* text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

std::wstring Wide(const std::string& text) {
  int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

class Win32HidHandle final : public HidHandle {
 public:
  explicit Win32HidHandle(HANDLE handle) : handle_(handle) {}
  ~Win32HidHandle() override {
    // Every transfer has finished (or been cancelled and reaped) before its call returned, so nothing is
    // pending here; CancelIo covers a transfer that another thread of the owner might still have issued.
    CancelIo(handle_);
    CloseHandle(handle_);
  }
  Win32HidHandle(const Win32HidHandle&) = delete;
  Win32HidHandle& operator=(const Win32HidHandle&) = delete;

  TransferResult Write(const uint8_t* report, size_t length, uint32_t timeoutMs) override {
    DWORD done = 0;
    return Transfer(true, const_cast<uint8_t*>(report), length, timeoutMs, &done);
  }

  TransferResult Read(uint8_t* report, size_t length, uint32_t timeoutMs, size_t* got) override {
    DWORD done = 0;
    TransferResult r = Transfer(false, report, length, timeoutMs, &done);
    *got = r == TransferResult::kOk ? done : 0;
    return r;
  }

  bool Purge() override {
    // Abort what is pending on the handle, then drop the input reports the class driver has buffered. (The
    // serial-port purge request is refused on a HID handle; the HID flush is its equivalent here.)
    CancelIo(handle_);
    return HidD_FlushQueue(handle_) != FALSE;
  }

 private:
  // One overlapped transfer with its own auto-reset event. The record and the buffer stay in use by the system
  // until the transfer completes, so a transfer that is cancelled is reaped before returning: a late report can
  // never land in a buffer the caller has moved on from.
  TransferResult Transfer(bool write, uint8_t* buffer, size_t length, uint32_t timeoutMs, DWORD* done) {
    *done = 0;
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (event == nullptr) return TransferResult::kError;
    OVERLAPPED ov{};
    ov.hEvent = event;
    DWORD n = 0;
    DWORD len = static_cast<DWORD>(length);
    BOOL ok = write ? WriteFile(handle_, buffer, len, &n, &ov) : ReadFile(handle_, buffer, len, &n, &ov);
    TransferResult result = TransferResult::kError;
    if (ok) {
      // Completed at once; the overlapped result gives the count on every path the system takes.
      if (GetOverlappedResult(handle_, &ov, &n, FALSE)) {
        *done = n;
        result = TransferResult::kOk;
      }
    } else if (GetLastError() == ERROR_IO_PENDING) {
      DWORD wait = WaitForSingleObject(event, timeoutMs);
      if (wait == WAIT_OBJECT_0) {
        if (GetOverlappedResult(handle_, &ov, &n, TRUE)) {
          *done = n;
          result = TransferResult::kOk;
        }
      } else {
        CancelIo(handle_);
        // Reap the cancelled transfer. If it completed in the moment before the cancel, the report is real
        // and is delivered rather than lost.
        if (GetOverlappedResult(handle_, &ov, &n, TRUE)) {
          *done = n;
          result = TransferResult::kOk;
        } else {
          result = wait == WAIT_TIMEOUT ? TransferResult::kTimeout : TransferResult::kError;
        }
      }
    }
    CloseHandle(event);
    return result;
  }

  HANDLE handle_;
};

}  // namespace

std::vector<HidDeviceInfo> Win32HidBackend::Enumerate() {
  std::vector<HidDeviceInfo> found;
  GUID hidClass;
  HidD_GetHidGuid(&hidClass);
  HDEVINFO set = SetupDiGetClassDevsW(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return found;
  for (DWORD index = 0;; ++index) {
    SP_DEVICE_INTERFACE_DATA iface{};
    iface.cbSize = sizeof iface;
    if (!SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, index, &iface)) break;  // no more interfaces
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &iface, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
    // The detail record is variable-length: its path runs past the declared structure. Kept in DWORDs for
    // the record's alignment.
    std::vector<DWORD> storage((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(set, &iface, detail, size, nullptr, nullptr)) continue;
    // Query-only open: no access rights are needed to read the attributes, and devices the system holds
    // exclusively (keyboards, mice) still answer.
    HANDLE query = CreateFileW(detail->DevicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               0, nullptr);
    if (query == INVALID_HANDLE_VALUE) continue;
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    BOOL haveAttributes = HidD_GetAttributes(query, &attributes);
    CloseHandle(query);
    if (!haveAttributes) continue;
    found.push_back({attributes.VendorID, attributes.ProductID, Utf8(detail->DevicePath)});
  }
  SetupDiDestroyDeviceInfoList(set);
  return found;
}

std::unique_ptr<HidHandle> Win32HidBackend::Open(const std::string& path) {
  std::wstring wide = Wide(path);
  if (wide.empty()) return nullptr;
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32HidHandle>(h);
}

std::unique_ptr<HidHandle> AdoptWin32HidHandle(void* handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32HidHandle>(static_cast<HANDLE>(handle));
}

}  // namespace orven::link
