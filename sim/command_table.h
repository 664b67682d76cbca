// The commands the simulated devices understand: both command sets of the device family (the programmer's,
// which TORMIK uses, and the emulator's, which the debugger driver uses), with what each command report carries
// and what the reply carries. The device checks every command it receives, and every reply its models give,
// against this table and records what departs from it.
#pragma once

#include <cstdint>
#include <string>

#include "sim/frame_report.h"

namespace orven::sim {

// USB identity of the device family.
namespace usb {
inline constexpr uint16_t kVendorId = 0x1A7C;
inline constexpr uint16_t kProductQx410 = 0x5120;
inline constexpr uint16_t kProductOrvenf = 0x5121;
inline constexpr uint16_t kModelWordQx410 = 0x5295;  // first word of the identification block
inline constexpr uint16_t kModelWordOrvenf = 0x520D;
}  // namespace usb

// The programmer command set.
namespace prog {
inline constexpr uint8_t kIdentify = 0;
inline constexpr uint8_t kStartApplication = 1;
inline constexpr uint8_t kEnterLoader = 2;
inline constexpr uint8_t kLoaderPrepare = 3;
inline constexpr uint8_t kLoaderWrite = 4;
inline constexpr uint8_t kLoaderFinish = 5;
inline constexpr uint8_t kQueryFirmwareState = 7;
inline constexpr uint8_t kInitChip = 29;
inline constexpr uint8_t kEndOperation = 30;
inline constexpr uint8_t kReadSignature = 31;
inline constexpr uint8_t kBeginProgram = 32;
inline constexpr uint8_t kBeginRead = 33;
inline constexpr uint8_t kBlankCheckBlock = 34;
inline constexpr uint8_t kProgramBlock = 35;
inline constexpr uint8_t kReadBlock = 36;
inline constexpr uint8_t kEraseChip = 38;
inline constexpr uint8_t kWriteConfig = 40;
inline constexpr uint8_t kReadConfig = 41;

inline constexpr uint32_t kLoaderRunning = 0x8000;  // query firmware state: reply value bit 15
inline constexpr uint8_t kStatusNotBlank = 13;      // blank check: 8 data bytes say where and what
}  // namespace prog

// The emulator command set; the codes it shares with the programmer (0-5, 7, 29, 30, 35, 36, 38) are the same
// commands.
namespace emu {
enum EmulatorCode : uint8_t {
  EC_IDENTIFY = 0,
  EC_RESTART = 1,
  EC_ENTER_LOADER = 2,
  EC_FW_BEGIN = 3,
  EC_FW_DATA = 4,
  EC_FW_END = 5,
  EC_STATUS = 7,
  EC_POD_INFO = 8,
  EC_POD_CHECK = 9,
  EC_DISCONNECT = 10,
  EC_FORCE_STOP = 11,
  EC_POD_START = 12,
  EC_READ_DATA = 13,
  EC_WRITE_DATA = 14,
  EC_READ_REGS = 15,
  EC_WRITE_REGS = 16,
  EC_WRITE_CODE = 17,
  EC_READ_CODE = 18,
  EC_WRITE_XDATA = 19,
  EC_READ_XDATA = 20,
  EC_WRITE_IDATA = 21,
  EC_READ_IDATA = 22,
  EC_READ_PC = 23,
  EC_WRITE_PC = 24,
  EC_STOP_REQUEST = 25,
  EC_GO = 26,
  EC_STEP = 27,
  EC_BREAKPOINT = 28,
  EC_CHIP_INIT = 29,
  EC_CHIP_RUN = 30,
  EC_CHIP_PROGRAM = 35,
  EC_CHIP_READ = 36,
  EC_CHIP_ERASE = 38,
};

inline constexpr uint32_t kEmulatorRunning = 0x10;  // status: reply value bit 4, the target runs
inline constexpr uint8_t kStatusTooManyBreakpoints = 7;
inline constexpr uint8_t kStatusBreakpointConflict = 8;
}  // namespace emu

// Which hosts send a command.
enum CommandSet : uint8_t {
  kProgrammerSet = 1,
  kEmulatorSet = 2,
  kBothSets = kProgrammerSet | kEmulatorSet,
};

// What the address field (@4) of the command holds.
enum class AddressField : uint8_t { kZero, kAny };

// What follows the command report, and what its length field (@8) holds.
enum class LengthField : uint8_t {
  kFixed,      // no data reports; exactly `length`
  kCount,      // no data reports; a byte count of at most `length`: how many bytes the reply is to carry
  kPayload,    // data reports carry at most `length` bytes; a count of 0 goes without data reports
  kResetFlag,  // no data reports; 0 or 1
};

// What the device sends back.
enum class ReplyForm : uint8_t {
  kNone,    // nothing: the device restarts, or acts without answering
  kStatus,  // the status byte; no data
  kValue,   // the result in the reply value (@4); no data, or the bytes the length field asked for
  kData,    // on success `replyBytes` data bytes, or as many as the length field asked for when that is 0
  kParams,  // the result in `replyBytes` bytes from @12; no data
  kFinding, // success without data, or `findingStatus` with `replyBytes` data bytes saying what was found
};

struct CommandEntry {
  uint8_t code;
  const char* name;
  uint8_t sets;             // CommandSet bits
  AddressField address;
  LengthField lengthField;
  uint32_t length;          // see LengthField
  uint8_t extraBytes;       // bytes from @12 the command defines; the rest are 0
  uint8_t extraMax;         // largest value of a one-byte switch at @12; 0xFF when the bytes are a block
  ReplyForm reply;
  uint32_t replyBytes;
  uint8_t findingStatus;
};

// The entry for a code, or null when neither command set has it.
const CommandEntry* FindCommand(uint8_t code);

// Empty when the command report is one a host of `sets` sends; else what departs from the table.
std::string CheckCommand(const FrameReport& command, uint8_t sets);

// Empty when a reply with this status and data count has the form the command's entry names
// (`sent` false: the device stayed silent, which the table leaves to the device); else what departs.
std::string CheckReply(const FrameReport& command, bool sent, uint8_t status, uint32_t dataBytes);

}  // namespace orven::sim
