// The emulator's command set as the device expects it, kept apart from the driver's own constants: each code
// with its address field, length field, extra bytes, payload and reply time-out. Attached to a scripted
// device, it checks every report the driver writes and every reply it waits for, and collects what breaks a
// rule.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/scripted_backend.h"

namespace orven::testing {

struct CommandRule {
  enum class Address { kZero, k16Bit, kAny, kDataTag, kXdataTag };
  enum class Length { kExactly, kAtMost };

  uint8_t code;
  const char* name;
  Address address;
  Length length;
  uint32_t lengthValue;
  bool payload;            // data reports carry the bytes; the length field is their count
  uint32_t extraBytes;     // bytes from offset 12 on that may be non-zero
  uint8_t extraMax;        // the largest value each of them may take
  uint32_t replyMs;        // 0: the emulator does not answer
  uint32_t resetReplyMs;   // EC_GO with length field 1 (reset the application, then run)
};

// The rule of a code, or null for a code the emulator does not know.
const CommandRule* FindCommandRule(uint8_t code);
// The time-out the driver must wait for the reply to a command with this code and length field (0: none).
uint32_t ReplyTimeoutMs(const CommandRule& rule, uint32_t lengthField);
const std::vector<CommandRule>& CommandRules();

class CommandRuleChecker {
 public:
  // Observes the device from now on (replaces its observers).
  void Attach(ScriptedDevice& device);
  const std::vector<std::string>& Violations() const { return violations_; }
  void Clear() { violations_.clear(); }

 private:
  void Written(const Bytes& payload);
  void Reading(uint32_t timeoutMs);
  void CommandWritten(const Bytes& report);
  void CloseCommand();
  void Violation(const std::string& what);

  std::vector<std::string> violations_;
  const CommandRule* rule_ = nullptr;  // the last command, while its data reports and reply are due
  uint32_t dataReportsDue_ = 0;
  uint32_t dataReportsSeen_ = 0;
  uint32_t replyMs_ = 0;
  bool replyDue_ = false;
  bool replyForbidden_ = false;
};

}  // namespace orven::testing
