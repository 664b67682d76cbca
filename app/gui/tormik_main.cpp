// tormik: the programming window. CORVENXFlashApp picks the device environment (real USB, device processes
// behind ORVEN_HID_SOCKET, or the built-in simulator with --simulate), opens the window and runs it until the
// user closes it.
//
//   tormik [--simulate] [--settings FILE] [--connect] [--load HEX] [--run OP] [--screenshot PNG]
//
// --connect, --load and --run press the connect button, load a data file and press an operation button
// (auto, erase, blank, write, read, verify, fuse-read, fuse-write) once the window shows, for demonstrations
// and screenshots. --screenshot saves the window as a PNG and exits: after the steps above, or with --run
// when the operation's progress bar is half way.
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "tormik/device_environment.h"
#include "tormik/ini.h"
#include "app/gui/main_window_dlg.h"

namespace orven::app {
namespace {

struct TormikOptions {
  bool help = false;
  bool simulate = false;
  std::string settings;
  bool connect = false;
  std::string load;
  std::optional<OpButton> run;
  QString screenshot;
};

constexpr const char* kUsage =
    "usage: tormik [--simulate] [--settings FILE] [--connect] [--load HEX] [--run OP] [--screenshot PNG]\n"
    "  OP: auto erase blank write read verify fuse-read fuse-write\n";

std::optional<OpButton> ParseOp(const std::string& name) {
  static constexpr struct {
    const char* name;
    OpButton button;
  } kOps[] = {{"auto", OpButton::kAuto},         {"erase", OpButton::kErase},     {"blank", OpButton::kBlankCheck},
              {"write", OpButton::kWrite},       {"read", OpButton::kRead},       {"verify", OpButton::kVerify},
              {"fuse-read", OpButton::kReadConfig}, {"fuse-write", OpButton::kWriteConfig}};
  for (const auto& op : kOps) {
    if (name == op.name) return op.button;
  }
  return std::nullopt;
}

bool ParseOptions(const QStringList& args, TormikOptions* options) {
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
      options->help = true;
    } else if (arg == QLatin1String("--simulate")) {
      options->simulate = true;
    } else if (arg == QLatin1String("--connect")) {
      options->connect = true;
    } else if (arg == QLatin1String("--settings") && hasValue) {
      options->settings = args[++i].toStdString();
    } else if (arg == QLatin1String("--load") && hasValue) {
      options->load = args[++i].toStdString();
    } else if (arg == QLatin1String("--run") && hasValue) {
      options->run = ParseOp(args[++i].toStdString());
      if (!options->run) return false;
    } else if (arg == QLatin1String("--screenshot") && hasValue) {
      options->screenshot = args[++i];
    } else if (!arg.startsWith(QLatin1String("--")) && arg.startsWith(QLatin1Char('-'))) {
      // The toolkit's own options (-platform offscreen, -style fusion, …) are left to it.
      static const QStringList kWithValue = {QStringLiteral("-platform"), QStringLiteral("-style"),
                                             QStringLiteral("-display"), QStringLiteral("-stylesheet"),
                                             QStringLiteral("-platformtheme"), QStringLiteral("-qwindowgeometry")};
      if (kWithValue.contains(arg) && hasValue) ++i;
    } else {
      return false;
    }
  }
  return true;
}

// The window with the screenshot taken at the right moment: while an operation runs the worker waits inside
// a notification, so the picture shows the progress bar as it is.
class CaptureDlg final : public CORVENXFlashDlg {
 public:
  CaptureDlg(DeviceEnvironment& env, std::string settings, QString file, bool duringOperation)
      : CORVENXFlashDlg(env.Backend(), env.GetClock(), std::move(settings)), file_(std::move(file)),
        duringOperation_(duringOperation) {}

  // Saves the window once; false when the file could not be written.
  bool Capture() {
    if (taken_) return saved_;
    taken_ = true;
    saved_ = grab().save(file_, "PNG");
    std::fprintf(saved_ ? stdout : stderr, "%s %s\n", saved_ ? "saved" : "cannot save", qPrintable(file_));
    return saved_;
  }
  bool Taken() const { return taken_; }
  bool Saved() const { return saved_; }

 protected:
  void ControlsChanged() override {
    CORVENXFlashDlg::ControlsChanged();
    const WindowControls& c = Logic().Controls();
    if (duringOperation_ && !file_.isEmpty() && c.operationRunning && c.progressVisible && c.progressMax > 0 &&
        c.progressValue * 2 >= c.progressMax) {
      Capture();
    }
  }

 private:
  QString file_;
  bool duringOperation_;
  bool taken_ = false;
  bool saved_ = false;
};

}  // namespace

// The application object: one window, run modally until the user closes it.
class CORVENXFlashApp {
 public:
  int Run(int argc, char** argv) {
    // The options are read before the toolkit starts, so --help works without a display.
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    TormikOptions options;
    if (!ParseOptions(args, &options)) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    if (options.help) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TORMIK"));
    std::unique_ptr<DeviceEnvironment> env = DeviceEnvironment::Create(options.simulate);
    CaptureDlg window(*env, options.settings.empty() ? SettingsPath() : options.settings, options.screenshot,
                      options.run.has_value());
    window.show();
    if (options.connect || !options.load.empty() || options.run || !options.screenshot.isEmpty()) {
      QTimer::singleShot(300, &window, [&] { RunSteps(window, options); });
    }
    return window.exec();
  }

 private:
  static void RunSteps(CaptureDlg& window, const TormikOptions& options) {
    MainWindowLogic& logic = window.Logic();
    if (options.connect) logic.PressConnect();
    if (!options.load.empty()) logic.LoadDataFile(options.load);
    if (options.run) logic.PressOperation(*options.run);
    if (options.screenshot.isEmpty()) return;
    // Without --run (or when the operation never got half way) the picture shows the window as it is now.
    QTimer::singleShot(200, &window, [alive = QPointer<CaptureDlg>(&window)] { FinishWhenIdle(alive); });
  }

  // Leaves once the operation (if any) has finished, so the worker is not cut off.
  static void FinishWhenIdle(QPointer<CaptureDlg> window) {
    if (!window) return;
    if (window->Logic().Controls().operationRunning) {
      QTimer::singleShot(100, window, [window] { FinishWhenIdle(window); });
      return;
    }
    if (!window->Taken()) window->Capture();
    window->done(window->Saved() ? 0 : 1);
  }
};

}  // namespace orven::app

int main(int argc, char** argv) {
  orven::app::CORVENXFlashApp app;
  return app.Run(argc, argv);
}
