// Texts of the programming application's core that the user sees, kept exactly as the program shows them.
#pragma once

namespace orven::app::texts {

// Intel HEX loader log lines.
// %d is the line's number in the file.
inline constexpr const char kHexLineFormatError[] = "警告：第%d行数据格式错误\n";
inline constexpr const char kHexFileFormatError[] = "文件格式错误\r\n";

// Settings file.
inline constexpr const char kSettingsFileName[] = "SETUP.ini";
inline constexpr const char kSettingsSubdir[] = "tormik";

// Chip selection dialog.
inline constexpr const char kChipSelectTitle[] = "芯片选择";
inline constexpr const char kChipSelectVendorLabel[] = "芯片厂商:";
inline constexpr const char kChipSelectChipLabel[] = "芯片型号:";
inline constexpr const char kChipSelectNoteZif[] = "说明: [ZIF]标识的芯片在锁紧座上下载";
inline constexpr const char kChipSelectNoteIsp[] = "[ISP]标识的芯片采用ISP接口下载";

// tormik-cli's report of the device (with kFirmwareLabel, kSerialLabel and kChipLabel of the window).
inline constexpr const char kCliModelLabel[] = "产品型号: ";
inline constexpr const char kCliFirmwareSame[] = "固件与本程序携带的版本相同 (V%d.%2.2X build %u).\n";
inline constexpr const char kCliFirmwareDiffers[] =
    "固件与本程序携带的版本不同: 设备 build %u, 携带 V%d.%2.2X build %u%s. 可用 upgrade 升级.\n";
inline constexpr const char kCliTestImage[] = " (测试映像)";

// A programmer is attached but its device node may not be opened: the udev rule is missing or not loaded.
// %s is the device path.
inline constexpr const char kCliAccessDenied[] =
    "tormik-cli: the programmer at %s cannot be opened: permission denied.\n"
    "  Install the udev rule 60-orven.rules (packaged in /usr/lib/udev/rules.d/; from a source tree copy\n"
    "  packaging/60-orven.rules to /etc/udev/rules.d/), load it with\n"
    "    sudo udevadm control --reload-rules && sudo udevadm trigger\n"
    "  and plug the programmer in again.\n";
inline constexpr const char kAccessDeniedLog[] =
    "无权打开编程器 %s: 请安装 udev 规则 60-orven.rules, 然后执行\n"
    "  sudo udevadm control --reload-rules && sudo udevadm trigger\n"
    "并重新插入编程器.\n";

// Connecting (the window's log and model label, and the command line).
inline constexpr const char kConnectedPrefix[] = "设备连接成功, 型号: ";
inline constexpr const char kUnknownModel[] = "UNKOWN MODEL";

// The programming window.
inline constexpr const char kWindowTitle[] = "TORMIK V2.03";
inline constexpr const char kModelChoiceLabel[] = "产品型号:";
inline constexpr const char kModelEntryQx410[] = "QX410 MCU Development Kit";  // model index 0
inline constexpr const char kModelEntryOrvenf[] = "ORVENF Emulator";            // model index 1
inline constexpr const char kModelNotConnected[] = "未连接...";
inline constexpr const char kModelQx410Connected[] = "QX410(ORVEND) [已连接]";
inline constexpr const char kModelOrvenfConnected[] = "ORVENF [已连接]";
inline constexpr const char kFirmwareLabel[] = "固件版本：";
inline constexpr const char kSerialLabel[] = "序列号：";
inline constexpr const char kConnectFirstCaption[] = "连    接";  // before the first press
inline constexpr const char kConnectCaption[] = "连接编程器";
inline constexpr const char kDisconnectCaption[] = "断开连接";
inline constexpr const char kChipLabel[] = "芯片型号：";
inline constexpr const char kConfigButton[] = "配置设置/查看";
inline constexpr const char kChipSelectButton[] = "型号选择";
inline constexpr const char kDataFileLabel[] = "数据文件：";
inline constexpr const char kDataFileButton[] = "...";
inline constexpr const char kOperationsGroup[] = "操作";
inline constexpr const char kOpAuto[] = "自动下载";
inline constexpr const char kOpErase[] = "擦除";
inline constexpr const char kOpBlankCheck[] = "查空";
inline constexpr const char kOpWrite[] = "写入";
inline constexpr const char kOpRead[] = "读取";
inline constexpr const char kOpVerify[] = "校验";
inline constexpr const char kOpReadConfig[] = "读取配置";
inline constexpr const char kOpWriteConfig[] = "写入配置";
inline constexpr const char kLogTab[] = "操作信息";
inline constexpr const char kDataBufferTab[] = "数据缓冲区";
// File-open filter as pairs of description and pattern, '|'-separated.
inline constexpr const char kHexFileFilter[] = "Intel Hex file(*.hex)|*.hex|All Files (*.*)|*.*||";
// The file-error box for a data file whose contents cannot be read: the path, then the system's reason.
inline constexpr const char kFileReadErrorFmt[] = "读取文件 %s 时发生错误.\n%s";
inline constexpr const char kAboutEntry[] = "关于 TORMIK(&A)...";
inline constexpr const char kAboutTitle[] = "关于 TORMIK";
inline constexpr const char kAboutText[] = "TORMIK V1.00 版";
// Title of the menu that carries the about entry where the platform gives a window no system menu.
inline constexpr const char kHelpMenu[] = "帮助(&H)";

// Firmware check after connecting.
inline constexpr const char kFirmwareUpdateDemanded[] = "编程器需要升级固件";
// Carried major, minor, build, then the device's major, minor, build (printf format).
inline constexpr const char kFirmwareVersionsFmt[] =
    "固件需要进行升级\n软件中的版本为: %d.%2.2X(build%d)\n设备中的版本为: %d.%2.2X(build%d)\n点击\"确定\"进行软件升级";

// Gang programming and stamps (texts of this program, in English like the rest of the command line's own).
// A programmer of the gang that answers as another model: the model it reported, then the one asked for.
inline constexpr const char kGangOtherModelFmt[] = "the programmer is a %s, not a %s\n";
inline constexpr const char kNextChipPrompt[] = "Insert the next chip and press Enter (q to quit)";

}  // namespace orven::app::texts
