// The Qt view of the driver's setup dialog. It shows an OrvendSetupDialog record and forwards the user's
// clicks and selections to the record's handlers; the rules live with the driver. A Qt host installs
// OrvendQtSetupDialog as OrvendUi.setup_dialog.
#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>

#include "orvend/orvend.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace orven::driverui {

// Dialog units of a font, computed as Windows does: the horizontal base is the average width of the 52
// Latin letters (rounded), the vertical base is the font's line height. One base is 4 units across and
// 8 units down.
struct DialogUnits {
  int baseX = 6;
  int baseY = 13;

  static DialogUnits ForFont(const QFont& font);
  int X(int units) const { return (units * baseX + 2) / 4; }
  int Y(int units) const { return (units * baseY + 4) / 8; }
  QRect Rect(int x, int y, int width, int height) const { return {X(x), Y(y), X(width), Y(height)}; }
};

// The font the dialog lays itself out in.
QFont SetupDialogFont();

class CSetupDlgView : public QDialog {
  Q_OBJECT

 public:
  // dialog: borrowed; must outlive the view.
  explicit CSetupDlgView(OrvendSetupDialog* dialog, QWidget* parent = nullptr);

  QCheckBox* PauseBox() const { return pauseBox_; }
  QCheckBox* PodBox() const { return podBox_; }
  QComboBox* VendorList() const { return vendorList_; }
  QComboBox* ModelList() const { return modelList_; }
  QLabel* VendorLabel() const { return vendorLabel_; }
  QLabel* ModelLabel() const { return modelLabel_; }
  QLabel* PauseNote() const { return pauseNote_; }
  QPlainTextEdit* ProductInfo() const { return productInfo_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }
  const DialogUnits& Units() const { return units_; }

  // OK: the driver takes the controls, then the dialog closes with Accepted.
  void accept() override;
  // Cancel, Escape or the window's close button: the driver is told, the dialog closes with Rejected.
  void reject() override;

 private:
  void BuildControls();
  // Shows the record as it stands (after the start and after every handler).
  void ShowRecord();

  OrvendSetupDialog* dialog_;
  DialogUnits units_;
  uint32_t shownModelSerial_ = 0;
  bool modelsShown_ = false;

  QCheckBox* pauseBox_ = nullptr;
  QCheckBox* podBox_ = nullptr;
  QComboBox* vendorList_ = nullptr;
  QComboBox* modelList_ = nullptr;
  QLabel* vendorLabel_ = nullptr;
  QLabel* modelLabel_ = nullptr;
  QLabel* pauseNote_ = nullptr;
  QPlainTextEdit* productInfo_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

// OrvendUi.setup_dialog for a Qt host: runs the view modally; context is the parent QWidget or null. Needs a
// QApplication and the GUI thread. 1 after OK, 0 otherwise.
int OrvendQtSetupDialog(void* context, OrvendSetupDialog* dialog);

}  // namespace orven::driverui
