// The setup dialog as a window (--gui), when orvhost is built with Qt.
#pragma once

namespace orven::host {
class DebugHost;
}  // namespace orven::host

namespace orven::orvhost {

// True when this orvhost can show the setup dialog as a window.
bool SetupGuiAvailable();
// Makes the host's setup dialog a modal window; argc/argv go to the toolkit.
void InstallSetupGui(host::DebugHost& host, int& argc, char** argv);
// Closes the toolkit again (the host's setup dialog must not be asked for after this).
void RemoveSetupGui();

}  // namespace orven::orvhost
