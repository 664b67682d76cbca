#include "sim/command_table.h"

#include <array>
#include <cstdio>

namespace orven::sim {

namespace {

using AF = AddressField;
using LF = LengthField;
using RF = ReplyForm;

constexpr uint8_t P = kProgrammerSet;
constexpr uint8_t E = kEmulatorSet;
constexpr uint8_t PE = kBothSets;

// code, name, sets, address field, length field, length, extra bytes, extra max, reply, reply bytes, finding
constexpr CommandEntry kCommands[] = {
    {0, "EC_IDENTIFY", PE, AF::kZero, LF::kFixed, 40, 0, 0, RF::kData, 40, 0},
    {1, "EC_RESTART", PE, AF::kZero, LF::kFixed, 0, 0, 0, RF::kNone, 0, 0},
    {2, "EC_ENTER_LOADER", PE, AF::kZero, LF::kFixed, 0, 0, 0, RF::kNone, 0, 0},
    {3, "EC_FW_BEGIN", PE, AF::kZero, LF::kFixed, 0, 0, 0, RF::kStatus, 0, 0},
    {4, "EC_FW_DATA", PE, AF::kAny, LF::kPayload, 1024, 0, 0, RF::kStatus, 0, 0},
    {5, "EC_FW_END", PE, AF::kZero, LF::kFixed, 0, 0, 0, RF::kStatus, 0, 0},
    {7, "EC_STATUS", PE, AF::kZero, LF::kFixed, 0, 0, 0, RF::kValue, 0, 0},
    {8, "EC_POD_INFO", E, AF::kZero, LF::kFixed, 0, 0, 0, RF::kData, 32, 0},
    {9, "EC_POD_CHECK", E, AF::kZero, LF::kFixed, 0, 0, 0, RF::kStatus, 0, 0},
    {10, "EC_DISCONNECT", E, AF::kZero, LF::kFixed, 0, 0, 0, RF::kNone, 0, 0},
    {11, "EC_FORCE_STOP", E, AF::kZero, LF::kFixed, 0, 0, 0, RF::kStatus, 0, 0},
    {12, "EC_POD_START", E, AF::kZero, LF::kFixed, 0, 0, 0, RF::kStatus, 0, 0},
    // D: 0x80-0xFF in one command, so never more than 128 bytes.
    {13, "EC_READ_DATA", E, AF::kAny, LF::kCount, 128, 0, 0, RF::kData, 0, 0},
    {14, "EC_WRITE_DATA", E, AF::kAny, LF::kPayload, 128, 0, 0, RF::kStatus, 0, 0},
    {15, "EC_READ_REGS", E, AF::kZero, LF::kFixed, 16, 0, 0, RF::kData, 16, 0},
    {16, "EC_WRITE_REGS", E, AF::kZero, LF::kPayload, 16, 0, 0, RF::kStatus, 0, 0},
    // 128 bytes from the debugger, 256 during a download to the pod.
    {17, "EC_WRITE_CODE", E, AF::kAny, LF::kPayload, 256, 0, 0, RF::kStatus, 0, 0},
    {18, "EC_READ_CODE", E, AF::kAny, LF::kCount, 128, 0, 0, RF::kData, 0, 0},
    {19, "EC_WRITE_XDATA", E, AF::kAny, LF::kPayload, 128, 0, 0, RF::kStatus, 0, 0},
    {20, "EC_READ_XDATA", E, AF::kAny, LF::kCount, 128, 0, 0, RF::kData, 0, 0},
    {21, "EC_WRITE_IDATA", E, AF::kAny, LF::kPayload, 128, 0, 0, RF::kStatus, 0, 0},
    {22, "EC_READ_IDATA", E, AF::kAny, LF::kCount, 128, 0, 0, RF::kData, 0, 0},
    {23, "EC_READ_PC", E, AF::kZero, LF::kFixed, 2, 0, 0, RF::kValue, 0, 0},
    {24, "EC_WRITE_PC", E, AF::kAny, LF::kFixed, 0, 0, 0, RF::kStatus, 0, 0},
    {25, "EC_STOP_REQUEST", E, AF::kZero, LF::kFixed, 0, 0, 0, RF::kNone, 0, 0},
    {26, "EC_GO", E, AF::kAny, LF::kResetFlag, 1, 1, 1, RF::kStatus, 0, 0},
    {27, "EC_STEP", E, AF::kZero, LF::kFixed, 0, 0, 0, RF::kValue, 0, 0},
    {28, "EC_BREAKPOINT", E, AF::kAny, LF::kFixed, 0, 1, 1, RF::kStatus, 0, 0},
    {29, "EC_CHIP_INIT", PE, AF::kZero, LF::kFixed, 0, 24, 0xFF, RF::kStatus, 0, 0},
    {30, "EC_CHIP_RUN", PE, AF::kZero, LF::kFixed, 0, 0, 0, RF::kStatus, 0, 0},
    {31, "read chip signature", P, AF::kZero, LF::kFixed, 0, 0, 0, RF::kParams, 4, 0},
    {32, "begin programming", P, AF::kZero, LF::kFixed, 0, 0, 0, RF::kStatus, 0, 0},
    {33, "begin reading", P, AF::kZero, LF::kFixed, 0, 0, 0, RF::kStatus, 0, 0},
    {34, "blank-check block", P, AF::kAny, LF::kCount, 256, 0, 0, RF::kFinding, 8, prog::kStatusNotBlank},
    {35, "EC_CHIP_PROGRAM", PE, AF::kAny, LF::kPayload, 256, 0, 0, RF::kStatus, 0, 0},
    {36, "EC_CHIP_READ", PE, AF::kAny, LF::kCount, 256, 0, 0, RF::kData, 0, 0},
    {38, "EC_CHIP_ERASE", PE, AF::kZero, LF::kFixed, 0, 0, 0, RF::kStatus, 0, 0},
    {40, "write configuration", P, AF::kZero, LF::kFixed, 0, 32, 0xFF, RF::kStatus, 0, 0},
    {41, "read configuration", P, AF::kZero, LF::kFixed, 0, 0, 0, RF::kParams, 32, 0},
};

constexpr std::array<const CommandEntry*, 256> Index() {
  std::array<const CommandEntry*, 256> index{};
  for (const CommandEntry& c : kCommands) index[c.code] = &c;
  return index;
}
constexpr std::array<const CommandEntry*, 256> kIndex = Index();

std::string Hex(uint32_t v, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, v);
  return text;
}

std::string Say(const FrameReport& command, const std::string& what) {
  const CommandEntry* entry = FindCommand(command.Code());
  return "command " + std::to_string(command.Code()) + " (" + (entry ? entry->name : "unknown") + "): " + what;
}

std::string CheckLength(const CommandEntry& entry, const FrameReport& command) {
  const uint32_t length = command.Length();
  const bool noData = command.Flag() == wire::kNoDataFollows;
  if (entry.lengthField == LF::kPayload) {
    // A write of 0 bytes goes out as a command without data reports and with length 0.
    if (noData && length != 0) return Say(command, "no data reports, but length field " + std::to_string(length));
    if (length > entry.length) {
      return Say(command, std::to_string(length) + " data bytes, at most " + std::to_string(entry.length));
    }
    return {};
  }
  if (!noData) return Say(command, "data flag " + Hex(command.Flag(), 2) + ", but the command carries no data");
  switch (entry.lengthField) {
    case LF::kFixed:
      if (length != entry.length) {
        return Say(command, "length field " + std::to_string(length) + ", not " + std::to_string(entry.length));
      }
      break;
    case LF::kCount:
      if (length > entry.length) {
        return Say(command, "asks for " + std::to_string(length) + " bytes, at most " + std::to_string(entry.length));
      }
      break;
    case LF::kResetFlag:
      if (length > 1) return Say(command, "length field " + std::to_string(length) + ", not 0 or 1");
      break;
    case LF::kPayload:
      break;
  }
  return {};
}

}  // namespace

const CommandEntry* FindCommand(uint8_t code) { return kIndex[code]; }

std::string CheckCommand(const FrameReport& command, uint8_t sets) {
  const CommandEntry* entry = FindCommand(command.Code());
  if (entry == nullptr || (entry->sets & sets) == 0) return Say(command, "not in this device's command set");
  if (command.Marker() != wire::kCommandMarker) return Say(command, "marker " + Hex(command.Marker(), 2));
  if (command.Reserved() != 0) return Say(command, "reserved byte 1 is " + Hex(command.Reserved(), 2));
  if (command.Flag() != 0 && command.Flag() != wire::kNoDataFollows) {
    return Say(command, "data flag " + Hex(command.Flag(), 2));
  }
  if (entry->address == AF::kZero && command.Argument() != 0) {
    return Say(command, "address field " + Hex(command.Argument(), 8) + ", not 0");
  }
  if (std::string problem = CheckLength(*entry, command); !problem.empty()) return problem;
  const uint8_t* extra = command.Params();
  if (entry->extraBytes == 1 && extra[0] > entry->extraMax) {
    return Say(command,
               "switch byte @12 is " + std::to_string(extra[0]) + ", at most " + std::to_string(entry->extraMax));
  }
  for (uint32_t i = entry->extraBytes; i < wire::kExtraBytes; ++i) {
    if (extra[i] != 0) {
      const std::string at = std::to_string(wire::kExtraOffset + i);
      return Say(command, "extra byte @" + at + " is " + Hex(extra[i], 2) + ", not 0");
    }
  }
  return {};
}

std::string CheckReply(const FrameReport& command, bool sent, uint8_t status, uint32_t dataBytes) {
  const CommandEntry* entry = FindCommand(command.Code());
  if (entry == nullptr) return {};
  if (!sent) return {};
  if (entry->reply == RF::kNone) return Say(command, "answered, but the command has no reply");
  uint32_t allowed = 0;
  switch (entry->reply) {
    case RF::kValue:
      // The bytes the length field asked for may come along with the value.
      if (dataBytes == command.Length()) return {};
      break;
    case RF::kData:
      if (status == 0) allowed = entry->replyBytes != 0 ? entry->replyBytes : command.Length();
      break;
    case RF::kFinding:
      if (status == entry->findingStatus) allowed = entry->replyBytes;
      break;
    case RF::kNone:
    case RF::kStatus:
    case RF::kParams:
      break;
  }
  if (dataBytes != allowed) {
    return Say(command,
               "reply with " + std::to_string(dataBytes) + " data bytes, expected " + std::to_string(allowed));
  }
  return {};
}

}  // namespace orven::sim
