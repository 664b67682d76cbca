// orvend-setup-demo: the driver's setup dialog in its Qt view over sample data, the way a Qt host shows it.
//
//   orvend-setup-demo [--options "-E%d -F%d -V%d -C%d"] [--no-emulator | --build N] [--screenshot FILE]
//
// The sample emulator reports firmware V2.06 build 563 (--build changes the build, --no-emulator leaves it
// out). After OK the program prints the options the dialog chose; after Cancel it prints "cancel".
// --screenshot FILE saves the dialog, in its window frame with the caption, as a PNG and exits.
#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "driver-ui/qt/framed_grab.h"
#include "driver-ui/qt/setup_dlg_view.h"
#include "driver-ui/setup_dialog_adapter.h"

namespace {

using orven::driverui::SetupOptions;

struct ScreenshotView {
  QString file;
  bool saved = false;
};

// The view of --screenshot: shows the dialog, grabs it with its frame and caption once it has been laid out,
// closes it with Cancel.
int ScreenshotSetupDialog(void* context, OrvendSetupDialog* dialog) {
  auto* shot = static_cast<ScreenshotView*>(context);
  orven::driverui::CSetupDlgView view(dialog);
  view.show();
  QTimer::singleShot(300, &view, [&] {
    shot->saved = orven::driverui::GrabWithFrame(view).save(shot->file, "PNG");
    view.reject();
  });
  return view.exec() == QDialog::Accepted ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Sample state: pause on, downloads programming an STC chip.
  SetupOptions options{1, 15, 2, 3};
  bool emulator = true;
  uint32_t build = 563;
  ScreenshotView shot;
  const QStringList args = QApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--options") && i + 1 < args.size()) {
      const QByteArray text = args[++i].toUtf8();
      if (std::sscanf(text.constData(), "-E%d -F%d -V%d -C%d", &options.e, &options.f, &options.v, &options.c) != 4) {
        std::fprintf(stderr, "orvend-setup-demo: the options read \"-E%%d -F%%d -V%%d -C%%d\"\n");
        return 2;
      }
    } else if (args[i] == QLatin1String("--no-emulator")) {
      emulator = false;
    } else if (args[i] == QLatin1String("--build") && i + 1 < args.size()) {
      build = args[++i].toUInt();
    } else if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size()) {
      shot.file = args[++i];
    } else {
      std::fprintf(stderr,
                   "usage: orvend-setup-demo [--options TEXT] [--no-emulator | --build N] [--screenshot FILE]\n");
      return 2;
    }
  }

  orven::IdentificationBlock id;
  id.SetModelWord(orven::kModelQx410);
  id.SetVersion(2, 0x06, build);
  id.SetSerial(0x20, 0x26, 0x0C, 0x5A);
  const uint8_t* identification = emulator ? id.bytes : nullptr;

  if (!shot.file.isEmpty()) {
    orven::driverui::RunSetupDialog(options, identification, &ScreenshotSetupDialog, &shot);
    std::fprintf(shot.saved ? stdout : stderr, "%s %s\n", shot.saved ? "saved" : "cannot save",
                 qPrintable(shot.file));
    return shot.saved ? 0 : 1;
  }

  if (orven::driverui::RunSetupDialog(options, identification, &orven::driverui::OrvendQtSetupDialog, nullptr) == 1) {
    std::printf("-E%d -F%d -V%d -C%d\n", options.e, options.f, options.v, options.c);
  } else {
    std::printf("cancel\n");
  }
  return 0;
}
