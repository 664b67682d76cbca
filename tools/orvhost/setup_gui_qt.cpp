// --gui: the setup dialog as the Qt view of the driver's dialog record, run modally on the command thread.
#include <QApplication>

#include "driver-ui/qt/setup_dlg_view.h"
#include "tools/orvhost/debug_host.h"
#include "tools/orvhost/setup_gui.h"

namespace orven::orvhost {

bool SetupGuiAvailable() { return true; }

void InstallSetupGui(DebugHost& host, int& argc, char** argv) {
  // The application lives as long as the process: the dialog may be asked for by any later setup command.
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
  host.SetSetupDialogRunner(&driverui::OrvendQtSetupDialog, nullptr);
}

}  // namespace orven::orvhost
