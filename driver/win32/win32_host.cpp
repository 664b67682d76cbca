#include "driver/win32/win32_host.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "driver/win32/setup_dialog_win32.h"

namespace orven::driver::win32 {

namespace {

std::atomic<HWND> gOwner{nullptr};

intptr_t SendToWindow(void* context, uint32_t message, uintptr_t kind, intptr_t argument) {
  return static_cast<intptr_t>(
      SendMessageA(static_cast<HWND>(context), message, static_cast<WPARAM>(kind), static_cast<LPARAM>(argument)));
}

void PostToWindow(void* context, uint32_t message, uintptr_t kind, intptr_t argument) {
  PostMessageA(static_cast<HWND>(context), message, static_cast<WPARAM>(kind), static_cast<LPARAM>(argument));
}

std::wstring Wide(const char* utf8) {
  if (utf8 == nullptr) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

int DefaultMessageBox(void*, int kind, const char* caption, const char* text) {
  return MessageBoxUtf8(OwnerWindow(), kind, caption, text);
}

int DefaultSetupDialog(void*, OrvendSetupDialog* dialog) { return RunSetupDialogResource(OwnerWindow(), dialog); }

}  // namespace

OrvendHostWindow HostWindowFor(void* hwnd) {
  OrvendHostWindow window{};
  window.context = hwnd;
  window.send = SendToWindow;
  window.post = PostToWindow;
  return window;
}

const OrvendHostWindow* BindHostWindow(void* hwnd) {
  static OrvendHostWindow bound;
  bound = HostWindowFor(hwnd);
  SetOwnerWindow(hwnd);
  return &bound;
}

void SetOwnerWindow(void* hwnd) { gOwner.store(static_cast<HWND>(hwnd)); }

void* OwnerWindow() {
  HWND owner = gOwner.load();
  // Before the IDE has bound its main window (the setup dialog is opened from its options dialog), the
  // window active on the calling thread owns the box, so it stays modal over what the user clicked in.
  return owner != nullptr ? owner : GetActiveWindow();
}

int MessageBoxUtf8(void* owner, int kind, const char* caption, const char* text) {
  UINT style = MB_OK | MB_ICONERROR;
  if (kind == ORVEND_BOX_WARNING) style = MB_OK | MB_ICONWARNING;
  if (kind == ORVEND_BOX_QUESTION) style = MB_YESNO | MB_ICONQUESTION;
  // Task-modal when there is no owner yet, so the box still blocks the IDE's other windows of this thread.
  if (owner == nullptr) style |= MB_TASKMODAL;
  std::wstring wideCaption = Wide(caption);
  std::wstring wideText = Wide(text);
  int answer = MessageBoxW(static_cast<HWND>(owner), wideText.c_str(), wideCaption.c_str(), style);
  if (kind == ORVEND_BOX_QUESTION) return answer == IDYES ? 1 : 0;
  return 1;
}

const OrvendUi& DefaultUi() {
  static const OrvendUi ui = {nullptr, DefaultMessageBox, DefaultSetupDialog};
  return ui;
}

}  // namespace orven::driver::win32
