// cfgedit-demo: the configuration editor over a 32-byte configuration buffer holding the chip's default bytes.
//
//   cfgedit-demo [FILE.cfg | --chip NAME] [--screenshot FILE]
//
// Without a file it opens the MEGA16 file beside the program (--chip picks another by name). On OK it prints
// the buffer before and after. --screenshot FILE shows the editor with one category closed, an item selected
// and a drop-down open, saves the dialog together with the open list as a PNG and exits.
#include <QApplication>
#include <QComboBox>
#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <array>
#include <cstdio>
#include <string>

#include "chipcfg/chip_config_defaults.h"
#include "chipcfg/config_dlg.h"
#include "chipcfg/qt/list_item.h"
#include "chipcfg/qt/my_list.h"
#include "chipcfg/qt/prop_list_ctrl.h"
#include "chipcfg/texts.h"

namespace {

using orven::chipcfg::CConfigDlg;
using orven::chipcfg::CMyList;

void PrintBuffer(const char* label, const std::array<uint8_t, 32>& config) {
  std::printf("%s", label);
  for (uint8_t b : config) std::printf(" %02X", b);
  std::printf("\n");
}

int FindRow(const CMyList* list, const QString& name) {
  for (int i = 0; i < list->RowCount(); ++i) {
    if (list->Row(i)->Name() == name) return i;
  }
  return -1;
}

// Clicks the list body as a user would, so the row is selected and its editor shown the normal way.
void Click(CMyList* list, const QPoint& at) {
  QWidget* body = list->viewport();
  const QPointF local(at);
  const QPointF global(body->mapToGlobal(at));
  QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(body, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(body, &release);
}

// The dialog's client area with the open drop-down list drawn where it lies on the screen.
QImage GrabWithPopup(CConfigDlg& dialog, QWidget* popup) {
  const QPoint origin = dialog.mapToGlobal(QPoint(0, 0));
  QRect area(QPoint(0, 0), dialog.size());
  QPoint popupAt;
  if (popup && popup->isVisible()) {
    popupAt = popup->mapToGlobal(QPoint(0, 0)) - origin;
    area = area.united(QRect(popupAt, popup->size()));
  }
  QImage image(area.size(), QImage::Format_RGB32);
  image.fill(QColor(0x6B, 0x6B, 0x6B));
  QPainter painter(&image);
  painter.drawPixmap(-area.topLeft(), dialog.grab());
  if (popup && popup->isVisible()) painter.drawPixmap(popupAt - area.topLeft(), popup->grab());
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::string path;
  QString screenshot;
  const QStringList args = QApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size()) {
      screenshot = args[++i];
    } else if (args[i] == QLatin1String("--chip") && i + 1 < args.size()) {
      path = orven::chipcfg::ConfigFilePath(args[++i].toStdString());
    } else if (!args[i].startsWith(QLatin1String("--")) && path.empty()) {
      path = args[i].toStdString();
    } else {
      std::fprintf(stderr, "usage: cfgedit-demo [FILE.cfg | --chip NAME] [--screenshot FILE]\n");
      return 2;
    }
  }
  if (path.empty()) path = orven::chipcfg::ConfigFilePath("MEGA16");

  std::array<uint8_t, 32> config{};
  orven::chipcfg::LoadConfigDefaultsFrom(path, config.data());
  PrintBuffer("before:", config);

  if (screenshot.isEmpty()) {
    if (!orven::chipcfg::OpenConfigEditor(nullptr, path, config.data())) {
      std::fprintf(stderr, "%s %s\n", orven::chipcfg::kConfigFileOpenFailed, path.c_str());
      return 1;
    }
    PrintBuffer("after: ", config);
    return 0;
  }

  CConfigDlg dialog;
  if (!dialog.CheckConfigFile(path)) {
    std::fprintf(stderr, "%s %s\n", orven::chipcfg::kConfigFileOpenFailed, path.c_str());
    return 1;
  }
  dialog.SetConfigBuffer(config.data());
  dialog.show();
  QComboBox* dropDown = nullptr;
  QTimer::singleShot(200, &dialog, [&] {
    CMyList* list = dialog.PropList()->List();
    // Close the programming interface category, then open the boot-size choice below it.
    const int category = FindRow(list, QStringLiteral("编程与调试"));
    if (category >= 0) list->ToggleCategory(category);
    const int row = FindRow(list, QStringLiteral("BOOTSZ"));
    if (row < 0) return;
    Click(list, list->EditorCell(row).center());
    dropDown = qobject_cast<QComboBox*>(list->Row(row)->Editor());
    if (dropDown) dropDown->showPopup();
  });
  QTimer::singleShot(700, &dialog, [&] {
    QWidget* popup = dropDown ? dropDown->view()->window() : nullptr;
    const bool saved = GrabWithPopup(dialog, popup).save(screenshot, "PNG");
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "saved" : "cannot save", qPrintable(screenshot));
    QApplication::exit(saved ? 0 : 1);
  });
  return QApplication::exec();
}
