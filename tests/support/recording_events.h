// What the driver tells the user, kept as text, with the safe answer to every question (No, Cancel): for
// tests and benchmarks that drive the debug host without a console.
#pragma once

#include <cstdint>
#include <string>

#include "host/host_events.h"

namespace orven::testing {

class RecordingEvents final : public host::HostEvents {
 public:
  void OutputText(const std::string& text) override { output += text; }
  void SerialOutput(uint32_t, const std::string&) override {}
  void BreakpointCommand(const std::string&) override {}
  void ProgressShown(const std::string&, int32_t) override {}
  void ProgressRemoved(int32_t, int32_t) override {}
  void LinkClosed() override {}
  void Notice(bool, const std::string& caption, const std::string& text) override {
    output += caption + ": " + text + "\n";
  }
  bool Ask(const std::string&, const std::string&) override { return false; }
  bool ConfirmSetup(const OrvendSetupDialog&) override { return false; }

  std::string output;
};

}  // namespace orven::testing
