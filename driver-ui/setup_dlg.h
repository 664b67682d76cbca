// CSetupDlg: the driver's setup dialog as a plain model, without a toolkit. It holds what the dialog's
// controls show (two check boxes, the vendor and model lists, the product information) and carries out the
// dialog's rules: initialisation from the driver options and the emulator's identification, the click on the
// pod box, a vendor change, OK and Cancel. A view (Qt, a Win32 dialog resource, a printing host) shows the
// state and forwards the user's actions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/identification_block.h"

namespace orven::driverui {

// The four driver options the dialog edits (E, F, V, C).
struct SetupOptions {
  int32_t e = 0;  // bit 0: the stop-while-running feature
  int32_t f = 0;  // bit 4 (0x10): download to the VELM5 pod instead of programming the chosen chip
  int32_t v = 0;  // chip vendor index
  int32_t c = 0;  // chip position among the vendor's chips
  bool operator==(const SetupOptions&) const = default;
};

// Dialog end codes.
inline constexpr int kEndOk = 1;
inline constexpr int kEndCancel = 2;

class CSetupDlg {
 public:
  // options: borrowed for the dialog's life; changed by OnInitDialog (a vendor out of range becomes 0) and by
  // OnOK. identification: the emulator's 40-byte block, or nullopt when no emulator answered.
  CSetupDlg(SetupOptions& options, std::optional<IdentificationBlock> identification);

  // Fills the controls from the options and the identification. Call once, before the view shows.
  void OnInitDialog();

  // The user set the pause box (an automatic check box: no rule runs).
  void SetPauseBox(bool checked) { pauseBox_ = checked; }
  // The user clicked the pod box, which now shows `checked`: the chip lists follow it at once.
  void OnPodBoxClicked(bool checked);
  // The vendor list's selection changed to `index` (an out-of-range index clears the selection).
  void OnVendorChanged(int32_t index);
  // The model list's selection changed to `index` (an out-of-range index clears the selection).
  void SelectModel(int32_t index);

  // OK: writes E, F, V and C from the controls and ends with kEndOk.
  int OnOK();
  // Cancel: ends with kEndCancel; the options stay as they are.
  int OnCancel();

  // What the controls show.
  bool PauseBox() const { return pauseBox_; }
  bool PodBox() const { return podBox_; }
  // Lists 5015 and 5000 and their labels: enabled only while downloads program a chip.
  bool ChipListsEnabled() const { return chipListsEnabled_; }
  const std::vector<std::string>& VendorNames() const { return vendorNames_; }
  int32_t VendorSelection() const { return vendorSelection_; }  // -1: none
  const std::vector<std::string>& ModelNames() const { return modelNames_; }
  int32_t ModelSelection() const { return modelSelection_; }  // -1: none
  // Counts the refills of the model list, so a view knows when to rebuild it.
  uint32_t ModelListSerial() const { return modelListSerial_; }
  const std::string& PauseNote() const { return pauseNote_; }
  const std::string& ProductText() const { return productText_; }
  // 0 while the dialog runs, then kEndOk or kEndCancel.
  int EndCode() const { return endCode_; }

 private:
  void FillModels(int32_t vendor);
  void UpdateChipControls();

  SetupOptions& options_;
  std::optional<IdentificationBlock> identification_;

  // The dialog's own flags, moved to and from the check boxes at the points the dialog's rules name.
  bool podFlag_ = false;
  bool pauseFlag_ = false;

  bool pauseBox_ = false;
  bool podBox_ = false;
  bool chipListsEnabled_ = true;
  std::vector<std::string> vendorNames_;
  int32_t vendorSelection_ = -1;
  std::vector<std::string> modelNames_;
  int32_t modelSelection_ = -1;
  uint32_t modelListSerial_ = 0;
  std::string pauseNote_;
  std::string productText_;
  int endCode_ = 0;
};

// The product information the dialog shows for an identification block (nullopt: no emulator).
std::string ProductInformation(const std::optional<IdentificationBlock>& identification);

}  // namespace orven::driverui
