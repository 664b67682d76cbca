// CConfigDlg: the modal editor of a chip's configuration (fuse) bytes. It lists the items of the chip's
// configuration file in a property list grouped by category; OK writes every item back into the caller's
// 32-byte configuration buffer, Cancel leaves the buffer as it was.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "chipcfg/config_file.h"

class QPushButton;

namespace orven::chipcfg {

class CListItem;
class CPropListCtrl;

class CConfigDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CConfigDlg(QWidget* parent = nullptr);
  ~CConfigDlg() override;

  // Stores path and runs the full file check (check value, magic, version, chip name). The dialog reads the
  // same file again when it first shows. False: the caller shows kConfigFileOpenFailed and does not open it.
  bool CheckConfigFile(const std::string& path);
  // The main window's 32-byte configuration buffer, borrowed. Read when the dialog starts, written on OK.
  void SetConfigBuffer(uint8_t* config) { config_ = config; }

  // Items read from the file and the row bound to each, in file order (valid once the dialog has started).
  int ItemCount() const { return static_cast<int>(items_.items.size()); }
  const ConfigItems& Items() const { return items_; }
  CListItem* ItemRow(int item) const { return rows_[static_cast<size_t>(item)]; }

  CPropListCtrl* PropList() const { return propList_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  // Starts the dialog (reads the items, sizes the window) before it first shows.
  void setVisible(bool visible) override;
  // OK: lets an open editor take over what was typed, writes every item into the buffer, closes.
  void accept() override;

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void OnInitDialog();
  void LoadConfigItems();
  void PlaceByAnchors();

  uint8_t* config_ = nullptr;
  std::string path_;
  ConfigItems items_;
  std::vector<CListItem*> rows_;  // owned by the list body
  CPropListCtrl* propList_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool started_ = false;
  bool anchored_ = false;
  // Distances kept while the dialog is resized: the list's right and bottom margins, the buttons' offsets
  // from the bottom-right corner.
  QSize listMargin_;
  QPoint okFromCorner_;
  QPoint cancelFromCorner_;
};

// The main window's entry: checks the file at path and, if it passes, runs the editor modally over config
// (32 bytes). False when the check fails (the caller then shows kConfigFileOpenFailed); true once the dialog
// has closed, whichever button closed it.
bool OpenConfigEditor(QWidget* parent, const std::string& path, uint8_t* config);

}  // namespace orven::chipcfg
