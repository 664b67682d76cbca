#include "driver/host_link.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "driver/texts.h"
#include "link/text_codec.h"
#ifdef _WIN32
#include "driver/win32/win32_host.h"
#endif

namespace orven::driver {

namespace {

// The host's text buffer holds 2,047 bytes and the NUL. GBK is one byte below 0x80 and two from a lead byte
// 0x81-0xFE: a cut never leaves half a character at the end.
size_t GbkCut(const std::string& gbk, size_t limit) {
  size_t at = 0;
  while (at < gbk.size()) {
    auto lead = static_cast<uint8_t>(gbk[at]);
    size_t width = (lead >= 0x81 && lead <= 0xFE) ? 2 : 1;
    if (at + width > limit) break;
    at += width;
  }
  return std::min(at, gbk.size());
}

}  // namespace

HostLink& Link() {
  static HostLink* link = new HostLink(State());  // never destroyed, as the state
  return *link;
}

void HostLink::SendText(uint32_t kind, const char* utf8) {
  const OrvendHostWindow* window = state_.host.window;
  if (window == nullptr || window->send == nullptr || utf8 == nullptr) return;
  std::string gbk = link::Utf8ToGbk(utf8);
  gbk.resize(GbkCut(gbk, kPrintLineBuffer - 1));
  window->send(window->context, state_.host.messageId, kind, reinterpret_cast<intptr_t>(gbk.c_str()));
}

void HostLink::Post(uint32_t kind) {
  const OrvendHostWindow* window = state_.host.window;
  if (window == nullptr || window->post == nullptr) return;
  window->post(window->context, state_.host.messageId, kind, 0);
}

void HostLink::SendSerial(OrvendSerialOutput* record) {
  const OrvendHostWindow* window = state_.host.window;
  if (window == nullptr || window->send == nullptr) return;
  window->send(window->context, state_.host.messageId, ORVEND_KIND_SERIAL, reinterpret_cast<intptr_t>(record));
}

void* HostLink::Callback(uint32_t code, void* argument) {
  OrvendHostCallback callback = state_.host.callback;
  return callback == nullptr ? nullptr : callback(code, argument);
}

void HostLink::ShowProgress(const emulator::ProgressBar& bar) {
  std::string label = link::Utf8ToGbk(bar.label == nullptr ? "" : bar.label);
  OrvendProgressBar record{bar.job, bar.position, bar.low, bar.high, label.data()};
  Callback(ORVEND_CALLBACK_PROGRESS, &record);
}

bool HostLink::NextFlashSegment(bool first, emulator::FlashSegment* segment) {
  if (first) lastSegment_ = nullptr;
  auto* next = static_cast<OrvendFlashSegment*>(Callback(ORVEND_CALLBACK_NEXT_SEGMENT, lastSegment_));
  lastSegment_ = next;
  // A null record ends the list; so does one that promises bytes without giving them.
  if (next == nullptr || (next->data == nullptr && next->length != 0)) return false;
  segment->start = next->start;
  segment->length = next->length;
  segment->data = next->data;
  segment->total = next->total;
  return true;
}

void HostLink::VPrintLine(const char* format, va_list args) {
  // Every UTF-8 character gives at least one GBK byte, so this holds more than the host will take.
  char text[kPrintLineFormatBuffer];
  std::vsnprintf(text, sizeof text, format, args);
  SendText(ORVEND_KIND_OUTPUT_TEXT, text);
}

void HostLink::PrintLine(const char* format, ...) {
  va_list args;
  va_start(args, format);
  VPrintLine(format, args);
  va_end(args);
}

void HostLink::SetUi(const OrvendUi* ui) {
  std::lock_guard lock(uiMutex_);
  ui_ = ui == nullptr ? OrvendUi{} : *ui;
}

OrvendUi HostLink::Ui() const {
  std::lock_guard lock(uiMutex_);
#ifdef _WIN32
  // The IDE installs no hook: the DLL shows its own boxes and its dialog resource.
  if (ui_.message_box == nullptr && ui_.setup_dialog == nullptr) return win32::DefaultUi();
#endif
  return ui_;
}

int HostLink::MessageBox(int kind, const char* caption, const char* text) {
  OrvendUi ui = Ui();
  if (ui.message_box != nullptr) return ui.message_box(ui.context, kind, caption, text);
  std::fprintf(stderr, "%s: %s\n", caption == nullptr ? "" : caption, text == nullptr ? "" : text);
  if (kind == ORVEND_BOX_QUESTION) std::fputs(texts::kNoUiAnswer, stderr);
  return kind == ORVEND_BOX_QUESTION ? 0 : 1;
}

void HostLink::ErrorBox(const char* caption, const char* text) { MessageBox(ORVEND_BOX_ERROR, caption, text); }

void HostLink::WarningBox(const char* caption, const char* text) { MessageBox(ORVEND_BOX_WARNING, caption, text); }

bool HostLink::Question(const char* caption, const char* text) {
  return MessageBox(ORVEND_BOX_QUESTION, caption, text) == 1;
}

}  // namespace orven::driver
