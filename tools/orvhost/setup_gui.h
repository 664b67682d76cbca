// The setup dialog as a window (--gui), when orvhost is built with Qt.
#pragma once

namespace orven::orvhost {

class DebugHost;

// True when this orvhost can show the setup dialog as a window.
bool SetupGuiAvailable();
// Makes the host's setup dialog a modal window; argc/argv go to the toolkit.
void InstallSetupGui(DebugHost& host, int& argc, char** argv);

}  // namespace orven::orvhost
