#include "tools/orvhost/debug_host.h"

#include <algorithm>
#include <cstring>

#include "tools/orvhost/gbk_text.h"
#include "tools/orvhost/texts.h"

namespace orven::orvhost {

namespace {

// The host callback carries no context: the one host of the process.
DebugHost* g_host = nullptr;

constexpr size_t kBank = 0x10000;
constexpr size_t kPage = 0x100;

// A driver text as the user reads it: GBK made UTF-8.
std::string DriverText(const char* gbk) { return gbk != nullptr ? GbkToUtf8(gbk) : std::string(); }

std::string WithoutTrailingNewlines(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

DebugHost::DebugHost(const DriverEntryPoints& api, Console& console, bool answerYes)
    : api_(api),
      console_(console),
      answerYes_(answerYes),
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
      // The IDE would run the text in its command window; orvhost shows it. (The target is running when
      // the driver hands it over, so memory and register commands could not be served anyway.)
      if (argument != nullptr) console_.Printf(texts::kBreakpointCommand, DriverText(static_cast<char*>(argument)).c_str());
      return nullptr;
    case ORVEND_CALLBACK_REFRESH:
      return nullptr;  // orvhost shows its views on demand (regs, dump)
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
  // One line when the bar appears and one when it goes: the steps in between would flood a terminal.
  if (bar.job == 1) {
    progressHigh_ = bar.high;
    console_.Printf(texts::kProgressShown, DriverText(bar.label).c_str(), bar.high);
  } else if (bar.job == 2) {
    console_.Printf(texts::kProgressRemoved, bar.position, progressHigh_);
  }
}

intptr_t DebugHost::SendThunk(void* context, uint32_t message, uintptr_t kind, intptr_t argument) {
  auto* host = static_cast<DebugHost*>(context);
  if (host == nullptr || message != kMessageId) return 0;
  switch (kind) {
    case ORVEND_KIND_PROGRESS_TEXT:
    case ORVEND_KIND_OUTPUT_TEXT:
      if (argument != 0) host->console_.Raw(DriverText(reinterpret_cast<const char*>(argument)));
      break;
    case ORVEND_KIND_SERIAL: {
      const auto* out = reinterpret_cast<const OrvendSerialOutput*>(argument);
      if (out != nullptr && out->data != nullptr) {
        host->console_.Printf(texts::kSerialOutput, out->channel,
                              std::string(static_cast<const char*>(out->data), out->count).c_str());
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
  if (!host->linkCloseExpected_) host->console_.Print(texts::kFatalNotice);
}

int DebugHost::MessageBoxThunk(void* context, int kind, const char* caption, const char* text) {
  auto* host = static_cast<DebugHost*>(context);
  const std::string body = WithoutTrailingNewlines(text != nullptr ? text : "");
  const char* cap = caption != nullptr ? caption : "";
  if (kind == ORVEND_BOX_QUESTION) {
    const bool yes = host != nullptr && host->answerYes_;
    if (host != nullptr) host->console_.Printf(texts::kQuestionBox, cap, body.c_str(), yes ? "Yes" : "No");
    return yes ? 1 : 0;
  }
  if (host != nullptr) {
    host->console_.Printf(kind == ORVEND_BOX_ERROR ? texts::kErrorBox : texts::kWarningBox, cap, body.c_str());
  }
  return 1;
}

int DebugHost::SetupDialogThunk(void* context, OrvendSetupDialog* dialog) {
  auto* host = static_cast<DebugHost*>(context);
  if (host == nullptr) return 0;
  if (host->setupRunner_ != nullptr) return host->setupRunner_(host->setupContext_, dialog);
  return PrintingSetupDialog(host, dialog);
}

int DebugHost::PrintingSetupDialog(void* context, OrvendSetupDialog* dialog) {
  auto* host = static_cast<DebugHost*>(context);
  const bool ok = host->answerYes_ && dialog != nullptr && dialog->ok != nullptr;
  if (dialog != nullptr) host->console_.Print(DescribeSetupDialog(*dialog));
  host->console_.Printf(texts::kSetupDialog, ok ? "OK" : "Cancel");
  if (dialog == nullptr) return 0;
  if (ok) {
    dialog->ok(dialog->context);
    return 1;
  }
  if (dialog->cancel != nullptr) dialog->cancel(dialog->context);
  return 0;
}

std::string DescribeSetupDialog(const OrvendSetupDialog& d) {
  const auto text = [](const char* t) { return std::string(t != nullptr ? t : ""); };
  const auto pick = [](const char* const* names, uint32_t count, int32_t selection) {
    if (names == nullptr || selection < 0 || static_cast<uint32_t>(selection) >= count) return std::string("-");
    return std::string(names[selection] != nullptr ? names[selection] : "");
  };
  const auto oneLine = [](std::string t) {
    std::string out;
    for (char c : t) {
      if (c == '\r') continue;
      out += c == '\n' ? std::string(" / ") : std::string(1, c);
    }
    while (out.size() >= 3 && out.compare(out.size() - 3, 3, " / ") == 0) out.resize(out.size() - 3);
    while (out.rfind(" / ", 0) == 0) out.erase(0, 3);
    return out;
  };
  std::string out = "[setup dialog] " + text(d.caption) + "\n";
  out += "  [" + std::string(d.pause_checked ? "x" : " ") + "] " + text(d.pause_label) + "\n";
  out += "  [" + std::string(d.pod_checked ? "x" : " ") + "] " + text(d.pod_label) + "\n";
  const std::string state = d.chip_lists_enabled ? "" : " (disabled)";
  out += "  " + text(d.vendor_label) + ": " + pick(d.vendor_names, d.vendor_count, d.vendor_selection) + state + "\n";
  out += "  " + text(d.model_label) + ": " + pick(d.model_names, d.model_count, d.model_selection) + state + "\n";
  out += "  " + text(d.product_group) + ": " + oneLine(text(d.product_text)) + "\n";
  return out;
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

}  // namespace orven::orvhost
