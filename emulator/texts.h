// Every text the emulator layer shows or prints, in UTF-8 exactly as the user sees it (the driver converts them
// to GBK where they leave for the host). Resource numbers of the string table are given where a text has one.
#pragma once

#include "link/texts.h"

namespace orven::emulator::texts {

// Message box captions.
inline constexpr const char* kCaption = "ORVEN Notice";
inline constexpr const char* kCaptionCommError = "ORVEN Notice!";
inline constexpr const char* kAppCaption = "ORVEND";  // the standard box of a failed debugger code write

// 5027: a command could not be written, or a reply arrived malformed.
inline constexpr const char* kCommError = link::texts::kEmulatorCommError;

// --- Connection and firmware upgrade ---
inline constexpr const char* kNoDevice = "连机失败, 请连接好仿真器再试.";                              // 5014
inline constexpr const char* kFirmwareInvalid = "设备中固件无效, 点击\"确定\"将进行固件升级.";           // 5009
// 5007: the driver's major (decimal), minor (two hex digits) and build, then the emulator's.
inline constexpr const char* kFirmwareOutdated =
    "仿真器固件需要升级.\n\n"
    "驱动程序固件版本: V%d.%2.2X(Build%u)\n"
    "仿真器固件版本: V%d.%2.2X(Build%u)\n\n"
    "点击\"确定\"后开始升级固件.";
inline constexpr const char* kPodFailed =  // 5008
    "与仿真适配头(VELM5)通讯失败, 请检查: \n\n1.仿真适配头(VELM5)是否已连接到ICE/ISP接口\n\n"
    "2.仿真适配头(VELM5)或目标板供电是否正常\n\n3.仿真适配头(VELM5)的晶振设置是否有效\n"
    "  (如果使用外部晶振, 请确保外部晶振电路正常)";
inline constexpr const char* kBarStartUpgrade = "Start to Upgrade firmware...";
inline constexpr const char* kBarDownloadFirmware = "Download firmware...";
inline constexpr const char* kBarRestart = "Restart the emuatlor/programmer...";
// Printed to the output window when a build without the real firmware meets a physical emulator.
inline constexpr const char* kTestImageSkipped =
    "ORVEN: this driver carries a test firmware image, the emulator firmware is not upgraded.\n";

// --- Debug commands ---
inline constexpr const char* kCodeTooLarge = "代码大小超过仿真容量限制(最大63K)";  // 5016
inline constexpr const char* kNoCodeMemory = "ORVEN ERROR 22: No Code Memory at Adrress %4.4XH.\n";
inline constexpr const char* kCodeWriteFailed = "目标芯片Flash写入失败";
inline constexpr const char* kStopVectorUsed =  // 5006
    "已开启运行中停止功能, 但0x003b已被用户代码占用\r\n 是否取消此功能, 继续操作?";
inline constexpr const char* kStopFailed =  // 5021
    "操作失败, 无法停止仿真运行. \n\n(如果用户代码中关闭了中断功能将导致停止操作失败, 如EA=0)\n\n"
    "是否强制复位仿真器, 使其停止?\n";
inline constexpr const char* kStopUnavailable =  // 5012
    "由于没有开启运行中停止功能, 无法停止仿真运行.\n\n是否强制复位仿真器, 使其停止?";

// --- Download ---
inline constexpr const char* kDownloadToPod = "Download Code to Debug Adapter(VELM5).\n";
inline constexpr const char* kDownloadToChip = "Download to %s  %s.\n";  // vendor, chip
inline constexpr const char* kInitFailed = "ORVEN ERROR 30: Failed to Initialize the Device, Flash Download Abort.\n";
inline constexpr const char* kErasing = "Erasing...\n";
inline constexpr const char* kErasingDone = "Erasing Done.\n";
inline constexpr const char* kChipTooSmall = "代码大小超出芯片(%s)的容量 ";  // 5013
inline constexpr const char* kBarProgramming = "Programming...";
inline constexpr const char* kProgramming = "Programming...\n";
inline constexpr const char* kWriteFailedAt = "ORVEN ERROR 31: Flash Write Failed at Address %4.4XH.";
inline constexpr const char* kProgrammingDone = "Programming Done.\n";
inline constexpr const char* kBarVerifying = "Verifying...";
inline constexpr const char* kVerifying = "Verifying...\n";
inline constexpr const char* kVerifyOk = "Verify OK.\n";
inline constexpr const char* kVerifyFailedAt = "ORVEN ERROR 32: Flash Verify Failed at %4.4XH";
inline constexpr const char* kRunning = "Application Reset and Running...";
// The options name no chip of the table: the download stops instead of picking another chip.
inline constexpr const char* kBadVendorOption = "ORVEN ERROR: Option -V%d Names No Chip Vendor, Flash Download Abort.\n";
inline constexpr const char* kBadChipOption =
    "ORVEN ERROR: Option -C%d Names No %s Chip, Flash Download Abort.\n";
// A download asked for without a successful preparation since the last one.
inline constexpr const char* kNotPrepared =
    "ORVEN ERROR: Flash Download Not Prepared, Flash Download Abort.\n";

}  // namespace orven::emulator::texts
