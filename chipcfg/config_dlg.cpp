#include "chipcfg/config_dlg.h"

#include <QPushButton>
#include <QResizeEvent>
#include <array>

#include "chipcfg/texts.h"
#include "chipcfg/qt/list_item.h"
#include "chipcfg/qt/my_list.h"
#include "chipcfg/qt/prop_list_ctrl.h"
#include "chipcfg/qt/prop_list_images.h"

namespace orven::chipcfg {
namespace {

// The dialog as its template lays it out (262 x 190 dialog units in the 8-point dialog font, 6 x 13 pixels
// per 4 x 8 units): client area, and OK and Cancel of 50 x 20 units at (117, 163) and (205, 163).
constexpr QSize kTemplateClient(393, 309);
constexpr QRect kTemplateOk(176, 265, 75, 33);
constexpr QRect kTemplateCancel(308, 265, 75, 33);
constexpr int kButtonShift = 8;  // the buttons move this far right when the file sizes the dialog
constexpr int kButtonGap = 10;   // and sit this far below the list
// The file gives the list's size; the window is 12 x 85 pixels larger, of which the classic frame (4-pixel
// borders, 19-pixel caption) takes 8 x 27. The rest is the client area around the list and the buttons.
constexpr int kExtraClientWidth = 12 - 8;
constexpr int kExtraClientHeight = 85 - 27;
constexpr int kIconSize = 24;

}  // namespace

CConfigDlg::CConfigDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(kConfigDlgCaption));
  setSizeGripEnabled(true);
  resize(kTemplateClient);
  ok_ = new QPushButton(QString::fromUtf8(kOkButton), this);
  ok_->setObjectName(QStringLiteral("ok"));
  ok_->setGeometry(kTemplateOk);
  ok_->setDefault(true);
  cancel_ = new QPushButton(QString::fromUtf8(kCancelButton), this);
  cancel_->setObjectName(QStringLiteral("cancel"));
  cancel_->setGeometry(kTemplateCancel);
  connect(ok_, &QPushButton::clicked, this, &CConfigDlg::accept);
  connect(cancel_, &QPushButton::clicked, this, &CConfigDlg::reject);
}

CConfigDlg::~CConfigDlg() = default;

bool CConfigDlg::CheckConfigFile(const std::string& path) {
  path_ = path;
  return chipcfg::CheckConfigFile(path);
}

void CConfigDlg::setVisible(bool visible) {
  if (visible && !started_) {
    started_ = true;
    OnInitDialog();
  }
  QDialog::setVisible(visible);
}

void CConfigDlg::OnInitDialog() {
  propList_ = new CPropListCtrl(this);
  propList_->setFont(font());
  propList_->setGeometry(2, 2, width() - 2 - 4, height() - 2 - 45);
  propList_->show();
  LoadConfigItems();

  listMargin_ = QSize(width() - propList_->geometry().right() - 1, height() - propList_->geometry().bottom() - 1);
  okFromCorner_ = QPoint(width() - ok_->x(), height() - ok_->y());
  cancelFromCorner_ = QPoint(width() - cancel_->x(), height() - cancel_->y());
  anchored_ = true;

  ok_->setIcon(OkIcon());
  cancel_->setIcon(CancelIcon());
  ok_->setIconSize(QSize(kIconSize, kIconSize));
  cancel_->setIconSize(QSize(kIconSize, kIconSize));
}

void CConfigDlg::LoadConfigItems() {
  // A file that passed the check but cannot be read again, or whose records do not all read, leaves the
  // dialog at its template size with an empty list, so OK has nothing to write.
  ConfigItems read;
  if (chipcfg::LoadConfigItems(path_, read) != ReadItemsResult::kOk) return;
  items_ = std::move(read);

  const int listWidth = items_.header.listWidth;
  const int listHeight = items_.header.listHeight;
  resize(listWidth + kExtraClientWidth, listHeight + kExtraClientHeight);
  ok_->move(kTemplateOk.x() + kButtonShift, listHeight + kButtonGap);
  cancel_->move(kTemplateCancel.x() + kButtonShift, listHeight + kButtonGap);
  propList_->resize(listWidth, listHeight);
  CMyList* list = propList_->List();
  list->SetNamePercent(items_.header.namePercentStored);

  // Without a buffer the items show as over an all-zero one (and OK writes nothing).
  std::array<uint8_t, 32> zero{};
  const std::vector<ItemValue> values = InitialItemValues(items_, config_ ? config_ : zero.data());
  rows_.clear();
  for (size_t i = 0; i < items_.items.size(); ++i) {
    const ItemDescription& item = items_.items[i];
    rows_.push_back(list->AddItem(QString::fromStdString(items_.CategoryName(item)), QString::fromStdString(item.name),
                                  item.item.kind, values[i], QString::fromStdString(item.description),
                                  QString::fromStdString(item.optionText)));
  }
}

void CConfigDlg::accept() {
  // A number typed into the open field counts even if the field has not lost the focus yet (Enter on the
  // dialog, or a button that takes no focus).
  if (propList_) propList_->List()->CommitEditor();
  if (config_ && !rows_.empty()) {
    std::vector<ItemValue> values;
    values.reserve(rows_.size());
    for (const CListItem* row : rows_) values.push_back(row->GetValue());
    ApplyItems(std::span<const ItemDescription>(items_.items), std::span<const ItemValue>(values), config_);
  }
  QDialog::accept();
}

void CConfigDlg::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  PlaceByAnchors();
}

void CConfigDlg::PlaceByAnchors() {
  if (!anchored_) return;
  const QPoint listTopLeft = propList_->pos();
  propList_->setGeometry(listTopLeft.x(), listTopLeft.y(),
                         std::max(0, width() - listMargin_.width() - listTopLeft.x()),
                         std::max(0, height() - listMargin_.height() - listTopLeft.y()));
  ok_->move(width() - okFromCorner_.x(), height() - okFromCorner_.y());
  cancel_->move(width() - cancelFromCorner_.x(), height() - cancelFromCorner_.y());
}

bool OpenConfigEditor(QWidget* parent, const std::string& path, uint8_t* config) {
  CConfigDlg dialog(parent);
  if (!dialog.CheckConfigFile(path)) return false;
  dialog.SetConfigBuffer(config);
  dialog.exec();
  return true;
}

}  // namespace orven::chipcfg
