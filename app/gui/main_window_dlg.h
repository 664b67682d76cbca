// CORVENXFlashDlg: TORMIK's programming window. It paints MainWindowLogic's controls, forwards every press to
// it, and carries the worker's notifications over to the window's thread with a blocking call, so the worker
// waits while the log grows or the progress bar moves.
#pragma once

#include <QDialog>
#include <array>
#include <memory>
#include <string>

#include "app/gui/main_window_logic.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabBar;

namespace orven::hexview {
class CHexEditWidget;
}

namespace orven::app {

class CORVENXFlashDlg : public QDialog, public MainWindowView, private programmer::NotificationSink {
  Q_OBJECT

 public:
  // backend and clock are borrowed and outlive the window. settingsPath is the settings file to use.
  CORVENXFlashDlg(link::HidBackend& backend, Clock& clock, std::string settingsPath, QWidget* parent = nullptr);
  // Lets a running operation finish (its notifications still need this window), then closes the link.
  ~CORVENXFlashDlg() override;

  // Where the configuration button's editor is plugged in.
  void SetConfigEditor(ConfigEditorFn editor) { logic_->SetConfigEditor(std::move(editor)); }

  MainWindowLogic& Logic() { return *logic_; }
  hexview::CHexEditWidget* HexView() const { return hexView_; }
  QPlainTextEdit* LogView() const { return log_; }
  QPushButton* OperationButton(OpButton button) const { return opButtons_[static_cast<size_t>(button)]; }
  QPushButton* ConnectButton() const { return connect_; }
  QPushButton* ChipSelectButton() const { return chipSelect_; }
  QPushButton* DataFileButton() const { return dataFile_; }
  QPushButton* ConfigButton() const { return config_; }
  QComboBox* ModelChoice() const { return modelChoice_; }
  QTabBar* Tabs() const { return tabs_; }
  QProgressBar* Progress() const { return progress_; }

  // While an operation runs the window stays open: the worker owns the link and the buffers.
  void reject() override;

 protected:
  // MainWindowView
  void ControlsChanged() override;
  void AppendLog(const std::string& text) override;
  void ImageChanged() override;
  void ShowMessage(MessageIcon icon, const std::string& text) override;
  bool AskYesNo(const std::string& text) override;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Notify(const programmer::Notification& notification) override;
  void BuildControls();
  QWidget* BuildTabArea();
  void OnChipSelect();
  void OnDataFile();
  void ShowAbout();

  std::unique_ptr<MainWindowLogic> logic_;
  QComboBox* modelChoice_ = nullptr;
  QLabel* modelLabel_ = nullptr;
  QLineEdit* firmware_ = nullptr;
  QLineEdit* serial_ = nullptr;
  QPushButton* connect_ = nullptr;
  QLineEdit* chipName_ = nullptr;
  QPushButton* config_ = nullptr;
  QPushButton* chipSelect_ = nullptr;
  QLineEdit* dataFilePath_ = nullptr;
  QPushButton* dataFile_ = nullptr;
  std::array<QPushButton*, kOpButtonCount> opButtons_{};
  QProgressBar* progress_ = nullptr;
  QTabBar* tabs_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  hexview::CHexEditWidget* hexView_ = nullptr;
  bool hexRunning_ = false;
};

// The file dialog's filter for Qt from the "desc|pattern|…||" form.
QString QtFileFilter(const char* pairs);

}  // namespace orven::app
