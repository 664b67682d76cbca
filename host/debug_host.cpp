#include "host/debug_host.h"

#include <algorithm>
#include <cstring>

#include "host/gbk_text.h"

namespace orven::host {

namespace {

// The host callback carries no context: the one host of the process.
DebugHost* g_host = nullptr;

constexpr size_t kBank = 0x10000;
constexpr size_t kPage = 0x100;

// A driver text as the user reads it: GBK made UTF-8.
std::string DriverText(const char* gbk) { return gbk != nullptr ? GbkToUtf8(gbk) : std::string(); }

// Box texts end with line breaks of their own; the user's view adds its own.
std::string DriverBoxText(const char* text) {
  std::string body = text != nullptr ? text : "";
  while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.pop_back();
  return body;
}

}  // namespace

DebugHost::DebugHost(const DriverEntryPoints& api, HostEvents& events)
    : api_(api),
      events_(events),
      codeImage_(kBank, 0xFF),
      xdataImage_(kBank, 0),
      sfrImage_(kPage, 0),
      iramImage_(kPage, 0),
      codeAttr_(kBank, 0),
      xdataAttr_(kBank, 0),
      sfrAttr_(kPage, 0),
      iramAttr_(kPage, 0) {
  g_host = this;
  window_.context = this;
  window_.send = &SendThunk;
  window_.post = &PostThunk;
  ui_.context = this;
  ui_.message_box = &MessageBoxThunk;
  ui_.setup_dialog = &SetupDialogThunk;
}

DebugHost::~DebugHost() {
  if (g_host == this) g_host = nullptr;
}

void DebugHost::Bind() {
  api_.SetUi(&ui_);
  api_.Init(ORVEND_INIT_MAIN_WINDOW, &window_);
  api_.Init(ORVEND_INIT_MESSAGE_ID, reinterpret_cast<void*>(static_cast<uintptr_t>(kMessageId)));
  api_.Init(ORVEND_INIT_CALLBACK, reinterpret_cast<void*>(&HostCallbackThunk));
  api_.Init(ORVEND_INIT_BREAKPOINT_LIST, &breakpointHead_);
  api_.Init(ORVEND_INIT_CURRENT_PC, &currentPc_);
  api_.Init(ORVEND_INIT_INSTANCE, this);
  api_.Init(ORVEND_INIT_DIALOG_SLOT, &dialogSlot_);
  api_.Init(ORVEND_INIT_EXTENSION_MENU, &extensionMenu_);
  api_.Init(ORVEND_INIT_UPDATE_DIALOGS, &updateDialogs_);
}

void DebugHost::UpdateDialogs() {
  if (updateDialogs_ != nullptr) updateDialogs_();
}

void DebugHost::SetSetupDialogRunner(SetupDialogRunner runner, void* context) {
  setupRunner_ = runner;
  setupContext_ = context;
}

// ----- channels from the driver

void* DebugHost::HostCallbackThunk(uint32_t code, void* argument) {
  return g_host != nullptr ? g_host->Callback(code, argument) : nullptr;
}

void* DebugHost::Callback(uint32_t code, void* argument) {
  switch (code) {
    case ORVEND_CALLBACK_PROGRESS:
      if (argument != nullptr) ShowProgress(*static_cast<const OrvendProgressBar*>(argument));
      return nullptr;
    case ORVEND_CALLBACK_REGISTER_VIEW:
      registerView_ = static_cast<OrvendRegisterView*>(argument);
      return nullptr;
    case ORVEND_CALLBACK_COMMAND:
      // The IDE would run the text in its command window. (The target is running when the driver hands it
      // over, so memory and register commands could not be served anyway.)
      if (argument != nullptr) events_.BreakpointCommand(DriverText(static_cast<char*>(argument)));
      return nullptr;
    case ORVEND_CALLBACK_REFRESH:
      return nullptr;  // the client reads registers and memory when it shows them
    case ORVEND_CALLBACK_MEMORY_TABLE:
      if (argument != nullptr) FillMemoryTable(static_cast<OrvendMemorySlot*>(argument));
      return nullptr;
    case ORVEND_CALLBACK_NEXT_SEGMENT:
      return NextSegment(static_cast<const OrvendFlashSegment*>(argument));
    default:
      return nullptr;
  }
}

void DebugHost::FillMemoryTable(OrvendMemorySlot* table) {
  table[0] = {codeImage_.data(), codeAttr_.data()};
  table[ORVEND_SLOT_XDATA_FIRST] = {xdataImage_.data(), xdataAttr_.data()};
  table[ORVEND_SLOT_SFR] = {sfrImage_.data(), sfrAttr_.data()};
  table[ORVEND_SLOT_IRAM] = {iramImage_.data(), iramAttr_.data()};
}

void DebugHost::ShowProgress(const OrvendProgressBar& bar) {
  if (bar.job == 1) {
    progressHigh_ = bar.high;
    events_.ProgressShown(DriverText(bar.label), bar.high);
  } else if (bar.job == 2) {
    events_.ProgressRemoved(bar.position, progressHigh_);
  } else if (bar.job == 3) {
    events_.ProgressMoved(bar.position, progressHigh_);
  }
}

intptr_t DebugHost::SendThunk(void* context, uint32_t message, uintptr_t kind, intptr_t argument) {
  auto* host = static_cast<DebugHost*>(context);
  if (host == nullptr || message != kMessageId) return 0;
  switch (kind) {
    case ORVEND_KIND_PROGRESS_TEXT:
    case ORVEND_KIND_OUTPUT_TEXT:
      if (argument != 0) host->events_.OutputText(DriverText(reinterpret_cast<const char*>(argument)));
      break;
    case ORVEND_KIND_SERIAL: {
      const auto* out = reinterpret_cast<const OrvendSerialOutput*>(argument);
      if (out != nullptr && out->data != nullptr) {
        host->events_.SerialOutput(out->channel, std::string(static_cast<const char*>(out->data), out->count));
      }
      break;
    }
    default:
      break;
  }
  return 0;
}

void DebugHost::PostThunk(void* context, uint32_t message, uintptr_t kind, intptr_t) {
  auto* host = static_cast<DebugHost*>(context);
  if (host == nullptr || message != kMessageId || kind != ORVEND_KIND_FATAL) return;
  host->fatalNotices_.fetch_add(1);
  if (!host->linkCloseExpected_) host->events_.LinkClosed();
}

int DebugHost::MessageBoxThunk(void* context, int kind, const char* caption, const char* text) {
  auto* host = static_cast<DebugHost*>(context);
  if (host == nullptr) return kind == ORVEND_BOX_QUESTION ? 0 : 1;
  const std::string body = DriverBoxText(text);
  const std::string cap = caption != nullptr ? caption : "";
  if (kind == ORVEND_BOX_QUESTION) return host->events_.Ask(cap, body) ? 1 : 0;
  host->events_.Notice(kind == ORVEND_BOX_ERROR, cap, body);
  return 1;
}

int DebugHost::SetupDialogThunk(void* context, OrvendSetupDialog* dialog) {
  auto* host = static_cast<DebugHost*>(context);
  if (host == nullptr || dialog == nullptr) return 0;
  if (host->setupRunner_ != nullptr) return host->setupRunner_(host->setupContext_, dialog);
  // The dialog's buttons are the driver's handlers: OK takes the dialog's choice, Cancel leaves the options.
  if (dialog->ok != nullptr && host->events_.ConfirmSetup(*dialog)) {
    dialog->ok(dialog->context);
    return 1;
  }
  if (dialog->cancel != nullptr) dialog->cancel(dialog->context);
  return 0;
}

// ----- register window

void DebugHost::RefreshRegisterWindow() {
  if (registerView_ == nullptr || registerView_->get == nullptr || registerView_->items == nullptr ||
      registerView_->item_count == 0) {
    return;
  }
  registerView_->get(&registerView_->items[0], ORVEND_REGVIEW_REFRESH);
}

OrvendRegisterItem* DebugHost::RegisterItem(uint16_t number) {
  if (registerView_ == nullptr || registerView_->items == nullptr) return nullptr;
  for (uint32_t i = 0; i < registerView_->item_count; ++i) {
    if (registerView_->items[i].item == number) return &registerView_->items[i];
  }
  return nullptr;
}

uint64_t DebugHost::RegisterValue(uint16_t number) {
  OrvendRegisterItem* item = RegisterItem(number);
  if (item == nullptr || registerView_->get == nullptr) return 0;
  registerView_->get(item, 0);
  return item->value;
}

bool DebugHost::SetRegister(uint16_t number, uint64_t value) {
  OrvendRegisterItem* item = RegisterItem(number);
  if (item == nullptr || registerView_->set == nullptr) return false;
  // The set function reads the value's bytes little-endian (byte 0, byte 1).
  uint8_t bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
  return registerView_->set(item, bytes) != 0;
}

// ----- breakpoints

OrvendBreakpoint* DebugHost::FindBreakpoint(uint32_t tagged) {
  for (OrvendBreakpoint* bp = breakpointHead_; bp != nullptr; bp = bp->next) {
    if (bp->address == tagged) return bp;
  }
  return nullptr;
}

OrvendBreakpoint* DebugHost::NewBreakpoint(uint32_t tagged, uint32_t kind, int32_t count,
                                           const std::string& command) {
  auto entry = std::make_unique<BreakpointEntry>();
  entry->command = Utf8ToGbk(command);  // the driver hands it back as it is, and the host reads GBK
  entry->record.flags = (kind & ORVEND_BP_KIND_MASK) | ORVEND_BP_ENABLED;
  entry->record.address = tagged;
  entry->record.remaining_count = count;
  entry->record.command = command.empty() ? nullptr : entry->command.data();
  breakpoints_.push_back(std::move(entry));
  return &breakpoints_.back()->record;
}

void DebugHost::LinkBreakpoint(OrvendBreakpoint* bp) {
  bp->next = nullptr;
  OrvendBreakpoint** link = &breakpointHead_;
  while (*link != nullptr) link = &(*link)->next;
  *link = bp;
}

void DebugHost::RemoveBreakpoint(OrvendBreakpoint* bp) {
  for (OrvendBreakpoint** link = &breakpointHead_; *link != nullptr; link = &(*link)->next) {
    if (*link == bp) {
      *link = bp->next;
      break;
    }
  }
  breakpoints_.remove_if([bp](const std::unique_ptr<BreakpointEntry>& e) { return &e->record == bp; });
}

// ----- flash download

void DebugHost::SetDownloadImage(const HexImage& image) {
  segmentData_.clear();
  segments_.clear();
  const uint32_t total = static_cast<uint32_t>(image.TotalBytes());
  for (const HexSegment& s : image.Segments()) segmentData_.push_back(s.bytes);
  for (size_t i = 0; i < segmentData_.size(); ++i) {
    segments_.push_back(OrvendFlashSegment{image.Segments()[i].start, static_cast<uint32_t>(segmentData_[i].size()),
                                           segmentData_[i].data(), total});
  }
  if (!segments_.empty()) segments_.push_back(OrvendFlashSegment{0, 0, nullptr, total});
}

OrvendFlashSegment* DebugHost::NextSegment(const OrvendFlashSegment* previous) {
  if (segments_.empty()) return nullptr;
  if (previous == nullptr) return &segments_[0];
  for (size_t i = 0; i + 1 < segments_.size(); ++i) {
    if (previous == &segments_[i]) return &segments_[i + 1];
  }
  return nullptr;  // the closing record, or a record that is not ours: the list has ended
}

// ----- options

std::string DebugHost::OptionText() const {
  const char* text = enumRecord_.option_text;
  return std::string(text, strnlen(text, sizeof enumRecord_.option_text));
}

void DebugHost::SetOptionText(const std::string& text) {
  std::memset(enumRecord_.option_text, 0, sizeof enumRecord_.option_text);
  std::memcpy(enumRecord_.option_text, text.data(), std::min(text.size(), sizeof enumRecord_.option_text - 1));
}

}  // namespace orven::host
