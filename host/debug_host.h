// The host side of the driver binding, as a debugger IDE holds it: the host window record, the callback, the
// memory image with its attribute arrays, the breakpoint list, the current-PC variable, the register window
// the driver registers, the option records, and the user-interface hook. What the driver says to the user
// goes to the client's HostEvents.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "orvend/orvend.h"
#include "host/driver_library.h"
#include "host/hex_image.h"
#include "host/host_events.h"

namespace orven::host {

class DebugHost {
 public:
  // The window message identifier the host binds (the IDE's is a registered window message).
  static constexpr uint32_t kMessageId = 0x0464;

  // events receives what the driver tells the user; it must outlive the host.
  DebugHost(const DriverEntryPoints& api, HostEvents& events);
  ~DebugHost();
  DebugHost(const DebugHost&) = delete;
  DebugHost& operator=(const DebugHost&) = delete;

  // Installs the UI hook and binds window, message id, callback, breakpoint list, current-PC variable, and
  // asks for the extension menu and the dialog update function, as the IDE does right after loading the
  // driver. One DebugHost per process (the callback has no context).
  void Bind();
  // What the IDE calls when its views change (after a stop): the driver's dialog update function.
  void UpdateDialogs();
  // The driver's extension menu (entries up to the one with delimiter -1), or null before Bind.
  const OrvendExtensionMenu* ExtensionMenu() const { return extensionMenu_; }
  // Installs a setup-dialog runner that shows the dialog itself (a Qt window); null hands the dialog to
  // HostEvents::ConfirmSetup.
  using SetupDialogRunner = int (*)(void* context, OrvendSetupDialog* dialog);
  void SetSetupDialogRunner(SetupDialogRunner runner, void* context);

  const DriverEntryPoints& Api() const { return api_; }

  // Fatal notices (host window kind 5) received so far.
  uint32_t FatalNotices() const { return fatalNotices_.load(); }
  // While set, a fatal notice is counted but not reported to the client: shutdown always ends with one.
  void ExpectLinkClosed(bool expected) { linkCloseExpected_ = expected; }

  // --- register window (null until a successful initialisation registered it)
  bool HasRegisterView() const { return registerView_ != nullptr; }
  // After shutdown the window the driver registered is gone until the next initialisation.
  void ForgetRegisterView() { registerView_ = nullptr; }
  // The refresh request the IDE sends when it (re)shows the window: registers read, current PC published.
  void RefreshRegisterWindow();
  // The item of an item number, or null.
  OrvendRegisterItem* RegisterItem(uint16_t number);
  // Reads one item's value through the get function.
  uint64_t RegisterValue(uint16_t number);
  // Sets an item through the set function; false if refused or unknown.
  bool SetRegister(uint16_t number, uint64_t value);

  uint32_t CurrentPc() const { return currentPc_; }

  // --- breakpoints: the host's list, in the order added
  OrvendBreakpoint* FindBreakpoint(uint32_t tagged);
  // Adds a record (not yet linked); the caller links it after the driver accepted it. command is UTF-8; the
  // record carries it as GBK.
  OrvendBreakpoint* NewBreakpoint(uint32_t tagged, uint32_t kind, int32_t count, const std::string& command);
  void LinkBreakpoint(OrvendBreakpoint* bp);
  // Unlinks and frees a record (linked or not).
  void RemoveBreakpoint(OrvendBreakpoint* bp);

  // --- program image for a flash download (callback 15)
  void SetDownloadImage(const HexImage& image);
  bool HasDownloadImage() const { return !segments_.empty(); }

  // --- option text as the project stores it
  // The enumeration record the driver keeps until shutdown; its text is the project's option text.
  OrvendEnumRecord& EnumRecord() { return enumRecord_; }
  std::string OptionText() const;
  void SetOptionText(const std::string& text);

 private:
  static void* HostCallbackThunk(uint32_t code, void* argument);
  static intptr_t SendThunk(void* context, uint32_t message, uintptr_t kind, intptr_t argument);
  static void PostThunk(void* context, uint32_t message, uintptr_t kind, intptr_t argument);
  static int MessageBoxThunk(void* context, int kind, const char* caption, const char* text);
  static int SetupDialogThunk(void* context, OrvendSetupDialog* dialog);

  void* Callback(uint32_t code, void* argument);
  void FillMemoryTable(OrvendMemorySlot* table);
  void ShowProgress(const OrvendProgressBar& bar);
  OrvendFlashSegment* NextSegment(const OrvendFlashSegment* previous);

  DriverEntryPoints api_;
  HostEvents& events_;
  SetupDialogRunner setupRunner_ = nullptr;
  void* setupContext_ = nullptr;

  OrvendHostWindow window_{};
  OrvendUi ui_{};
  std::atomic<uint32_t> fatalNotices_{0};
  std::atomic<bool> linkCloseExpected_{false};

  // Memory the host keeps for the target: code bank 0, xdata segment 0, the SFRs and internal RAM.
  std::vector<uint8_t> codeImage_, xdataImage_, sfrImage_, iramImage_;
  std::vector<uint16_t> codeAttr_, xdataAttr_, sfrAttr_, iramAttr_;

  struct BreakpointEntry {
    OrvendBreakpoint record{};
    std::string command;  // storage of record.command (GBK)
  };
  std::list<std::unique_ptr<BreakpointEntry>> breakpoints_;
  OrvendBreakpoint* breakpointHead_ = nullptr;
  uint32_t currentPc_ = 0;
  OrvendRegisterView* registerView_ = nullptr;
  OrvendExtensionMenu* extensionMenu_ = nullptr;
  OrvendUpdateDialogs updateDialogs_ = nullptr;
  void* dialogSlot_ = nullptr;  // the IDE's open-dialog handle; the driver only keeps where it is

  std::vector<std::vector<uint8_t>> segmentData_;
  std::vector<OrvendFlashSegment> segments_;  // the file's segments, then the closing record of length 0

  OrvendEnumRecord enumRecord_{};
  int32_t progressHigh_ = 0;
};

}  // namespace orven::host
