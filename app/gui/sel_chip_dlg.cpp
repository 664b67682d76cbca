#include "app/gui/sel_chip_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "tormik/texts.h"

namespace orven::app {

CSelChipDlg::CSelChipDlg(ChipSelection& selection, QWidget* parent) : QDialog(parent), selection_(selection) {
  setWindowTitle(QString::fromUtf8(texts::kChipSelectTitle));
  auto* layout = new QVBoxLayout(this);

  layout->addWidget(new QLabel(QString::fromUtf8(texts::kChipSelectVendorLabel), this));
  vendors_ = new QComboBox(this);
  vendors_->setObjectName(QStringLiteral("vendors"));
  for (const std::string& name : selection_.VendorNames()) vendors_->addItem(QString::fromStdString(name));
  vendors_->setCurrentIndex(selection_.VendorPosition());
  layout->addWidget(vendors_);

  layout->addWidget(new QLabel(QString::fromUtf8(texts::kChipSelectChipLabel), this));
  chips_ = new QListWidget(this);
  chips_->setObjectName(QStringLiteral("chips"));
  chips_->setSelectionMode(QAbstractItemView::SingleSelection);
  chips_->setMinimumHeight(200);
  layout->addWidget(chips_);

  auto* noteZif = new QLabel(QString::fromUtf8(texts::kChipSelectNoteZif), this);
  noteZif->setObjectName(QStringLiteral("noteZif"));
  auto* noteIsp = new QLabel(QString::fromUtf8(texts::kChipSelectNoteIsp), this);
  noteIsp->setObjectName(QStringLiteral("noteIsp"));
  noteZif->setVisible(selection_.ShowNotes());
  noteIsp->setVisible(selection_.ShowNotes());
  layout->addWidget(noteZif);
  layout->addWidget(noteIsp);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);

  FillChips();
  connect(vendors_, &QComboBox::currentIndexChanged, this, &CSelChipDlg::OnVendorChanged);
  connect(chips_, &QListWidget::itemSelectionChanged, this, &CSelChipDlg::OnChipSelectionChanged);
  connect(chips_, &QListWidget::itemDoubleClicked, this, &CSelChipDlg::OnDoubleClicked);
  connect(buttons, &QDialogButtonBox::accepted, this, &CSelChipDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CSelChipDlg::reject);
}

void CSelChipDlg::FillChips() {
  const QSignalBlocker block(chips_);
  chips_->clear();
  for (const std::string& name : selection_.ChipNames()) chips_->addItem(QString::fromStdString(name));
  const int position = selection_.ListPosition();
  if (position != ChipSelection::kNone) {
    chips_->setCurrentRow(position);
    chips_->scrollToItem(chips_->item(position));
  }
}

void CSelChipDlg::OnVendorChanged(int position) {
  selection_.SelectVendor(position);
  FillChips();
}

void CSelChipDlg::OnChipSelectionChanged() {
  const QList<QListWidgetItem*> selected = chips_->selectedItems();
  selection_.SelectChip(selected.isEmpty() ? ChipSelection::kNone : chips_->row(selected.first()));
}

void CSelChipDlg::OnDoubleClicked(QListWidgetItem* item) {
  result_ = selection_.DoubleClick(chips_->row(item));
  if (result_) QDialog::accept();
}

void CSelChipDlg::accept() {
  result_ = selection_.Accept();
  if (result_) QDialog::accept();
}

}  // namespace orven::app
