// Texts of the chip configuration module that the user sees, kept exactly as the program shows them.
#pragma once

namespace orven::chipcfg {

// Message box text (error icon) when a chip configuration file cannot be opened or does not check.
inline constexpr const char* kConfigFileOpenFailed = "芯片配置文件开启失败.";

// Check-box labels used when the item's option text gives none.
inline constexpr const char* kCheckBoxUncheckedLabel = "No";
inline constexpr const char* kCheckBoxCheckedLabel = "Yes";

// The editor: heading of the description pane, the dialog's caption and buttons.
inline constexpr const char* kDescriptionHeading = "Description:";
inline constexpr const char* kConfigDlgCaption = "Dialog";
inline constexpr const char* kOkButton = "确定";
inline constexpr const char* kCancelButton = "取消";

}  // namespace orven::chipcfg
