// Texts of the driver's setup dialog, exactly as the dialog shows them (UTF-8 here; the Windows build and the
// host see the same characters in the Chinese code page).
#pragma once

namespace orven::driverui::texts {

// Dialog 5004: caption, group boxes, check boxes, labels and buttons.
inline constexpr const char* kCaption = "NORDA  QX410 MCU Development Kit  V1.06";
inline constexpr const char* kEmulationGroup = "仿真选项";
inline constexpr const char* kPauseBox = "开启暂停功能";                 // check box 5002
inline constexpr const char* kDownloadGroup = "下载编程选项";
inline constexpr const char* kVendorLabel = "芯片厂商";                  // static 5020
inline constexpr const char* kModelLabel = "芯片型号";                   // static 5021
inline constexpr const char* kPodBox = "下载到仿真适配头(VELM5)";        // check box 5007
inline constexpr const char* kProductGroup = "产品信息";
inline constexpr const char* kOkButton = "确定";
inline constexpr const char* kCancelButton = "取消";

// String 5017: the note under the pause box (static 5022).
inline constexpr const char* kPauseNote = "\r\n开启此功能后, 代码C:0x003b处需保留3个字节给仿真系统使用";
// String 5018: product information of an identified emulator (printf format: major, minor, build, then the
// four product-number bytes in stored order).
inline constexpr const char* kProductInfoFormat =
    "固件版本: V%d.%2.2X(Build %d)\r\n产品编号: %2.2x%2.2x%2.2x%2.2x\r\n";
// String 5019: no emulator answered.
inline constexpr const char* kNotConnected = "NORDA ORVEN 仿真器/编程器 没有连接.\r\n";
// The emulator answered with build 0: its firmware is not valid.
inline constexpr const char* kFirmwareInvalid = "固件无效, 需要进行升级...";

}  // namespace orven::driverui::texts
