// What the driver tells the user, as the host hands it on: the client of the debug host implements this (a
// console prints it, an editor server turns it into events). Every text is UTF-8.
#pragma once

#include <cstdint>
#include <string>

#include "orvend/orvend.h"

namespace orven::host {

class HostEvents {
 public:
  virtual ~HostEvents() = default;

  // A text for the driver's output window (progress and output kinds), exactly as it came: some end without
  // a line break. May arrive on the go thread.
  virtual void OutputText(const std::string& text) = 0;
  // Bytes the target sent on a serial channel.
  virtual void SerialOutput(uint32_t channel, const std::string& data) = 0;
  // A breakpoint's command, handed over instead of a stop (the IDE would run it in its command window).
  virtual void BreakpointCommand(const std::string& command) = 0;
  // The driver's progress bar appeared with a label and its top value, and went again at position.
  virtual void ProgressShown(const std::string& label, int32_t high) = 0;
  virtual void ProgressRemoved(int32_t position, int32_t high) = 0;
  // The bar moved to position (of its top value). A console leaves it out: the steps would flood it.
  virtual void ProgressMoved(int32_t /*position*/, int32_t /*high*/) {}
  // The driver closed the emulator link unasked (host window kind 5). The one a shutdown always ends with
  // is not reported. Called from the driver's thread; must not call back into the driver.
  virtual void LinkClosed() = 0;
  // An error or warning box: OK is the only answer.
  virtual void Notice(bool error, const std::string& caption, const std::string& text) = 0;
  // A yes/no question box. True answers Yes. The safe answer, when nobody can be asked, is No.
  virtual bool Ask(const std::string& caption, const std::string& text) = 0;
  // The driver's setup dialog, shown over its record. True presses OK (the driver takes the dialog's choice),
  // false Cancel. The safe answer is Cancel.
  virtual bool ConfirmSetup(const OrvendSetupDialog& dialog) = 0;
};

}  // namespace orven::host
