// CSelChipDlg: the chip selection dialog ("芯片选择"). It shows a ChipSelection and forwards the user's picks to
// it; the selection decides what OK returns.
#pragma once

#include <QDialog>
#include <optional>

#include "tormik/chip_selection.h"

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;

namespace orven::app {

class CSelChipDlg : public QDialog {
  Q_OBJECT

 public:
  // selection is borrowed for the dialog's life and holds the vendor list, catalogue and saved positions.
  CSelChipDlg(ChipSelection& selection, QWidget* parent = nullptr);

  // The outputs after the dialog closed with OK; empty otherwise.
  const std::optional<ChipSelection::Result>& Result() const { return result_; }

 public slots:
  // OK: closes only when a chip is selected.
  void accept() override;

 private:
  void OnVendorChanged(int position);
  void OnChipSelectionChanged();
  void OnDoubleClicked(QListWidgetItem* item);
  void FillChips();

  ChipSelection& selection_;
  QComboBox* vendors_ = nullptr;
  QListWidget* chips_ = nullptr;
  std::optional<ChipSelection::Result> result_;
};

}  // namespace orven::app
