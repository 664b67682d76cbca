#include "app/gui/main_window_dlg.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabBar>
#include <QThread>
#include <QVBoxLayout>

#include "app/gui/sel_chip_dlg.h"
#include "tormik/texts.h"
#include "chipcfg/config_dlg.h"
#include "hexview/hex_edit_widget.h"

namespace orven::app {
namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }
QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

// Where the hex view sits in the tab area: below the tab strip, 482 x 276.
constexpr int kTabAreaWidth = 486;
constexpr int kPageLeft = 2;
constexpr int kPageTop = 22;
constexpr int kPageWidth = 482;
constexpr int kPageHeight = 276;

bool IsSwallowedKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_Space;
}

}  // namespace

QString QtFileFilter(const char* pairs) {
  const QStringList parts = Q(pairs).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
    // "*.*" means every file; on Linux many files have no extension, so it becomes "*" here. Qt takes the
    // patterns from the last parentheses; with the details hidden, the dialog shows the description alone.
    QString patterns = parts[i + 1];
    patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
    filters << parts[i] + QStringLiteral(" (") + patterns + ')';
  }
  return filters.join(QStringLiteral(";;"));
}

CORVENXFlashDlg::CORVENXFlashDlg(link::HidBackend& backend, Clock& clock, std::string settingsPath, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(Q(texts::kWindowTitle));
  // The installed icon first (share/icons/hicolor), then the desktop theme's.
  setWindowIcon(QIcon::fromTheme(QStringLiteral("tormik"),
                                 QIcon::fromTheme(QStringLiteral("applications-electronics"),
                                                  style()->standardIcon(QStyle::SP_DriveHDIcon))));
  setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);
  logic_ = std::make_unique<MainWindowLogic>(backend, clock, std::move(settingsPath), *this);
  logic_->SetNotificationSink(this);
  logic_->SetConfigEditor(
      [this](const std::string& path, uint8_t* config) { return chipcfg::OpenConfigEditor(this, path, config); });
  BuildControls();
  // Enter, Escape and Space never reach the window's controls: the window does not close on a key, and a
  // key does not press a button.
  qApp->installEventFilter(this);
  logic_->Start();
  hexView_->SetData(logic_->Buffer().Image(), ImageBuffer::kImageSize);
  hexView_->SetHexAddresses(true);
  ControlsChanged();
}

CORVENXFlashDlg::~CORVENXFlashDlg() {
  qApp->removeEventFilter(this);
  // A worker still running needs this thread to take its notifications up to "finished".
  while (logic_->Controls().operationRunning) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  logic_.reset();
}

void CORVENXFlashDlg::BuildControls() {
  auto* root = new QVBoxLayout(this);
  auto* menuBar = new QMenuBar(this);
  QMenu* help = menuBar->addMenu(Q(texts::kHelpMenu));
  help->addSeparator();
  connect(help->addAction(Q(texts::kAboutEntry)), &QAction::triggered, this, &CORVENXFlashDlg::ShowAbout);
  root->setMenuBar(menuBar);

  auto* grid = new QGridLayout;
  modelChoice_ = new QComboBox(this);
  modelChoice_->addItem(Q(texts::kModelEntryQx410));
  modelChoice_->addItem(Q(texts::kModelEntryOrvenf));
  modelLabel_ = new QLabel(Q(texts::kModelNotConnected), this);
  modelLabel_->setObjectName(QStringLiteral("modelLabel"));
  connect_ = new QPushButton(Q(texts::kConnectFirstCaption), this);
  grid->addWidget(new QLabel(Q(texts::kModelChoiceLabel), this), 0, 0);
  grid->addWidget(modelChoice_, 0, 1, 1, 3);
  grid->addWidget(modelLabel_, 0, 1, 1, 3);
  grid->addWidget(connect_, 0, 4);

  firmware_ = new QLineEdit(this);
  serial_ = new QLineEdit(this);
  grid->addWidget(new QLabel(Q(texts::kFirmwareLabel), this), 1, 0);
  grid->addWidget(firmware_, 1, 1);
  grid->addWidget(new QLabel(Q(texts::kSerialLabel), this), 1, 2);
  grid->addWidget(serial_, 1, 3, 1, 2);

  chipName_ = new QLineEdit(this);
  config_ = new QPushButton(Q(texts::kConfigButton), this);
  chipSelect_ = new QPushButton(Q(texts::kChipSelectButton), this);
  grid->addWidget(new QLabel(Q(texts::kChipLabel), this), 2, 0);
  grid->addWidget(chipName_, 2, 1, 1, 2);
  grid->addWidget(config_, 2, 3);
  grid->addWidget(chipSelect_, 2, 4);

  dataFilePath_ = new QLineEdit(this);
  dataFile_ = new QPushButton(Q(texts::kDataFileButton), this);
  grid->addWidget(new QLabel(Q(texts::kDataFileLabel), this), 3, 0);
  grid->addWidget(dataFilePath_, 3, 1, 1, 3);
  grid->addWidget(dataFile_, 3, 4);
  for (QLineEdit* edit : {firmware_, serial_, chipName_, dataFilePath_}) {
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  root->addLayout(grid);

  auto* group = new QGroupBox(Q(texts::kOperationsGroup), this);
  auto* ops = new QHBoxLayout(group);
  ops->setSpacing(4);
  // One width for every operation button, and room for all of them, so the window keeps its size whichever
  // buttons the chip shows.
  int buttonWidth = 0;
  for (int i = 0; i < kOpButtonCount; ++i) {
    buttonWidth = std::max(buttonWidth, fontMetrics().horizontalAdvance(Q(OpButtonOf(static_cast<OpButton>(i)).caption)));
  }
  buttonWidth += 16;
  for (int i = 0; i < kOpButtonCount; ++i) {
    const auto button = static_cast<OpButton>(i);
    auto* widget = new QPushButton(Q(OpButtonOf(button).caption), group);
    widget->setAutoDefault(false);
    widget->setFixedWidth(buttonWidth);
    opButtons_[static_cast<size_t>(i)] = widget;
    ops->addWidget(widget);
    connect(widget, &QPushButton::clicked, this, [this, button] { logic_->PressOperation(button); });
  }
  ops->addStretch(1);
  // "自动下载" and "擦除" share a place: seven at most.
  opButtons_[static_cast<size_t>(OpButton::kAuto)]->hide();
  group->setMinimumWidth(group->sizeHint().width());
  root->addWidget(group);

  progress_ = new QProgressBar(this);
  progress_->setTextVisible(false);
  progress_->setFixedHeight(14);
  QSizePolicy keepPlace = progress_->sizePolicy();
  keepPlace.setRetainSizeWhenHidden(true);
  progress_->setSizePolicy(keepPlace);
  progress_->hide();
  root->addWidget(progress_);
  root->addWidget(BuildTabArea(), 0, Qt::AlignHCenter);

  for (QPushButton* button : {connect_, config_, chipSelect_, dataFile_}) button->setAutoDefault(false);
  connect(modelChoice_, &QComboBox::currentIndexChanged, this, [this](int index) { logic_->SelectModel(index); });
  connect(connect_, &QPushButton::clicked, this, [this] { logic_->PressConnect(); });
  connect(chipSelect_, &QPushButton::clicked, this, &CORVENXFlashDlg::OnChipSelect);
  connect(dataFile_, &QPushButton::clicked, this, &CORVENXFlashDlg::OnDataFile);
  connect(config_, &QPushButton::clicked, this, [this] { logic_->PressConfig(); });
  root->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* CORVENXFlashDlg::BuildTabArea() {
  auto* area = new QWidget(this);
  tabs_ = new QTabBar(area);
  tabs_->setDrawBase(false);
  tabs_->setExpanding(false);
  tabs_->addTab(Q(texts::kLogTab));
  tabs_->addTab(Q(texts::kDataBufferTab));
  const int top = std::max(kPageTop, tabs_->sizeHint().height());
  tabs_->setGeometry(0, 0, kTabAreaWidth, top);
  auto* frame = new QFrame(area);
  frame->setFrameShape(QFrame::StyledPanel);
  frame->setGeometry(0, top - 1, kTabAreaWidth, kPageHeight + 4);
  log_ = new QPlainTextEdit(area);
  log_->setReadOnly(true);
  log_->setGeometry(kPageLeft, top, kPageWidth, kPageHeight);
  hexView_ = new hexview::CHexEditWidget(area);
  hexView_->setGeometry(kPageLeft, top, kPageWidth, kPageHeight);
  hexView_->hide();
  area->setFixedSize(kTabAreaWidth, top + kPageHeight + 3);
  connect(tabs_, &QTabBar::currentChanged, this,
          [this](int index) { logic_->SelectTab(index == 1 ? WindowTab::kDataBuffer : WindowTab::kLog); });
  return area;
}

void CORVENXFlashDlg::ControlsChanged() {
  const WindowControls& c = logic_->Controls();
  {
    const QSignalBlocker block(modelChoice_);
    modelChoice_->setCurrentIndex(c.modelIndex);
  }
  modelChoice_->setVisible(c.modelChoiceVisible);
  modelLabel_->setText(Q(c.modelLabel));
  modelLabel_->setVisible(c.modelLabelVisible);
  firmware_->setText(Q(c.firmwareVersion));
  serial_->setText(Q(c.serialNumber));
  connect_->setText(Q(c.connectCaption));
  chipName_->setText(Q(c.chipName));
  if (dataFilePath_->text() != Q(c.dataFile)) {
    dataFilePath_->setText(Q(c.dataFile));
    dataFilePath_->setCursorPosition(dataFilePath_->text().size());
  }
  config_->setVisible(c.configButtonVisible);
  for (QPushButton* button : {connect_, chipSelect_, dataFile_, config_}) button->setEnabled(c.chipControlsEnabled);
  for (size_t i = 0; i < opButtons_.size(); ++i) {
    opButtons_[i]->setVisible(c.opVisible[i]);
    opButtons_[i]->setEnabled(c.opEnabled[i]);
  }
  if (c.progressVisible) {
    progress_->setRange(0, static_cast<int>(c.progressMax));
    progress_->setValue(static_cast<int>(c.progressValue));
  }
  progress_->setVisible(c.progressVisible);
  {
    const QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(c.tab == WindowTab::kDataBuffer ? 1 : 0);
  }
  log_->setVisible(c.tab == WindowTab::kLog);
  hexView_->setVisible(c.tab == WindowTab::kDataBuffer);
  if (c.operationRunning != hexRunning_) {
    hexRunning_ = c.operationRunning;
    hexView_->SetOperationRunning(hexRunning_);
    hexView_->Refresh();
  }
}

void CORVENXFlashDlg::AppendLog(const std::string& text) {
  QTextCursor end = log_->textCursor();
  end.movePosition(QTextCursor::End);
  end.insertText(Q(text));
  log_->setTextCursor(end);
  log_->verticalScrollBar()->setValue(log_->verticalScrollBar()->maximum());
}

void CORVENXFlashDlg::ImageChanged() { hexView_->Refresh(); }

void CORVENXFlashDlg::ShowMessage(MessageIcon icon, const std::string& text) {
  QMessageBox box(icon == MessageIcon::kError ? QMessageBox::Critical : QMessageBox::Warning, windowTitle(), Q(text),
                  QMessageBox::Ok, this);
  box.exec();
}

bool CORVENXFlashDlg::AskYesNo(const std::string& text) {
  QMessageBox box(QMessageBox::Warning, windowTitle(), Q(text), QMessageBox::Yes | QMessageBox::No, this);
  return box.exec() == QMessageBox::Yes;
}

void CORVENXFlashDlg::Notify(const programmer::Notification& notification) {
  if (QThread::currentThread() == thread()) {
    logic_->OnNotification(notification);
    return;
  }
  // The worker waits here until the window has handled the notification; its text lives until then.
  QMetaObject::invokeMethod(
      this, [this, &notification] { logic_->OnNotification(notification); }, Qt::BlockingQueuedConnection);
}

void CORVENXFlashDlg::OnChipSelect() {
  ChipSelection selection = logic_->MakeChipSelection();
  CSelChipDlg dialog(selection, this);
  if (dialog.exec() == QDialog::Accepted && dialog.Result()) logic_->ApplyChipSelection(*dialog.Result());
}

void CORVENXFlashDlg::OnDataFile() {
  QFileDialog dialog(this, QString(), QString(), QtFileFilter(texts::kHexFileFilter));
  dialog.setObjectName(QStringLiteral("dataFileDialog"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  logic_->LoadDataFile(dialog.selectedFiles().first().toStdString());
}

void CORVENXFlashDlg::ShowAbout() { QMessageBox::about(this, Q(texts::kAboutTitle), Q(texts::kAboutText)); }

void CORVENXFlashDlg::reject() {
  if (logic_->Controls().operationRunning) return;
  QDialog::reject();
}

bool CORVENXFlashDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && (widget == this || isAncestorOf(widget)) &&
        IsSwallowedKey(static_cast<QKeyEvent*>(event)->key())) {
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace orven::app
