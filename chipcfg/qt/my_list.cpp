#include "chipcfg/qt/my_list.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include "chipcfg/qt/list_item.h"
#include "chipcfg/qt/prop_list_ctrl.h"
#include "chipcfg/qt/prop_list_images.h"

namespace orven::chipcfg {
namespace {

QColor Colour(uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// The list font: 13 pixels high. Tahoma where present; the CJK face otherwise, since the names and labels of
// the configuration files are Chinese.
QFont ListFont(bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Sans Serif")});
  font.setPixelSize(13);
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  return font;
}

std::unique_ptr<CListItem> MakeRow(ItemKind kind, const QString& optionText) {
  switch (kind) {
    case ItemKind::kNumber: return std::make_unique<CEditItem>();
    case ItemKind::kCheckBox: return std::make_unique<CCheckItem>(optionText);
    case ItemKind::kDropDown: return std::make_unique<CComboItem>(optionText);
    case ItemKind::kPlain: break;
  }
  return std::make_unique<CListItem>();
}

}  // namespace

CMyList::CMyList(CPropListCtrl* owner)
    : QAbstractScrollArea(owner),
      owner_(owner),
      font_(ListFont(false)),
      boldFont_(ListFont(true)),
      mark_(CategoryMarkImage()),
      expanded_(ExpandedGlyphImage()),
      collapsed_(CollapsedGlyphImage()) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  verticalScrollBar()->setSingleStep(proplist::kItemRowHeight);
  SyncScrollBar();
}

CMyList::~CMyList() {
  // Rows delete their editors, which are children of the body; do it while the body still exists.
  rows_.clear();
}

CListItem* CMyList::AddItem(const QString& categoryName, const QString& itemName, ItemKind kind, ItemValue value,
                            const QString& description, const QString& optionText) {
  const PropListLayout::Placement placement = layout_.AddItemRow(categoryName.toStdString());
  if (placement.categoryCreated) {
    auto category = std::make_unique<CCategory>();
    category->SetOwner(owner_);
    category->SetName(categoryName);
    category->CreateEditor(viewport(), font_, 100 + placement.categoryRow);
    rows_.insert(rows_.begin() + placement.categoryRow, std::move(category));
  }
  std::unique_ptr<CListItem> item = MakeRow(kind, optionText);
  item->SetOwner(owner_);
  item->SetName(itemName);
  item->SetDescription(description);
  item->SetValue(value);
  item->SetEditable(true);
  item->CreateEditor(viewport(), font_, 100 + placement.row);
  item->SetShown(layout_.Row(placement.row).shown);
  static_cast<CCategory*>(rows_[static_cast<size_t>(placement.categoryRow)].get())->AddedItem();
  CListItem* added = item.get();
  rows_.insert(rows_.begin() + placement.row, std::move(item));
  if (current_ >= placement.row) ++current_;
  SyncScrollBar();
  viewport()->update();
  return added;
}

void CMyList::ToggleCategory(int row) {
  if (!layout_.ToggleCategory(row)) return;
  const bool shown = layout_.Row(row).shown;
  rows_[static_cast<size_t>(row)]->SetShown(shown);
  for (int i = row + 1; i < RowCount() && !layout_.Row(i).category; ++i) rows_[static_cast<size_t>(i)]->SetShown(shown);
  HideOpenEditor();
  current_ = -1;  // the rows are laid out anew, as a list refilled from scratch
  SyncScrollBar();
  viewport()->update();
}

HitResult CMyList::HitTest(const QPoint& point) const { return layout_.HitTest(point.x(), point.y()); }

int CMyList::RowOf(const CListItem* item) const {
  for (int i = 0; i < RowCount(); ++i) {
    if (rows_[static_cast<size_t>(i)].get() == item) return i;
  }
  return -1;
}

QRect CMyList::RowRect(int row) const { return ToQRect(layout_.RowRect(row)); }

QRect CMyList::EditorCell(int row) const { return ToQRect(chipcfg::EditorCell(layout_.RowRect(row), NamePercent())); }

void CMyList::SetNamePercent(int percent) {
  layout_.SetNamePercentFromFile(percent);
  viewport()->update();
}

void CMyList::CommitEditor() {
  if (editorRow_ && editorRow_->EditorVisible()) editorRow_->Commit();
}

void CMyList::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), Qt::white);
  for (int i = 0; i < RowCount(); ++i) {
    if (layout_.RowHeight(i) == 0) continue;
    const QRect rect = RowRect(i);
    if (rect.bottom() < 0) continue;
    if (rect.top() >= viewport()->height()) break;
    PaintRow(painter, i);
  }
}

void CMyList::PaintRow(QPainter& painter, int row) const {
  const Rect r = layout_.RowRect(row);
  const QRect rect = ToQRect(r);
  const CListItem& item = *rows_[static_cast<size_t>(row)];
  const QColor windowText = QApplication::palette().color(QPalette::WindowText);
  if (layout_.Row(row).category) {
    painter.fillRect(rect, Qt::white);
    const QRect band(rect.left(), rect.top() + proplist::kCategoryBandOffset, rect.width(),
                     rect.height() - proplist::kCategoryBandOffset);
    painter.fillRect(band, Colour(proplist::kCategoryColour));
    painter.drawPixmap(ToQRect(CategoryMarkRect(r)).topLeft(), mark_);
    painter.drawPixmap(ToQRect(CategoryGlyphRect(r)).topLeft(), item.Shown() ? expanded_ : collapsed_);
    painter.setFont(boldFont_);
    item.DrawName(painter, band, windowText);
    return;
  }
  const bool selected = row == current_;
  painter.fillRect(rect, selected ? Colour(proplist::kSelectionColour)
                                  : QApplication::palette().color(QPalette::Button));
  painter.setFont(font_);
  item.DrawName(painter, ToQRect(NameCell(r, NamePercent())), selected ? QColor(Qt::white) : windowText);
  item.DrawValue(painter, ToQRect(ValueCell(r, NamePercent())));
}

void CMyList::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  layout_.SetClientSize(viewport()->width(), viewport()->height());
  SyncScrollBar();
  const int row = RowOf(editorRow_);
  if (row >= 0 && editorRow_->EditorVisible()) editorRow_->MoveEditor(EditorCell(row));
}

void CMyList::scrollContentsBy(int, int) {
  HideOpenEditor();
  layout_.SetScroll(verticalScrollBar()->value());
  viewport()->update();
}

void CMyList::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  // The body keeps the pointer until release (the toolkit's implicit grab), so a drag can leave the body.
  dragging_ = false;
  owner_->SetDescription(QString());
  pointer_ = e->position().toPoint();
  const HitResult hit = HitTest(pointer_);
  if (hit.row < 0) return;
  if (hit.onCategory) {
    // A single click never selects a category; only its glyph opens or closes it.
    if (hit.onGlyph) ToggleCategory(hit.row);
    return;
  }
  HideOpenEditor();
  if (hit.onDivider) {
    dragging_ = true;
    return;
  }
  setFocus(Qt::MouseFocusReason);
  SelectRow(hit.row);
  if (current_ != hit.row) return;  // the selection change rebuilt the list
  CListItem* item = rows_[static_cast<size_t>(hit.row)].get();
  editorRow_ = item;
  item->ShowEditor(EditorCell(hit.row));
  viewport()->update(RowRect(hit.row));
  owner_->SetDescription(item->Description());
}

void CMyList::mouseMoveEvent(QMouseEvent* e) {
  pointer_ = e->position().toPoint();
  if (dragging_) {
    if (layout_.DragDividerTo(pointer_.x())) viewport()->update();
    return;
  }
  const HitResult hit = HitTest(pointer_);
  const bool sizing = hit.row >= 0 && !hit.onCategory && hit.onDivider;
  viewport()->setCursor(sizing ? Qt::SizeHorCursor : Qt::ArrowCursor);
}

void CMyList::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) dragging_ = false;
}

void CMyList::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  // The list selects the row under a double click; the selection change opens or closes a category.
  pointer_ = e->position().toPoint();
  const HitResult hit = HitTest(pointer_);
  if (hit.row >= 0 && !hit.onDivider) SelectRow(hit.row);
}

void CMyList::wheelEvent(QWheelEvent* e) { e->accept(); }

void CMyList::leaveEvent(QEvent* e) {
  QAbstractScrollArea::leaveEvent(e);
  if (!dragging_) pointer_ = QPoint(-1, -1);
}

void CMyList::keyPressEvent(QKeyEvent* e) {
  int row = -1;
  switch (e->key()) {
    case Qt::Key_Up: row = NextShownRow(current_ < 0 ? RowCount() : current_, -1); break;
    case Qt::Key_Down: row = NextShownRow(current_, 1); break;
    case Qt::Key_Home: row = NextShownRow(-1, 1); break;
    case Qt::Key_End: row = NextShownRow(RowCount(), -1); break;
    default: QAbstractScrollArea::keyPressEvent(e); return;
  }
  if (row >= 0) {
    EnsureVisible(row);
    SelectRow(row);
  }
  e->accept();
}

void CMyList::SelectRow(int row) {
  if (row == current_) return;
  const int previous = current_;
  current_ = row;
  if (previous >= 0) viewport()->update(RowRect(previous));
  viewport()->update(RowRect(row));
  OnSelectionChanged();
}

void CMyList::OnSelectionChanged() {
  // Where the pointer rests decides, as for a double click on a category name.
  if (pointer_.x() < 0) return;
  const HitResult hit = HitTest(pointer_);
  if (hit.row >= 0 && hit.onCategory && !hit.onGlyph) ToggleCategory(hit.row);
}

void CMyList::HideOpenEditor() {
  if (editorRow_) editorRow_->HideEditor();
}

void CMyList::SyncScrollBar() {
  layout_.SetClientSize(viewport()->width(), viewport()->height());
  QScrollBar* bar = verticalScrollBar();
  bar->setRange(0, layout_.MaxScroll());
  bar->setPageStep(std::max(1, layout_.ClientHeight()));
  bar->setEnabled(layout_.MaxScroll() > 0);
  if (bar->value() != layout_.Scroll()) bar->setValue(layout_.Scroll());
}

void CMyList::EnsureVisible(int row) {
  const QRect rect = RowRect(row);
  int scroll = layout_.Scroll();
  if (rect.top() < 0) scroll += rect.top();
  else if (rect.bottom() >= layout_.ClientHeight()) scroll += rect.bottom() + 1 - layout_.ClientHeight();
  verticalScrollBar()->setValue(scroll);
}

int CMyList::NextShownRow(int from, int step) const {
  for (int i = from + step; i >= 0 && i < RowCount(); i += step) {
    if (layout_.RowHeight(i) > 0) return i;
  }
  return -1;
}

}  // namespace orven::chipcfg
