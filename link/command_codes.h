// Command codes of the programmer command set, with the reply time-outs the host uses. The emulator side shares
// the identify command and adds its own codes.
#pragma once

#include <cstdint>

namespace orven::cmd {

inline constexpr uint8_t kIdentify = 0;          // reply: 40 data bytes, the IdentificationBlock
inline constexpr uint8_t kStartApplication = 1;  // programmer restarts into its application; no reply
inline constexpr uint8_t kEnterLoader = 2;       // programmer restarts into its firmware loader; no reply
inline constexpr uint8_t kLoaderPrepare = 3;     // erase the firmware area
inline constexpr uint8_t kLoaderWrite = 4;       // argument = offset; data = up to 1024 image bytes
inline constexpr uint8_t kLoaderFinish = 5;
inline constexpr uint8_t kQueryFirmwareState = 7;  // result bit 15 set = the loader is running
inline constexpr uint8_t kInitChip = 29;         // parameters @12..35 = ChipParameterBlock
inline constexpr uint8_t kEndOperation = 30;
inline constexpr uint8_t kReadSignature = 31;    // reply parameters @12..15 = signature
inline constexpr uint8_t kBeginProgram = 32;
inline constexpr uint8_t kBeginRead = 33;
inline constexpr uint8_t kBlankCheckBlock = 34;  // argument = address, length = block length; status 13 = not blank
inline constexpr uint8_t kProgramBlock = 35;     // argument = address; data = block
inline constexpr uint8_t kReadBlock = 36;        // argument = address, length = block length; reply data = block
inline constexpr uint8_t kEraseChip = 38;
inline constexpr uint8_t kWriteConfig = 40;      // parameters @12..43 = the 32 configuration bytes
inline constexpr uint8_t kReadConfig = 41;       // reply parameters @12..43 = the 32 configuration bytes

inline constexpr uint32_t kFirmwareStateLoader = 0x8000;
inline constexpr uint8_t kStatusNotBlank = 13;

namespace timeout {
inline constexpr uint32_t kIdentify = 500;
inline constexpr uint32_t kLoaderPrepare = 5000;
inline constexpr uint32_t kLoaderWrite = 1000;
inline constexpr uint32_t kLoaderFinish = 500;
inline constexpr uint32_t kQueryFirmwareState = 2000;
inline constexpr uint32_t kInitChip = 5000;
inline constexpr uint32_t kEndOperation = 500;
inline constexpr uint32_t kReadSignature = 500;
inline constexpr uint32_t kBegin = 500;
inline constexpr uint32_t kBlankCheckBlock = 500;
inline constexpr uint32_t kProgramBlock = 2000;
inline constexpr uint32_t kReadBlock = 1000;
inline constexpr uint32_t kVerifyBlock = 500;
inline constexpr uint32_t kEraseChip = 6000;
inline constexpr uint32_t kConfig = 500;
}  // namespace timeout

// The emulator command set (the debugger driver's side of the same device). Codes shared with the programmer
// (0-5, 7, 29, 30, 35, 36, 38) name the same command; the reply time-outs are the driver's own.
enum EmulatorCode : uint8_t {
  EC_IDENTIFY = 0,       // length 40; reply: 40 data bytes, the IdentificationBlock
  EC_RESTART = 1,        // no reply; the emulator restarts and re-enumerates
  EC_ENTER_LOADER = 2,   // no reply; the emulator restarts into its firmware loader
  EC_FW_BEGIN = 3,       // status must be 0
  EC_FW_DATA = 4,        // address = offset in the image; payload = chunk (at most 1024)
  EC_FW_END = 5,         // status must be 0
  EC_STATUS = 7,         // reply value bit 4 = target running, bit 15 = in the firmware loader
  EC_POD_INFO = 8,       // reply: 32 data bytes, not interpreted
  EC_POD_CHECK = 9,
  EC_DISCONNECT = 10,    // no reply
  EC_FORCE_STOP = 11,
  EC_POD_START = 12,
  EC_READ_DATA = 13,     // address = tagged D: address; length = count; reply: data bytes
  EC_WRITE_DATA = 14,
  EC_READ_REGS = 15,     // length 16; reply: RegisterImage
  EC_WRITE_REGS = 16,    // payload: RegisterImage
  EC_WRITE_CODE = 17,    // address = plain 16-bit C: address
  EC_READ_CODE = 18,
  EC_WRITE_XDATA = 19,   // address = tagged X: address
  EC_READ_XDATA = 20,
  EC_WRITE_IDATA = 21,   // address = tagged I: (or D: below 0x80) address
  EC_READ_IDATA = 22,
  EC_READ_PC = 23,       // length 2; reply value low 16 bits = PC
  EC_WRITE_PC = 24,      // address = new PC
  EC_STOP_REQUEST = 25,  // no reply
  EC_GO = 26,            // address = stop address (0xFFFF none); length 0 run on, 1 reset first; @12 stop feature
  EC_STEP = 27,          // reply value = PC after the step
  EC_BREAKPOINT = 28,    // address; @12 1 = set, 0 = clear; status 7 = too many, 8 = conflict
  EC_CHIP_INIT = 29,     // @12..35 ChipParameterBlock; status 10, 11, 12 = failure
  EC_CHIP_RUN = 30,
  EC_CHIP_PROGRAM = 35,  // address in the target's flash; payload at most 256 bytes
  EC_CHIP_READ = 36,
  EC_CHIP_ERASE = 38,
};

inline constexpr uint32_t kEmulatorRunning = 0x10;  // EC_STATUS reply value: the target runs
inline constexpr uint8_t kStatusTooManyBreakpoints = 7;
inline constexpr uint8_t kStatusBreakpointConflict = 8;

// Reply time-outs of the emulator commands, in milliseconds.
namespace emu_timeout {
inline constexpr uint32_t kIdentify = 500;
inline constexpr uint32_t kFwBegin = 5000;
inline constexpr uint32_t kFwData = 1000;
inline constexpr uint32_t kFwEnd = 500;
inline constexpr uint32_t kStatus = 2000;
inline constexpr uint32_t kPodInfo = 500;
inline constexpr uint32_t kPodCheck = 2000;
inline constexpr uint32_t kForceStop = 500;
inline constexpr uint32_t kPodStart = 2000;
inline constexpr uint32_t kMemory = 500;     // every memory, register, PC, step and breakpoint command
inline constexpr uint32_t kGoRunOn = 5000;
inline constexpr uint32_t kGoReset = 500;
inline constexpr uint32_t kChipInit = 5000;
inline constexpr uint32_t kChipRun = 500;
inline constexpr uint32_t kChipProgram = 500;
inline constexpr uint32_t kChipRead = 500;
inline constexpr uint32_t kChipErase = 6000;
}  // namespace emu_timeout

}  // namespace orven::cmd
