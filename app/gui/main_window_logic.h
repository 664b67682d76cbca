// The programming window without widgets: what each control shows, which buttons a chip gets, what a press
// does, how the worker's notifications change the window, when the settings file is written. The Qt dialog
// paints Controls() and forwards the user's actions; tests drive this class directly.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "tormik/chip_catalogue.h"
#include "tormik/chip_selection.h"
#include "tormik/image_buffer.h"
#include "tormik/ini.h"
#include "link/clock.h"
#include "link/hid_backend.h"
#include "programmer/ice_api.h"
#include "programmer/notification.h"

namespace orven::app {

// The eight operation buttons, in the order of the window's operation group.
enum class OpButton { kAuto, kErase, kBlankCheck, kWrite, kRead, kVerify, kReadConfig, kWriteConfig };
inline constexpr int kOpButtonCount = 8;

struct OpButtonInfo {
  const char* caption;
  uint32_t mask;  // operation mask handed to StartOperation
};
const OpButtonInfo& OpButtonOf(OpButton button);

enum class WindowTab { kLog = 0, kDataBuffer = 1 };
enum class MessageIcon { kExclamation, kError };

// Everything the window shows, as the view should paint it.
struct WindowControls {
  int modelIndex = 0;  // selection of the model choice: 0 QX410, 1 ORVENF
  bool modelChoiceVisible = true;
  std::string modelLabel;  // takes the model choice's place while connected
  bool modelLabelVisible = false;
  std::string firmwareVersion;
  std::string serialNumber;
  std::string connectCaption;
  std::string chipName;
  std::string dataFile;
  bool configButtonVisible = false;
  // The connect, chip selection, data file and configuration buttons: off while an operation runs.
  bool chipControlsEnabled = true;
  std::array<bool, kOpButtonCount> opVisible{};
  std::array<bool, kOpButtonCount> opEnabled{};
  bool progressVisible = false;
  uint32_t progressMax = 0;
  uint32_t progressValue = 0;
  WindowTab tab = WindowTab::kLog;
  bool operationRunning = false;  // the hex view is read-only on greyed areas
};

// What the logic needs from the window it drives. Called on the window's thread.
class MainWindowView {
 public:
  virtual ~MainWindowView() = default;
  // Controls() changed; repaint the controls from it.
  virtual void ControlsChanged() = 0;
  // Appends text ('\n' line breaks) at the end of the log and scrolls so that its last line shows.
  virtual void AppendLog(const std::string& text) = 0;
  // The image buffer was filled outside the hex view (a data file load); repaint the view.
  virtual void ImageChanged() = 0;
  // A message box with an OK button.
  virtual void ShowMessage(MessageIcon icon, const std::string& text) = 0;
  // A Yes/No message box with the exclamation icon; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
};

// Opens the chip configuration editor on the configuration file at path over the 32-byte configuration
// buffer, modally. False when the file could not be loaded (the window then shows the error box).
using ConfigEditorFn = std::function<bool(const std::string& path, uint8_t* config)>;

class MainWindowLogic : public programmer::NotificationSink {
 public:
  // backend, clock and view are borrowed and outlive the object. Nothing happens before Start().
  MainWindowLogic(link::HidBackend& backend, Clock& clock, std::string settingsPath, MainWindowView& view);
  // Waits for a running worker (its notifications must still be deliverable), then closes the link.
  ~MainWindowLogic() override;

  // Start-up: model and chip from the settings file, buffers to the programmer, chip refresh, log in front.
  void Start();

  // Where the worker's notifications go; by default straight to OnNotification on the worker's thread, which
  // suits callers that wait with Api().WaitIdle(). The Qt window passes a sink that hops to its own thread.
  void SetNotificationSink(programmer::NotificationSink* sink) { api_.SetWindow(sink); }
  void SetConfigEditor(ConfigEditorFn editor) { configEditor_ = std::move(editor); }
  // Path of a chip's configuration file from its catalogue name (default: chipcfg::ConfigFilePath).
  void SetConfigPathResolver(std::function<std::string(const std::string&)> resolver) {
    configPath_ = std::move(resolver);
  }

  const WindowControls& Controls() const { return controls_; }

  // --- the user's actions ---
  void SelectModel(int index);
  void PressConnect();
  // The chip selection dialog's state for the current model, with its remembered positions.
  ChipSelection MakeChipSelection() const;
  // The dialog returned OK.
  void ApplyChipSelection(const ChipSelection::Result& result);
  // The file dialog (or --load) gave path; it is shown and stored as a full path. A file that exists but
  // cannot be read shows the file-error box and leaves the buffer alone. True when the file loaded.
  bool LoadDataFile(const std::string& path);
  void PressOperation(OpButton button);
  void PressConfig();
  void SelectTab(WindowTab tab);

  // One worker notification, handled on the window's thread.
  void OnNotification(const programmer::Notification& notification);
  void Notify(const programmer::Notification& notification) override { OnNotification(notification); }

  // --- state ---
  bool Connected() const { return connected_; }
  const ModelCatalogue& Catalogue() const { return *catalogue_; }
  uint16_t ModelWord() const { return catalogue_->modelWord; }
  int ChipIndex() const { return chipIndex_; }
  const ChipEntry& Chip() const { return catalogue_->Chip(chipIndex_); }
  const std::string& Log() const { return log_; }
  ImageBuffer& Buffer() { return buffer_; }
  const CIni& Settings() const { return ini_; }
  programmer::CIceAPI& Api() { return api_; }

 private:
  // Chip refresh. A configuration file that does not load shows the error box, or, in the middle of a
  // connect, leaves its line in the log instead.
  void ChipRefresh(bool connecting = false);
  void LayoutButtons();
  void AppendLog(const std::string& text, bool bringToFront);
  void ShowIdentity();
  void Disconnect();
  void RunFirmwareCheck(uint16_t reportedModel);
  void SetOperationRunning(bool running);
  // A worker owns the link and the buffers: from "started" to "finished", and while the busy flag is set.
  bool Busy() const { return controls_.operationRunning || api_.IsBusy(); }
  std::string ConfigPathOf(const ChipEntry& chip) const;

  link::HidBackend& backend_;
  MainWindowView& view_;
  programmer::CIceAPI api_;
  ImageBuffer buffer_;
  CIni ini_;
  const ModelCatalogue* catalogue_;
  int chipIndex_ = 0;
  bool connected_ = false;
  WindowControls controls_;
  std::string log_;
  ConfigEditorFn configEditor_;
  std::function<std::string(const std::string&)> configPath_;
};

}  // namespace orven::app
