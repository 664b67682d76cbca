// hexview-demo: the hex view over a 262,144-byte image buffer holding a small 8051 program and some text, in a
// window laid out like the programmer's log / data buffer tabs.
//
//   hexview-demo [--busy] [--screenshot FILE]
//
// --busy shows the look of a running device operation (read-only, greyed areas). --screenshot FILE puts the
// cursor on a byte, saves the window as a PNG once it is on screen and exits (status 1 if saving failed).
#include <QApplication>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <vector>

#include "hexview/hex_edit_widget.h"

namespace {

constexpr uint32_t kImageSize = 262144;

// Tab titles of the programmer window: the log and the data buffer.
const char* const kLogTab = "操作信息";
const char* const kDataTab = "数据缓冲区";

void FillImage(std::vector<uint8_t>& image) {
  // Reset and timer-0 vectors, then a start-up routine: the shape of a small compiled 8051 program.
  const std::vector<uint8_t> code = {
      0x02, 0x00, 0x30,                    // 0000 LJMP 0030h
      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
      0x02, 0x00, 0x60,                    // 000B LJMP 0060h (timer 0)
  };
  std::copy(code.begin(), code.end(), image.begin());
  const std::vector<uint8_t> start = {
      0x75, 0x81, 0x5F,  // MOV SP,#5Fh
      0x75, 0x89, 0x01,  // MOV TMOD,#01h
      0x75, 0x8C, 0x3C,  // MOV TH0,#3Ch
      0x75, 0x8A, 0xB0,  // MOV TL0,#0B0h
      0xD2, 0xA9,        // SETB ET0
      0xD2, 0xAF,        // SETB EA
      0xD2, 0x8C,        // SETB TR0
      0x90, 0x00, 0x80,  // MOV DPTR,#0080h
      0xE4, 0x93,        // CLR A / MOVC A,@A+DPTR
      0x60, 0xFE,        // JZ $
      0xF5, 0x99,        // MOV SBUF,A
      0x80, 0xF6,        // SJMP back
  };
  std::copy(start.begin(), start.end(), image.begin() + 0x30);
  const std::vector<uint8_t> timer = {0xC0, 0xE0, 0x63, 0x90, 0x01, 0xD0, 0xE0, 0x32};  // toggle P1.0, RETI
  std::copy(timer.begin(), timer.end(), image.begin() + 0x60);
  const char text[] = "ORVEN TORMIK hex view demo 0123456789";
  std::copy(text, text + sizeof text, image.begin() + 0x80);
  for (uint32_t i = 0; i < 0x40; ++i) image[0xC0 + i] = static_cast<uint8_t>(i * 4);
  for (uint32_t i = 0x100; i < 0x180; ++i) image[i] = static_cast<uint8_t>(i ^ 0x5A);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QString screenshot;
  bool busy = false;
  const QStringList args = QApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--busy")) {
      busy = true;
    } else if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size()) {
      screenshot = args[++i];
    } else {
      std::fprintf(stderr, "usage: hexview-demo [--busy] [--screenshot FILE]\n");
      return 2;
    }
  }

  std::vector<uint8_t> image(kImageSize, 0xFF);
  FillImage(image);

  QWidget window;
  window.setWindowTitle(QStringLiteral("hexview-demo"));
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(0);
  auto* tabs = new QTabBar(&window);
  tabs->addTab(QString::fromUtf8(kLogTab));
  tabs->addTab(QString::fromUtf8(kDataTab));
  auto* pages = new QStackedWidget(&window);
  auto* log = new QPlainTextEdit(&window);
  log->setReadOnly(true);
  auto* view = new orven::hexview::CHexEditWidget(&window);
  view->SetData(image.data(), kImageSize);
  view->SetHexAddresses(true);
  view->SetOperationRunning(busy);
  pages->addWidget(log);
  pages->addWidget(view);
  layout->addWidget(tabs);
  layout->addWidget(pages);
  QObject::connect(tabs, &QTabBar::currentChanged, pages, &QStackedWidget::setCurrentIndex);
  tabs->setCurrentIndex(1);
  window.setFixedSize(window.sizeHint());
  window.show();
  view->setFocus();

  if (!screenshot.isEmpty()) {
    // Cursor on the low nibble of offset 0x35 (the TMOD value), clicked as a user would.
    view->Ctrl().OnLButtonDown(80 + 5 * 24 + 12, 16 * 4 + 4);
    view->Refresh();
    QTimer::singleShot(300, &window, [&] {
      const bool saved = window.grab().save(screenshot, "PNG");
      std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "saved" : "cannot save", qPrintable(screenshot));
      QApplication::exit(saved ? 0 : 1);
    });
  }
  return QApplication::exec();
}
