#include "driver-ui/setup_dlg.h"

#include <cstdio>

#include "driver-ui/texts.h"
#include "emulator/target_chip_table.h"

namespace orven::driverui {

namespace em = orven::emulator;

CSetupDlg::CSetupDlg(SetupOptions& options, std::optional<IdentificationBlock> identification)
    : options_(options), identification_(identification) {}

void CSetupDlg::OnInitDialog() {
  // The check boxes start from the flags, both still false.
  pauseBox_ = pauseFlag_;
  podBox_ = podFlag_;

  podFlag_ = (options_.f & 0x10) != 0;
  pauseFlag_ = (options_.e & 1) != 0;

  vendorNames_.clear();
  for (size_t i = 0; i < em::kChipVendorCount; ++i) vendorNames_.emplace_back(em::ChipVendorNames[i]);
  // A vendor the list does not have falls back to the first one, and the driver keeps that choice.
  if (options_.v < 0 || options_.v >= static_cast<int32_t>(vendorNames_.size())) options_.v = 0;
  vendorSelection_ = options_.v;

  FillModels(options_.v);
  // A position the vendor does not have leaves the model list without a selection.
  modelSelection_ = options_.c >= 0 && options_.c < static_cast<int32_t>(modelNames_.size()) ? options_.c : -1;

  chipListsEnabled_ = !podFlag_;
  pauseNote_ = texts::kPauseNote;
  productText_ = ProductInformation(identification_);

  pauseBox_ = pauseFlag_;
  podBox_ = podFlag_;
}

void CSetupDlg::OnPodBoxClicked(bool checked) {
  podBox_ = checked;
  pauseFlag_ = pauseBox_;
  podFlag_ = podBox_;
  UpdateChipControls();
}

void CSetupDlg::OnVendorChanged(int32_t index) {
  vendorSelection_ = index >= 0 && index < static_cast<int32_t>(vendorNames_.size()) ? index : -1;
  FillModels(vendorSelection_);
  modelSelection_ = modelNames_.empty() ? -1 : 0;
}

void CSetupDlg::SelectModel(int32_t index) {
  modelSelection_ = index >= 0 && index < static_cast<int32_t>(modelNames_.size()) ? index : -1;
}

int CSetupDlg::OnOK() {
  pauseFlag_ = pauseBox_;
  podFlag_ = podBox_;
  // Only bit 0 of E and bit 4 of F mean anything; the other bits of what came in are not kept.
  options_.e = pauseFlag_ ? 1 : 0;
  options_.f = podFlag_ ? 16 : 0;
  options_.c = modelSelection_;
  options_.v = vendorSelection_;
  endCode_ = kEndOk;
  return endCode_;
}

int CSetupDlg::OnCancel() {
  endCode_ = kEndCancel;
  return endCode_;
}

void CSetupDlg::FillModels(int32_t vendor) {
  modelNames_.clear();
  for (int32_t index : em::VendorChips(vendor)) {
    modelNames_.emplace_back(em::TargetChipTable[static_cast<size_t>(index)].Name());
  }
  modelSelection_ = -1;
  ++modelListSerial_;
}

void CSetupDlg::UpdateChipControls() { chipListsEnabled_ = !podFlag_; }

std::string ProductInformation(const std::optional<IdentificationBlock>& identification) {
  if (!identification) return texts::kNotConnected;
  const IdentificationBlock& id = *identification;
  if (id.Build() == 0) return texts::kFirmwareInvalid;
  char text[160];
  const uint8_t* product = id.Serial();
  // The build prints as the signed 32-bit value the emulator stores.
  std::snprintf(text, sizeof text, texts::kProductInfoFormat, id.Major(), id.Minor(),
                static_cast<int>(static_cast<int32_t>(id.Build())), product[0], product[1], product[2], product[3]);
  return text;
}

}  // namespace orven::driverui
