// --gui: the setup dialog as the Qt view of the driver's dialog record, run modally on the command thread.
#include <QApplication>

#include "driver-ui/qt/setup_dlg_view.h"
#include "host/debug_host.h"
#include "tools/orvhost/setup_gui.h"

namespace orven::orvhost {
namespace {

// Lives until RemoveSetupGui (or the end of the process): the dialog may be asked for by any later setup command.
QApplication* g_app = nullptr;

}  // namespace

bool SetupGuiAvailable() { return true; }

void InstallSetupGui(host::DebugHost& host, int& argc, char** argv) {
  if (g_app == nullptr) g_app = new QApplication(argc, argv);
  host.SetSetupDialogRunner(&driverui::OrvendQtSetupDialog, nullptr);
}

void RemoveSetupGui() {
  delete g_app;
  g_app = nullptr;
}

}  // namespace orven::orvhost
