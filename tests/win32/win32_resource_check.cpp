// orvend.dll's resources against the driver's own texts: the string table reads exactly as the texts headers,
// and the setup dialog with its two bitmaps is present. Loads the DLL as a data file, so no driver code runs.
#include <windows.h>

#include <cstdio>
#include <string>

#include "driver-ui/texts.h"
#include "driver/win32/resource.h"
#include "emulator/texts.h"

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}

std::string LoadUtf8(HMODULE dll, UINT id) {
  const wchar_t* text = nullptr;
  // Length 0 asks for a pointer into the resource itself, so no buffer can cut a long text.
  int n = LoadStringW(dll, id, reinterpret_cast<LPWSTR>(&text), 0);
  if (n <= 0 || text == nullptr) return {};
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text, n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, n, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace

int main() {
  HMODULE dll = LoadLibraryExW(L"orvend.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (dll == nullptr) {
    std::printf("FAIL orvend.dll cannot be opened as a data file\n");
    return 1;
  }
  namespace et = orven::emulator::texts;
  namespace dt = orven::driverui::texts;
  const struct {
    UINT id;
    const char* text;
    const char* what;
  } strings[] = {
      {IDS_CHIP_TOO_SMALL, et::kChipTooSmall, "string 5013 (image larger than the chip)"},
      {IDS_NO_DEVICE, et::kNoDevice, "string 5014 (no emulator)"},
      {IDS_CODE_TOO_LARGE, et::kCodeTooLarge, "string 5016 (image larger than the pod)"},
      {IDS_PAUSE_NOTE, dt::kPauseNote, "string 5017 (note under the pause box)"},
      {IDS_FIRMWARE_INFO, dt::kProductInfoFormat, "string 5018 (product information)"},
      {IDS_NOT_CONNECTED, dt::kNotConnected, "string 5019 (not connected)"},
      {IDS_STOP_FAILED, et::kStopFailed, "string 5021 (stop failed)"},
      {IDS_COMM_ERROR, et::kCommError, "string 5027 (communication error)"},
  };
  for (const auto& s : strings) Check(LoadUtf8(dll, s.id) == s.text, s.what);
  Check(FindResourceW(dll, MAKEINTRESOURCEW(IDD_SETUP), MAKEINTRESOURCEW(5)) != nullptr, "dialog 5004");
  Check(FindResourceW(dll, MAKEINTRESOURCEW(IDB_BANNER), MAKEINTRESOURCEW(2)) != nullptr, "bitmap 5010 (banner)");
  Check(FindResourceW(dll, MAKEINTRESOURCEW(IDB_CHIP), MAKEINTRESOURCEW(2)) != nullptr, "bitmap 5003");
  FreeLibrary(dll);
  std::printf("%s\n", failures == 0 ? "resource checks passed" : "resource checks FAILED");
  return failures == 0 ? 0 : 1;
}
