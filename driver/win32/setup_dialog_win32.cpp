#include "driver/win32/setup_dialog_win32.h"

#include <windows.h>

#include "driver/win32/resource.h"

namespace orven::driver::win32 {

int RunSetupDialogResource(void*, OrvendSetupDialog*) { return 0; }

}  // namespace orven::driver::win32
