// What the driver tells the user, printed on orvhost's console: output window texts, progress, serial
// output, boxes and the fatal notice. Questions (the driver's yes/no boxes, the setup dialog's OK/Cancel) are
// answered from --answer, asked on the terminal as gdb asks them, or given the safe answer.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "host/host_events.h"
#include "tools/orvhost/console.h"

namespace orven::orvhost {

// The setup dialog as the printing view shows it: caption, check boxes, chosen vendor and model, product text.
std::string DescribeSetupDialog(const OrvendSetupDialog& dialog);

enum class AnswerMode {
  kNo,   // the safe answer: No, Cancel (no --answer and no terminal)
  kYes,  // --answer yes
  kAsk,  // at a terminal: "(y or n)"
};

class ConsoleEvents : public host::HostEvents {
 public:
  // Shows prompt and reads the line the user types; nullopt at the end of input.
  using LineReader = std::function<std::optional<std::string>(const std::string& prompt)>;

  // With kAsk, reader asks the user; questions from another thread than the constructing one (a go in the
  // background, while the prompt waits for a command) take the safe answer.
  ConsoleEvents(Console& console, AnswerMode mode, LineReader reader = {});

  void OutputText(const std::string& text) override;
  void SerialOutput(uint32_t channel, const std::string& data) override;
  void BreakpointCommand(const std::string& command) override;
  void ProgressShown(const std::string& label, int32_t high) override;
  void ProgressRemoved(int32_t position, int32_t high) override;
  void LinkClosed() override;
  void Notice(bool error, const std::string& caption, const std::string& text) override;
  bool Ask(const std::string& caption, const std::string& text) override;
  bool ConfirmSetup(const OrvendSetupDialog& dialog) override;

 private:
  // Asks "(y or n)" until the user answers one of them; false at the end of input.
  bool AskUser(const std::string& prompt);
  bool CanAsk() const;

  Console& console_;
  AnswerMode mode_;
  LineReader reader_;
  std::thread::id askingThread_;
};

}  // namespace orven::orvhost
