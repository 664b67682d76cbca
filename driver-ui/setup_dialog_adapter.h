// The bridge between the setup dialog's model and a host's view: an OrvendSetupDialog record that shows the
// model and forwards the view's handler calls to it, and the run of the whole dialog through the host's
// setup_dialog hook (the driver's capability codes 1 and 110 use it).
#pragma once

#include <cstdint>
#include <vector>

#include "orvend/orvend.h"
#include "driver-ui/setup_dlg.h"

namespace orven::driverui {

// The host's view: runs the dialog modally over the record; 1 after OK, 0 after Cancel.
using SetupDialogView = int (*)(void* context, OrvendSetupDialog* dialog);

class SetupDialogRecord {
 public:
  // model: borrowed, already initialised. The record points into this object and the model.
  explicit SetupDialogRecord(CSetupDlg& model);
  SetupDialogRecord(const SetupDialogRecord&) = delete;
  SetupDialogRecord& operator=(const SetupDialogRecord&) = delete;

  OrvendSetupDialog* Record() { return &record_; }
  // Copies the model's state into the record (the handlers do this themselves).
  void Refresh();
  // True once the view has called `ok`.
  bool OkPressed() const { return okPressed_; }

 private:
  static void OnPauseBox(void* context, int32_t checked);
  static void OnPodBox(void* context, int32_t checked);
  static void OnVendor(void* context, int32_t index);
  static void OnModel(void* context, int32_t index);
  static void OnOk(void* context);
  static void OnCancel(void* context);

  CSetupDlg& model_;
  OrvendSetupDialog record_{};
  std::vector<const char*> vendorNames_;
  std::vector<const char*> modelNames_;
  bool okPressed_ = false;
};

// Runs the setup dialog over the driver options through a host's view. identification: the emulator's
// 40 bytes, or null when no emulator answered. Returns 1 after OK (the options then hold the dialog's
// choice), 0 after Cancel or without a view (the options keep their values, except a vendor out of range,
// which the dialog's start has already set to 0). A view that answers 1 without having called `ok` counts
// as OK with the controls as they stand; a view that called `ok` and then answers 0 changes nothing.
int RunSetupDialog(SetupOptions& options, const uint8_t* identification, SetupDialogView view, void* viewContext);

}  // namespace orven::driverui
