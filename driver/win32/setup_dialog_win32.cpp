#include "driver/win32/setup_dialog_win32.h"

#include <windows.h>

#include <string>

#include "driver/win32/resource.h"

namespace orven::driver::win32 {
namespace {

std::wstring Wide(const char* utf8) {
  if (utf8 == nullptr) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// The view's own memory of what it last showed: the model list is refilled only when the model says it
// changed, so the user's scroll position in the list survives unrelated updates.
struct View {
  OrvendSetupDialog* dialog = nullptr;
  uint32_t modelListSerial = 0;
};

void FillList(HWND dlg, int id, const char* const* names, uint32_t count, int32_t selection) {
  HWND list = GetDlgItem(dlg, id);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (uint32_t i = 0; names != nullptr && i < count; ++i) {
    std::wstring name = Wide(names[i]);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);  // -1: no selection
}

// Brings the controls in line with the record after the model has changed it.
void Show(HWND dlg, View& view) {
  const OrvendSetupDialog& d = *view.dialog;
  CheckDlgButton(dlg, IDC_PAUSE_CHECK, d.pause_checked ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dlg, IDC_POD_CHECK, d.pod_checked ? BST_CHECKED : BST_UNCHECKED);
  if (d.model_list_serial != view.modelListSerial) {
    FillList(dlg, IDC_MODEL_LIST, d.model_names, d.model_count, d.model_selection);
    view.modelListSerial = d.model_list_serial;
  } else {
    SendDlgItemMessageW(dlg, IDC_MODEL_LIST, CB_SETCURSEL, static_cast<WPARAM>(d.model_selection), 0);
  }
  SendDlgItemMessageW(dlg, IDC_VENDOR_LIST, CB_SETCURSEL, static_cast<WPARAM>(d.vendor_selection), 0);
  BOOL enable = d.chip_lists_enabled ? TRUE : FALSE;
  for (int id : {IDC_VENDOR_LIST, IDC_MODEL_LIST, IDC_VENDOR_LABEL, IDC_MODEL_LABEL}) {
    EnableWindow(GetDlgItem(dlg, id), enable);
  }
}

void Initialise(HWND dlg, View& view) {
  const OrvendSetupDialog& d = *view.dialog;
  FillList(dlg, IDC_VENDOR_LIST, d.vendor_names, d.vendor_count, d.vendor_selection);
  FillList(dlg, IDC_MODEL_LIST, d.model_names, d.model_count, d.model_selection);
  view.modelListSerial = d.model_list_serial;
  // The note under the pause box is string 5017 of the DLL's table.
  wchar_t note[256];
  if (LoadStringW(ThisModule(), IDS_PAUSE_NOTE, note, 256) > 0) {
    SetDlgItemTextW(dlg, IDC_PAUSE_NOTE, note);
  } else {
    SetDlgItemTextW(dlg, IDC_PAUSE_NOTE, Wide(d.pause_note).c_str());
  }
  SetDlgItemTextW(dlg, IDC_PRODUCT_INFO, Wide(d.product_text).c_str());
  Show(dlg, view);
}

INT_PTR CALLBACK DialogProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dlg, DWLP_USER, lParam);
    Initialise(dlg, *reinterpret_cast<View*>(lParam));
    return TRUE;
  }
  auto* view = reinterpret_cast<View*>(GetWindowLongPtrW(dlg, DWLP_USER));
  if (view == nullptr || message != WM_COMMAND) return FALSE;
  OrvendSetupDialog& d = *view->dialog;
  int id = LOWORD(wParam);
  int notification = HIWORD(wParam);
  switch (id) {
    case IDC_PAUSE_CHECK:
      if (notification != BN_CLICKED) return FALSE;
      d.pause_box_clicked(d.context, IsDlgButtonChecked(dlg, IDC_PAUSE_CHECK) == BST_CHECKED);
      Show(dlg, *view);
      return TRUE;
    case IDC_POD_CHECK:
      if (notification != BN_CLICKED) return FALSE;
      d.pod_box_clicked(d.context, IsDlgButtonChecked(dlg, IDC_POD_CHECK) == BST_CHECKED);
      Show(dlg, *view);
      return TRUE;
    case IDC_VENDOR_LIST:
    case IDC_MODEL_LIST: {
      if (notification != CBN_SELCHANGE) return FALSE;
      auto index = static_cast<int32_t>(SendDlgItemMessageW(dlg, id, CB_GETCURSEL, 0, 0));
      if (id == IDC_VENDOR_LIST) {
        d.vendor_selected(d.context, index);
      } else {
        d.model_selected(d.context, index);
      }
      Show(dlg, *view);
      return TRUE;
    }
    case IDOK:
      d.ok(d.context);
      EndDialog(dlg, 1);
      return TRUE;
    case IDCANCEL:
      d.cancel(d.context);
      EndDialog(dlg, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int RunSetupDialogResource(void* owner, OrvendSetupDialog* dialog) {
  if (dialog == nullptr) return 0;
  View view;
  view.dialog = dialog;
  INT_PTR result = DialogBoxParamW(ThisModule(), MAKEINTRESOURCEW(IDD_SETUP), static_cast<HWND>(owner),
                                   DialogProc, reinterpret_cast<LPARAM>(&view));
  return result == 1 ? 1 : 0;
}

}  // namespace orven::driver::win32
