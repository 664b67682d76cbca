// AG_Init: the host's bindings, initialisation and connection, feature queries, program load and download
// notifications, shutdown and reset.
#include <cstring>

#include "driver/device.h"
#include "driver/entry.h"
#include "driver/host_link.h"
#include "driver/registers.h"
#include "driver/texts.h"
#ifdef _WIN32
#include "driver/win32/win32_host.h"
#endif

namespace orven::driver {
namespace {

OrvendExtensionMenu extensionMenu[1] = {{-1, nullptr, nullptr, 0, 0, nullptr}};

void ORVEND_CDECL UpdateDialogs() {
  for (const OrvendExtensionMenu* entry = extensionMenu; entry->delimiter != -1; ++entry) {
    if (entry->descriptor != nullptr && entry->descriptor->update != nullptr) entry->descriptor->update();
  }
}

void FatalCheck(DriverState& state) {
  if (state.fatal.load()) DeviceTarget().PostFatalNotice();
}

uint32_t InitialiseAndConnect(DriverState& state, HostLink& link) {
  state.featureWord.store((state.featureWord.load() & ~0x3Fu) | 0x40u);
  state.fatal.store(false);
  state.armed = false;
  state.memory.FillCodeBank0(0xFF);
  link.Callback(ORVEND_CALLBACK_MEMORY_TABLE, state.memory.Table());
  uint32_t result = 1;
  if (DeviceTarget().Connect()) {
    link.SendText(ORVEND_KIND_OUTPUT_TEXT, texts::kConnected);
    link.Callback(ORVEND_CALLBACK_REGISTER_VIEW, RegisterView());
    result = 0;
  }
  FatalCheck(state);
  return result;
}

void Shutdown(DriverState& state) {
  state.fatal.store(true);
  for (const OrvendExtensionMenu* entry = extensionMenu; entry->delimiter != -1; ++entry) {
    OrvendDialogDescriptor* d = entry->descriptor;
    if (d != nullptr && d->window != nullptr && d->close != nullptr) d->close(d);
  }
  Target& target = DeviceTarget();
  target.Disconnect();
  if (state.enumRecord != nullptr) {
    FormatOptionsInto(state.options, static_cast<char*>(state.enumRecord) + ORVEND_ENUM_OPTION_OFFSET);
  }
  // The host may free its arrays and records once the session is over; a later initialisation must not
  // write through them.
  state.memory.Forget();
  state.downloadPrepared = false;
  target.PostFatalNotice();
  state.host.window = nullptr;
  state.host.breakpoints = nullptr;
  state.host.currentPc = nullptr;
  state.enumRecord = nullptr;
}

void Reset(DriverState& state) {
  Target& target = DeviceTarget();
  target.ClearPodDeferred();
  if (state.fatal.load()) {
    target.PostFatalNotice();
    return;
  }
  if (state.host.window == nullptr) return;
  {
    // The target restarts at code address 0, and so does the next run.
    std::lock_guard lock(state.registerMutex);
    state.registers.pc = kTagCode;
    state.currentPc.store(kTagCode);
  }
  target.ForceStop();
  state.running.store(false);
  FatalCheck(state);
}

uint32_t PrepareDownload(DriverState& state) {
  state.downloadPrepared = false;
  Target& target = DeviceTarget();
  if (!target.PrepareDownload()) {
    state.fatal.store(true);
    target.PostFatalNotice();
    return 1;
  }
  state.downloadPrepared = true;
  FatalCheck(state);
  return 0;
}

uint32_t Download(DriverState& state, HostLink& link) {
  uint32_t result = 1;
  if (!state.downloadPrepared) {
    // Programming a chip that was never initialised and erased would leave it half written.
    link.PrintLine(texts::kDownloadNotPrepared);
  } else {
    state.downloadPrepared = false;
    result = DeviceTarget().DownloadImage() ? 0 : 1;
  }
  FatalCheck(state);
  return result;
}

template <typename T>
void StoreThrough(void* argument, T value) {
  if (argument != nullptr) std::memcpy(argument, &value, sizeof value);
}

}  // namespace

const OrvendExtensionMenu* ExtensionMenu() { return extensionMenu; }

uint32_t Init(uint16_t code, void* argument) {
  DriverState& state = State();
  HostLink& link = Link();
  HostBinding& host = state.host;
  uint32_t result = 0;
  switch (code) {
    case ORVEND_INIT_CONNECT:
      return InitialiseAndConnect(state, link);
    case ORVEND_INIT_EXTENSION_MENU:
      StoreThrough(argument, static_cast<const OrvendExtensionMenu*>(extensionMenu));
      break;
    case ORVEND_INIT_UPDATE_DIALOGS:
      StoreThrough(argument, static_cast<OrvendUpdateDialogs>(UpdateDialogs));
      break;
    case ORVEND_INIT_DIALOG_SLOT:
      host.dialogSlot = argument;
      break;
    case ORVEND_INIT_MAIN_WINDOW:
#ifdef _WIN32
      // The IDE passes its main window's handle: the messages go to that window, and it owns the boxes.
      host.window = argument == nullptr ? nullptr : win32::BindHostWindow(argument);
#else
      host.window = static_cast<const OrvendHostWindow*>(argument);
#endif
      break;
    case ORVEND_INIT_INSTANCE:
      host.instance = argument;
      break;
    case ORVEND_INIT_BREAKPOINT_LIST:
      host.breakpoints = static_cast<OrvendBreakpoint**>(argument);
      break;
    case ORVEND_INIT_CURRENT_PC:
      host.currentPc = static_cast<uint32_t*>(argument);
      break;
    case ORVEND_INIT_MESSAGE_ID:
      host.messageId = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(argument));
      break;
    case ORVEND_INIT_CALLBACK: {
      OrvendHostCallback callback = nullptr;
      static_assert(sizeof callback == sizeof argument);
      std::memcpy(&callback, &argument, sizeof callback);
      host.callback = callback;
      break;
    }
    case ORVEND_INIT_PREPARE_DOWNLOAD:
      return PrepareDownload(state);
    case ORVEND_INIT_DOWNLOAD:
      return Download(state, link);
    case ORVEND_INIT_LOAD_BEGIN:
      state.memory.FillCodeBank0(0xFF);
      break;
    case ORVEND_INIT_LOAD_END:
      state.memory.MarkCodeBank0Valid();
      DeviceTarget().SetQuietCodeRange();
      break;
    case ORVEND_INIT_SHUTDOWN:
      Shutdown(state);
      return 0;
    case ORVEND_INIT_RESET:
      Reset(state);
      return 0;
    default:
      if ((code & 0xFF00) == 0x0200) {
        uint32_t item = code & 0xFF;
        if (item >= 1 && item <= 7) result = (state.featureWord.load() >> (item - 1)) & 1;
      }
      break;
  }
  FatalCheck(state);
  return result;
}

}  // namespace orven::driver
