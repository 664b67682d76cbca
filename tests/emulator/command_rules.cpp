#include "tests/emulator/command_rules.h"

#include <cstdio>

namespace orven::testing {

namespace {

using A = CommandRule::Address;
using L = CommandRule::Length;

// Typed from the emulator's command table, not taken from the driver's headers, so that a wrong constant on
// the driver's side cannot agree with itself here.
const std::vector<CommandRule> kRules = {
    // code name                address     length          payload extra max  reply reset
    {0, "EC_IDENTIFY", A::kZero, L::kExactly, 40, false, 0, 0, 500, 0},
    {1, "EC_RESTART", A::kZero, L::kExactly, 0, false, 0, 0, 0, 0},
    {2, "EC_ENTER_LOADER", A::kZero, L::kExactly, 0, false, 0, 0, 0, 0},
    {3, "EC_FW_BEGIN", A::kZero, L::kExactly, 0, false, 0, 0, 5000, 0},
    {4, "EC_FW_DATA", A::kAny, L::kAtMost, 1024, true, 0, 0, 1000, 0},
    {5, "EC_FW_END", A::kZero, L::kExactly, 0, false, 0, 0, 500, 0},
    {7, "EC_STATUS", A::kZero, L::kExactly, 0, false, 0, 0, 2000, 0},
    {8, "EC_POD_INFO", A::kZero, L::kExactly, 0, false, 0, 0, 500, 0},
    {9, "EC_POD_CHECK", A::kZero, L::kExactly, 0, false, 0, 0, 2000, 0},
    {10, "EC_DISCONNECT", A::kZero, L::kExactly, 0, false, 0, 0, 0, 0},
    {11, "EC_FORCE_STOP", A::kZero, L::kExactly, 0, false, 0, 0, 500, 0},
    {12, "EC_POD_START", A::kZero, L::kExactly, 0, false, 0, 0, 2000, 0},
    {13, "EC_READ_DATA", A::kDataTag, L::kAtMost, 128, false, 0, 0, 500, 0},
    {14, "EC_WRITE_DATA", A::kDataTag, L::kAtMost, 128, true, 0, 0, 500, 0},
    {15, "EC_READ_REGS", A::kZero, L::kExactly, 16, false, 0, 0, 500, 0},
    {16, "EC_WRITE_REGS", A::kZero, L::kExactly, 16, true, 0, 0, 500, 0},
    {17, "EC_WRITE_CODE", A::k16Bit, L::kAtMost, 256, true, 0, 0, 500, 0},
    {18, "EC_READ_CODE", A::k16Bit, L::kAtMost, 128, false, 0, 0, 500, 0},
    {19, "EC_WRITE_XDATA", A::kXdataTag, L::kAtMost, 128, true, 0, 0, 500, 0},
    {20, "EC_READ_XDATA", A::kXdataTag, L::kAtMost, 128, false, 0, 0, 500, 0},
    {21, "EC_WRITE_IDATA", A::kDataTag, L::kAtMost, 128, true, 0, 0, 500, 0},
    {22, "EC_READ_IDATA", A::kDataTag, L::kAtMost, 128, false, 0, 0, 500, 0},
    {23, "EC_READ_PC", A::kZero, L::kExactly, 2, false, 0, 0, 500, 0},
    {24, "EC_WRITE_PC", A::k16Bit, L::kExactly, 0, false, 0, 0, 500, 0},
    {25, "EC_STOP_REQUEST", A::kZero, L::kExactly, 0, false, 0, 0, 0, 0},
    {26, "EC_GO", A::k16Bit, L::kAtMost, 1, false, 1, 1, 5000, 500},
    {27, "EC_STEP", A::kZero, L::kExactly, 0, false, 0, 0, 500, 0},
    {28, "EC_BREAKPOINT", A::kAny, L::kExactly, 0, false, 1, 1, 500, 0},
    {29, "EC_CHIP_INIT", A::kZero, L::kExactly, 0, false, 24, 0xFF, 5000, 0},
    {30, "EC_CHIP_RUN", A::kZero, L::kExactly, 0, false, 0, 0, 500, 0},
    {35, "EC_CHIP_PROGRAM", A::kAny, L::kAtMost, 256, true, 0, 0, 500, 0},
    {36, "EC_CHIP_READ", A::kAny, L::kAtMost, 256, false, 0, 0, 500, 0},
    {38, "EC_CHIP_ERASE", A::kZero, L::kExactly, 0, false, 0, 0, 6000, 0},
};

constexpr uint8_t kCommandMarker = 0x58;
constexpr uint8_t kDataMarker = 0xA5;
constexpr uint8_t kNoData = 0x80;
constexpr uint32_t kBytesPerDataReport = 62;

uint32_t U32(const Bytes& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}

bool AddressFits(A rule, uint32_t address) {
  const uint32_t tag = address >> 24;
  switch (rule) {
    case A::kZero: return address == 0;
    case A::k16Bit: return address <= 0xFFFF;
    case A::kDataTag: return tag == 0xF0 || tag == 0xF3;
    case A::kXdataTag: return tag == 0x01 || tag == 0xFE;
    case A::kAny: return true;
  }
  return false;
}

}  // namespace

const std::vector<CommandRule>& CommandRules() { return kRules; }

const CommandRule* FindCommandRule(uint8_t code) {
  for (const CommandRule& r : kRules) {
    if (r.code == code) return &r;
  }
  return nullptr;
}

uint32_t ReplyTimeoutMs(const CommandRule& rule, uint32_t lengthField) {
  return rule.resetReplyMs != 0 && lengthField == 1 ? rule.resetReplyMs : rule.replyMs;
}

void CommandRuleChecker::Attach(ScriptedDevice& device) {
  device.onWrite = [this](const Bytes& payload) { Written(payload); };
  device.onRead = [this](uint32_t timeoutMs) { Reading(timeoutMs); };
}

void CommandRuleChecker::Violation(const std::string& what) {
  violations_.push_back((rule_ != nullptr ? std::string(rule_->name) + ": " : std::string()) + what);
}

void CommandRuleChecker::Written(const Bytes& payload) {
  if (payload.size() != 64) return Violation("a report of " + std::to_string(payload.size()) + " bytes");
  if (payload[0] == kCommandMarker) return CommandWritten(payload);
  if (payload[0] != kDataMarker) return Violation("a report with marker " + std::to_string(payload[0]));
  if (rule_ == nullptr || dataReportsSeen_ >= dataReportsDue_) return Violation("a data report nobody announced");
  if (payload[1] != dataReportsSeen_) Violation("data report " + std::to_string(payload[1]) + " out of order");
  ++dataReportsSeen_;
}

void CommandRuleChecker::CloseCommand() {
  if (rule_ != nullptr && dataReportsSeen_ != dataReportsDue_) {
    Violation(std::to_string(dataReportsSeen_) + " of " + std::to_string(dataReportsDue_) + " data reports");
  }
  dataReportsSeen_ = dataReportsDue_ = 0;
}

void CommandRuleChecker::CommandWritten(const Bytes& r) {
  CloseCommand();
  rule_ = FindCommandRule(r[2]);
  replyDue_ = replyForbidden_ = false;
  if (rule_ == nullptr) return Violation("code " + std::to_string(r[2]) + " is not an emulator command");

  const uint32_t address = U32(r, 4);
  const uint32_t length = U32(r, 8);
  char text[96];
  if (r[1] != 0) Violation("byte 1 is not 0");
  if (!AddressFits(rule_->address, address)) {
    std::snprintf(text, sizeof text, "address field %08X", address);
    Violation(text);
  }
  const bool lengthFits = rule_->length == L::kExactly ? length == rule_->lengthValue : length <= rule_->lengthValue;
  if (!lengthFits) Violation("length field " + std::to_string(length));
  // A write carries its bytes in data reports and clears the no-data flag; only an empty write has none.
  if (rule_->payload && length != 0) {
    if (r[3] != 0) Violation("no-data flag on a write with payload");
    dataReportsDue_ = (length + kBytesPerDataReport - 1) / kBytesPerDataReport;
  } else if (r[3] != kNoData) {
    Violation("byte 3 is not the no-data flag");
  }
  for (size_t i = 12; i < 64; ++i) {
    const bool allowed = i - 12 < rule_->extraBytes;
    if ((!allowed && r[i] != 0) || (allowed && r[i] > rule_->extraMax)) {
      Violation("byte " + std::to_string(i) + " is " + std::to_string(r[i]));
    }
  }
  replyMs_ = ReplyTimeoutMs(*rule_, length);
  replyDue_ = replyMs_ != 0;
  replyForbidden_ = !replyDue_;
}

void CommandRuleChecker::Reading(uint32_t timeoutMs) {
  if (rule_ == nullptr) return Violation("a read before any command");
  if (replyForbidden_) return Violation("waits for a reply the emulator never sends");
  if (!replyDue_) return;  // the data reports of the reply
  replyDue_ = false;
  if (dataReportsSeen_ != dataReportsDue_) Violation("waits for the reply before the payload is out");
  if (timeoutMs != replyMs_) {
    Violation("waits " + std::to_string(timeoutMs) + " ms for the reply, not " + std::to_string(replyMs_));
  }
}

}  // namespace orven::testing
