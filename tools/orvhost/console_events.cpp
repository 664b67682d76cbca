#include "tools/orvhost/console_events.h"

#include "tools/orvhost/texts.h"

namespace orven::orvhost {

ConsoleEvents::ConsoleEvents(Console& console, AnswerMode mode, LineReader reader)
    : console_(console), mode_(mode), reader_(std::move(reader)), askingThread_(std::this_thread::get_id()) {}

void ConsoleEvents::OutputText(const std::string& text) { console_.Raw(text); }

void ConsoleEvents::SerialOutput(uint32_t channel, const std::string& data) {
  console_.Printf(texts::kSerialOutput, channel, data.c_str());
}

void ConsoleEvents::BreakpointCommand(const std::string& command) {
  console_.Printf(texts::kBreakpointCommand, command.c_str());
}

void ConsoleEvents::ProgressShown(const std::string& label, int32_t high) {
  console_.Printf(texts::kProgressShown, label.c_str(), high);
}

void ConsoleEvents::ProgressRemoved(int32_t position, int32_t high) {
  console_.Printf(texts::kProgressRemoved, position, high);
}

void ConsoleEvents::LinkClosed() { console_.Print(texts::kFatalNotice); }

void ConsoleEvents::Notice(bool error, const std::string& caption, const std::string& text) {
  console_.Printf(error ? texts::kErrorBox : texts::kWarningBox, caption.c_str(), text.c_str());
}

bool ConsoleEvents::CanAsk() const {
  return mode_ == AnswerMode::kAsk && reader_ && std::this_thread::get_id() == askingThread_;
}

bool ConsoleEvents::AskUser(const std::string& prompt) {
  console_.EndLine();
  for (;;) {
    const std::optional<std::string> line = reader_(prompt);
    if (!line) {
      console_.Print(texts::kAnsweredNoAtEof);
      return false;
    }
    const size_t begin = line->find_first_not_of(" \t");
    const char c = begin == std::string::npos ? '\0' : (*line)[begin];
    if (c == 'y' || c == 'Y') return true;
    if (c == 'n' || c == 'N') return false;
    console_.Print(texts::kAnswerYesOrNo);
  }
}

bool ConsoleEvents::Ask(const std::string& caption, const std::string& text) {
  if (CanAsk()) return AskUser(texts::kQuestionTag + caption + ": " + text + texts::kYesOrNo);
  const bool yes = mode_ == AnswerMode::kYes;
  console_.Printf(texts::kQuestionBox, caption.c_str(), text.c_str(), yes ? "Yes" : "No");
  return yes;
}

bool ConsoleEvents::ConfirmSetup(const OrvendSetupDialog& dialog) {
  console_.Print(DescribeSetupDialog(dialog));
  if (CanAsk()) return AskUser(texts::kSetupQuestion);
  const bool ok = mode_ == AnswerMode::kYes;
  console_.Printf(texts::kSetupDialog, ok ? "OK" : "Cancel");
  return ok;
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

}  // namespace orven::orvhost
