// Built without Qt: the printing setup dialog is the only one.
#include "tools/orvhost/setup_gui.h"

namespace orven::orvhost {

bool SetupGuiAvailable() { return false; }
void InstallSetupGui(host::DebugHost&, int&, char**) {}
void RemoveSetupGui() {}

}  // namespace orven::orvhost
