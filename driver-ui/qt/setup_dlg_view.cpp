#include "driver-ui/qt/setup_dlg_view.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "driver-ui/qt/setup_dlg_images.h"

namespace orven::driverui {
namespace {

// The dialog template asks for the 8-point shell dialog font. Chinese Windows draws that font with a 9-point
// CJK face, and a CJK face at 8 points loses the strokes of the labels, so the view uses 9 points of the
// application's face (WenQuanYi Micro Hei where the CJK fonts come from).
constexpr int kDialogPointSize = 9;

// Template size in dialog units.
constexpr int kWidthUnits = 297;
constexpr int kHeightUnits = 246;

QString FromRecord(const char* text) {
  // Windows line breaks in the driver's texts; Qt wants single newlines.
  return text ? QString::fromUtf8(text).replace(QLatin1String("\r\n"), QLatin1String("\n")) : QString();
}

// Places a control at its template rectangle, widened or heightened (about its centre line) when the font
// needs more room than the template gives, so no text is cut.
void Place(QWidget* w, const QRect& rect) {
  const QSize hint = w->sizeHint();
  QRect r = rect;
  if (hint.width() > r.width()) r.setWidth(hint.width());
  if (hint.height() > r.height()) {
    const int grow = hint.height() - r.height();
    r.setTop(r.top() - grow / 2);
    r.setHeight(hint.height());
  }
  w->setGeometry(r);
}

void FillList(QComboBox* list, const char* const* names, uint32_t count) {
  list->clear();
  for (uint32_t i = 0; names && i < count; ++i) list->addItem(QString::fromUtf8(names[i]));
}

}  // namespace

DialogUnits DialogUnits::ForFont(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  DialogUnits units;
  units.baseX = (letters / 26 + 1) / 2;
  units.baseY = metrics.height();
  if (units.baseX < 1) units.baseX = 1;
  if (units.baseY < 1) units.baseY = 1;
  return units;
}

QFont SetupDialogFont() {
  QFont font = QApplication::font();
  font.setPointSize(kDialogPointSize);
  return font;
}

CSetupDlgView::CSetupDlgView(OrvendSetupDialog* dialog, QWidget* parent) : QDialog(parent), dialog_(dialog) {
  setFont(SetupDialogFont());
  units_ = DialogUnits::ForFont(font());
  setWindowTitle(FromRecord(dialog_->caption));
  setFixedSize(units_.X(kWidthUnits), units_.Y(kHeightUnits));
  BuildControls();
  ShowRecord();
}

void CSetupDlgView::BuildControls() {
  const DialogUnits& u = units_;

  // Group boxes first, so they lie under the controls they frame.
  auto* emulation = new QGroupBox(FromRecord(dialog_->emulation_group), this);
  emulation->setGeometry(u.Rect(4, 44, 288, 60));
  auto* download = new QGroupBox(FromRecord(dialog_->download_group), this);
  download->setGeometry(u.Rect(4, 108, 288, 63));
  auto* product = new QGroupBox(FromRecord(dialog_->product_group), this);
  product->setGeometry(u.Rect(4, 174, 288, 49));

  auto* banner = new QLabel(this);
  banner->setObjectName(QStringLiteral("banner"));
  banner->setGeometry(u.Rect(0, 0, 297, 41));
  banner->setPixmap(BannerBitmap(banner->size()));

  pauseBox_ = new QCheckBox(FromRecord(dialog_->pause_label), this);
  pauseBox_->setObjectName(QStringLiteral("pause"));
  Place(pauseBox_, u.Rect(11, 60, 194, 10));

  pauseNote_ = new QLabel(this);
  pauseNote_->setObjectName(QStringLiteral("note"));
  pauseNote_->setWordWrap(true);
  pauseNote_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  pauseNote_->setGeometry(u.Rect(11, 73, 274, 29));

  vendorLabel_ = new QLabel(FromRecord(dialog_->vendor_label), this);
  Place(vendorLabel_, u.Rect(183, 116, 97, 8));
  vendorList_ = new QComboBox(this);
  vendorList_->setObjectName(QStringLiteral("vendors"));
  vendorList_->setGeometry(u.X(183), u.Y(125), u.X(100), vendorList_->sizeHint().height());

  auto* chipPicture = new QLabel(this);
  chipPicture->setObjectName(QStringLiteral("chipPicture"));
  chipPicture->setGeometry(u.Rect(22, 127, 20, 18));
  chipPicture->setPixmap(ChipBitmap(chipPicture->size()));

  modelLabel_ = new QLabel(FromRecord(dialog_->model_label), this);
  Place(modelLabel_, u.Rect(183, 142, 99, 8));
  modelList_ = new QComboBox(this);
  modelList_->setObjectName(QStringLiteral("models"));
  modelList_->setGeometry(u.X(183), u.Y(151), u.X(100), modelList_->sizeHint().height());
  // The longest chip name must show whole in the open list.
  modelList_->view()->setMinimumWidth(modelList_->width());

  podBox_ = new QCheckBox(FromRecord(dialog_->pod_label), this);
  podBox_->setObjectName(QStringLiteral("pod"));
  Place(podBox_, u.Rect(22, 153, 122, 10));

  productInfo_ = new QPlainTextEdit(this);
  productInfo_->setObjectName(QStringLiteral("product"));
  productInfo_->setReadOnly(true);
  productInfo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  productInfo_->setGeometry(u.Rect(9, 183, 277, 35));

  ok_ = new QPushButton(FromRecord(dialog_->ok_label), this);
  ok_->setObjectName(QStringLiteral("ok"));
  ok_->setDefault(true);
  Place(ok_, u.Rect(81, 228, 50, 14));
  cancel_ = new QPushButton(FromRecord(dialog_->cancel_label), this);
  cancel_->setObjectName(QStringLiteral("cancel"));
  Place(cancel_, u.Rect(166, 228, 50, 14));

  connect(pauseBox_, &QCheckBox::clicked, this, [this](bool checked) {
    if (dialog_->pause_box_clicked) dialog_->pause_box_clicked(dialog_->context, checked ? 1 : 0);
    ShowRecord();
  });
  connect(podBox_, &QCheckBox::clicked, this, [this](bool checked) {
    if (dialog_->pod_box_clicked) dialog_->pod_box_clicked(dialog_->context, checked ? 1 : 0);
    ShowRecord();
  });
  // Only a change of selection counts; ShowRecord blocks the signals while it sets the lists itself.
  connect(vendorList_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (dialog_->vendor_selected) dialog_->vendor_selected(dialog_->context, index);
    ShowRecord();
  });
  connect(modelList_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (dialog_->model_selected) dialog_->model_selected(dialog_->context, index);
    ShowRecord();
  });
  connect(ok_, &QPushButton::clicked, this, &CSetupDlgView::accept);
  connect(cancel_, &QPushButton::clicked, this, &CSetupDlgView::reject);
}

void CSetupDlgView::ShowRecord() {
  const QSignalBlocker blockVendors(vendorList_);
  const QSignalBlocker blockModels(modelList_);

  pauseBox_->setChecked(dialog_->pause_checked != 0);
  podBox_->setChecked(dialog_->pod_checked != 0);
  pauseNote_->setText(FromRecord(dialog_->pause_note));
  const QString product = FromRecord(dialog_->product_text);
  if (productInfo_->toPlainText() != product) productInfo_->setPlainText(product);

  if (vendorList_->count() != static_cast<int>(dialog_->vendor_count)) {
    FillList(vendorList_, dialog_->vendor_names, dialog_->vendor_count);
  }
  vendorList_->setCurrentIndex(dialog_->vendor_selection);
  if (!modelsShown_ || shownModelSerial_ != dialog_->model_list_serial) {
    FillList(modelList_, dialog_->model_names, dialog_->model_count);
    shownModelSerial_ = dialog_->model_list_serial;
    modelsShown_ = true;
  }
  modelList_->setCurrentIndex(dialog_->model_selection);

  const bool enabled = dialog_->chip_lists_enabled != 0;
  vendorList_->setEnabled(enabled);
  modelList_->setEnabled(enabled);
  vendorLabel_->setEnabled(enabled);
  modelLabel_->setEnabled(enabled);
}

void CSetupDlgView::accept() {
  if (dialog_->ok) dialog_->ok(dialog_->context);
  QDialog::accept();
}

void CSetupDlgView::reject() {
  if (dialog_->cancel) dialog_->cancel(dialog_->context);
  QDialog::reject();
}

int OrvendQtSetupDialog(void* context, OrvendSetupDialog* dialog) {
  if (!dialog) return 0;
  CSetupDlgView view(dialog, static_cast<QWidget*>(context));
  return view.exec() == QDialog::Accepted ? 1 : 0;
}

}  // namespace orven::driverui
