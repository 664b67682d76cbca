#include "driver-ui/setup_dialog_adapter.h"

#include <cstring>

#include "driver-ui/texts.h"

namespace orven::driverui {

SetupDialogRecord::SetupDialogRecord(CSetupDlg& model) : model_(model) {
  record_.context = this;
  record_.caption = texts::kCaption;
  record_.emulation_group = texts::kEmulationGroup;
  record_.pause_label = texts::kPauseBox;
  record_.download_group = texts::kDownloadGroup;
  record_.vendor_label = texts::kVendorLabel;
  record_.model_label = texts::kModelLabel;
  record_.pod_label = texts::kPodBox;
  record_.product_group = texts::kProductGroup;
  record_.ok_label = texts::kOkButton;
  record_.cancel_label = texts::kCancelButton;
  record_.pause_box_clicked = &SetupDialogRecord::OnPauseBox;
  record_.pod_box_clicked = &SetupDialogRecord::OnPodBox;
  record_.vendor_selected = &SetupDialogRecord::OnVendor;
  record_.model_selected = &SetupDialogRecord::OnModel;
  record_.ok = &SetupDialogRecord::OnOk;
  record_.cancel = &SetupDialogRecord::OnCancel;
  Refresh();
}

void SetupDialogRecord::Refresh() {
  record_.pause_note = model_.PauseNote().c_str();
  record_.product_text = model_.ProductText().c_str();
  vendorNames_.clear();
  for (const std::string& name : model_.VendorNames()) vendorNames_.push_back(name.c_str());
  modelNames_.clear();
  for (const std::string& name : model_.ModelNames()) modelNames_.push_back(name.c_str());
  record_.vendor_names = vendorNames_.data();
  record_.vendor_count = static_cast<uint32_t>(vendorNames_.size());
  record_.vendor_selection = model_.VendorSelection();
  record_.model_names = modelNames_.data();
  record_.model_count = static_cast<uint32_t>(modelNames_.size());
  record_.model_selection = model_.ModelSelection();
  record_.pause_checked = model_.PauseBox() ? 1 : 0;
  record_.pod_checked = model_.PodBox() ? 1 : 0;
  record_.chip_lists_enabled = model_.ChipListsEnabled() ? 1 : 0;
  record_.model_list_serial = model_.ModelListSerial();
}

void SetupDialogRecord::OnPauseBox(void* context, int32_t checked) {
  auto* self = static_cast<SetupDialogRecord*>(context);
  self->model_.SetPauseBox(checked != 0);
  self->Refresh();
}

void SetupDialogRecord::OnPodBox(void* context, int32_t checked) {
  auto* self = static_cast<SetupDialogRecord*>(context);
  self->model_.OnPodBoxClicked(checked != 0);
  self->Refresh();
}

void SetupDialogRecord::OnVendor(void* context, int32_t index) {
  auto* self = static_cast<SetupDialogRecord*>(context);
  self->model_.OnVendorChanged(index);
  self->Refresh();
}

void SetupDialogRecord::OnModel(void* context, int32_t index) {
  auto* self = static_cast<SetupDialogRecord*>(context);
  self->model_.SelectModel(index);
  self->Refresh();
}

void SetupDialogRecord::OnOk(void* context) {
  auto* self = static_cast<SetupDialogRecord*>(context);
  self->okPressed_ = true;
}

void SetupDialogRecord::OnCancel(void* context) {
  auto* self = static_cast<SetupDialogRecord*>(context);
  self->okPressed_ = false;
}

int RunSetupDialog(SetupOptions& options, const uint8_t* identification, SetupDialogView view, void* viewContext) {
  std::optional<IdentificationBlock> id;
  if (identification) {
    id.emplace();
    std::memcpy(id->bytes, identification, sizeof id->bytes);
  }
  // The dialog works on a copy so that nothing the view does reaches the options unless it ends with OK;
  // only the start's correction of the vendor stands either way.
  SetupOptions working = options;
  CSetupDlg model(working, id);
  model.OnInitDialog();
  options.v = working.v;

  SetupDialogRecord record(model);
  const int answer = view ? view(viewContext, record.Record()) : 0;
  if (answer != 1) {
    model.OnCancel();
    return 0;
  }
  model.OnOK();
  options = working;
  return 1;
}

}  // namespace orven::driverui
