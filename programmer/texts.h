// Log lines of the programmer operations, as the window shows them.
#pragma once

namespace orven::programmer::texts {

inline constexpr const char* kInitFailed = "芯片初始化错误\n";
inline constexpr const char* kSignatureMismatch = "错误, 芯片ID不匹配\n";
inline constexpr const char* kErasing = "擦除...\n";
inline constexpr const char* kEraseDone = "擦除完成.\n";
inline constexpr const char* kBlankChecking = "查空...\n";
inline constexpr const char* kBlankFailedFmt = "查空失败, 芯片地址=%XH, 芯片内容=%2.2XH\n";
inline constexpr const char* kBlankDone = "查空成功.\n";
inline constexpr const char* kWriting = "写入...\n";
inline constexpr const char* kWriteDone = "烧写完成.\n";
inline constexpr const char* kReading = "读取...\n";
inline constexpr const char* kReadDone = "读取完成.\n";
inline constexpr const char* kVerifying = "校验...\n";
inline constexpr const char* kVerifyErrorFmt = "[FLASH]数据校验错误, 地址=%4.4XH, BUF=%2.2XH, CHIP=%2.2XH\n";
inline constexpr const char* kVerifyDone = "校验成功.\n";
inline constexpr const char* kWriteFuse = "Write Fuse...\n";
inline constexpr const char* kWriteFuseDone = "Write Fuse done.\n";
inline constexpr const char* kReadFuse = "Read Fuse...\n";
inline constexpr const char* kReadFuseDone = "Read Fuse done.\n";
inline constexpr const char* kUpdatingFirmware = "升级固件...\n";
inline constexpr const char* kFirmwareUpdated = "固件升级成功.\n";
inline constexpr const char* kNoDevice = "未检测到设备, 联机失败\n";
// Said instead of updating when the build carries only test images and the device is real hardware.
inline constexpr const char* kTestImageRefused = "本程序携带的是测试固件映像, 不会写入实际编程器, 已跳过固件升级.\n";

}  // namespace orven::programmer::texts
