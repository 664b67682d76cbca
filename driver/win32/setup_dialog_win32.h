// The setup dialog as the DLL's dialog resource 5004, driven by the driver's dialog model.
#pragma once

#include "orvend/orvend.h"

namespace orven::driver::win32 {

// Runs dialog 5004 modally over the model, owned by `owner` (an HWND, or null for the desktop). 1 after OK,
// 0 after Cancel or when the dialog cannot be created.
int RunSetupDialogResource(void* owner, OrvendSetupDialog* dialog);

}  // namespace orven::driver::win32
