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

}  // namespace orven::cmd
