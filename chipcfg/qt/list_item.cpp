#include "chipcfg/qt/list_item.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QValidator>
#include <algorithm>
#include <vector>

#include "chipcfg/number_entry.h"
#include "chipcfg/prop_list_layout.h"
#include "chipcfg/texts.h"

namespace orven::chipcfg {
namespace {

QColor Colour(uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

void MakeWhite(QWidget* editor) {
  QPalette palette = editor->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Window, Qt::white);
  editor->setPalette(palette);
  editor->setAutoFillBackground(true);
}

void Place(QWidget* editor, const Rect& r) { editor->setGeometry(r.left, r.top, r.Width(), r.Height()); }

Rect ToRect(const QRect& r) { return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

// The check-box editor: hides as soon as the keyboard focus leaves it.
class CheckBoxEditor : public QCheckBox {
 public:
  CheckBoxEditor(CListItem* row, QWidget* parent) : QCheckBox(parent), row_(row) {}

 protected:
  // The whole box answers a click, not just the mark and its label.
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
  void focusOutEvent(QFocusEvent* e) override {
    QCheckBox::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason) row_->HideEditor();
  }

 private:
  CListItem* row_;
};

// The drop-down editor. Its closed box is painted by the row; the list it drops is the toolkit's, widened to
// the row's measured width. Losing the focus to anything but its own list hides it.
class DropDownBox : public QComboBox {
 public:
  DropDownBox(CComboItem* row, QWidget* parent) : QComboBox(parent), row_(row) {}

  void showPopup() override {
    row_->SetDroppedDown(true);
    if (view()->minimumWidth() < row_->ListWidth()) view()->setMinimumWidth(row_->ListWidth());
    QComboBox::showPopup();
    update();
  }
  void hidePopup() override {
    QComboBox::hidePopup();
    row_->SetDroppedDown(false);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setFont(font());
    row_->PaintClosedBox(painter, rect(), row_->DroppedDown());
  }
  void focusOutEvent(QFocusEvent* e) override {
    QComboBox::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason && !row_->DroppedDown()) row_->HideEditor();
  }

 private:
  CComboItem* row_;
};

// Holds pasted and input-method text to the same rule as typed keys: text that is not a hexadecimal number
// of at most 8 digits is refused whole, so nothing is dropped silently when the field commits.
class NumberValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    const QList<uint> ucs4 = input.toUcs4();
    return IsNumberFieldText(std::u32string(ucs4.begin(), ucs4.end())) ? Acceptable : Invalid;
  }
};

// The number editor: a frameless field that applies the typing rules before the toolkit sees a key, so Enter
// and Esc close the field instead of reaching the dialog's buttons.
class NumberField : public QLineEdit {
 public:
  NumberField(CEditItem* row, QWidget* parent) : QLineEdit(parent), row_(row) {}

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    char32_t ch = 0;
    switch (e->key()) {
      case Qt::Key_Backspace: ch = 0x08; break;
      case Qt::Key_Return:
      case Qt::Key_Enter: ch = 0x0D; break;
      case Qt::Key_Escape: ch = 0x1B; break;
      default: {
        const QList<uint> text = e->text().toUcs4();
        if (text.isEmpty()) {  // caret movement, Delete and the like
          QLineEdit::keyPressEvent(e);
          return;
        }
        ch = text.front();
      }
    }
    switch (NumberKeyRule(ch, static_cast<size_t>(text().size()), hasSelectedText())) {
      case NumberKeyAction::kPass: QLineEdit::keyPressEvent(e); return;
      case NumberKeyAction::kIgnore: break;
      case NumberKeyAction::kRefuse: QApplication::beep(); break;
      case NumberKeyAction::kEnter: row_->OnEnter(); break;
      case NumberKeyAction::kEscape: row_->OnEscape(); break;
    }
    e->accept();
  }
  void focusOutEvent(QFocusEvent* e) override {
    QLineEdit::focusOutEvent(e);
    row_->Commit();
  }

 private:
  CEditItem* row_;
};

}  // namespace

// ---- CListItem ----

CListItem::~CListItem() { delete editor_.data(); }

void CListItem::SetValue(ItemValue value) { value_ = value; }

ItemValue CListItem::GetValue() const { return value_; }

void CListItem::Commit() {
  if (rowType_ == kRowTypeNumber) RedrawList();
}

void CListItem::HideEditor() {
  if (!editor_ || editor_->isHidden()) return;
  // Keep the keyboard in the list rather than letting it wander to the dialog's buttons.
  if (editor_->hasFocus() && parent_) parent_->setFocus(Qt::OtherFocusReason);
  editor_->hide();
}

void CListItem::DrawValue(QPainter& painter, const QRect& cell) const {
  FrameCell(painter, cell);
  painter.fillRect(cell.adjusted(1, 0, -1, -1), Qt::white);
}

void CListItem::CreateEditor(QWidget* parent, const QFont&, int controlId) {
  parent_ = parent;
  controlId_ = controlId;
}

void CListItem::ShowEditor(const QRect&) {}

void CListItem::MoveEditor(const QRect&) {}

bool CListItem::EditorVisible() const { return editor_ && !editor_->isHidden(); }

void CListItem::DrawName(QPainter& painter, const QRect& cell, const QColor& text) const {
  FrameCell(painter, cell);
  painter.setPen(text);
  DrawCellText(painter, cell, name_);
}

int CListItem::GetRowHeight() const { return proplist::kItemRowHeight; }

void CListItem::SetShown(bool shown) { shown_ = shown; }

void CListItem::FrameCell(QPainter& painter, const QRect& cell) {
  painter.save();
  painter.setPen(Colour(proplist::kCategoryColour));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRect(cell.left(), cell.top() - 1, cell.width() - 1, cell.height()));
  painter.restore();
}

void CListItem::DrawCellText(QPainter& painter, const QRect& cell, const QString& text) {
  const QRect area = cell.adjusted(proplist::kTextInset, 0, -2, 0);
  const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, area.width());
  painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

void CListItem::RedrawList() const {
  if (parent_) parent_->update();
}

// ---- CCategory ----

CCategory::CCategory() { rowType_ = kRowTypeCategory; }

void CCategory::DrawValue(QPainter&, const QRect&) const {}

void CCategory::DrawName(QPainter& painter, const QRect& cell, const QColor& text) const {
  const QRect area = cell.adjusted(proplist::kCategoryNameIndent, 0, -proplist::kCategoryNameIndent, 0);
  painter.setPen(text);
  const QString shown = painter.fontMetrics().elidedText(name_, Qt::ElideRight, area.width());
  painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

int CCategory::GetRowHeight() const { return proplist::kCategoryRowHeight; }

// ---- CCheckItem ----

CCheckItem::CCheckItem(const QString& optionText) {
  const CheckBoxLabels labels = CheckBoxLabelsFromText(optionText.toStdString());
  uncheckedLabel_ = QString::fromStdString(labels.unchecked);
  checkedLabel_ = QString::fromStdString(labels.checked);
}

QCheckBox* CCheckItem::CheckBox() const { return static_cast<QCheckBox*>(editor_.data()); }

void CCheckItem::DrawValue(QPainter& painter, const QRect& cell) const {
  CListItem::DrawValue(painter, cell);
  QStyleOptionButton option;
  option.rect = QRect(cell.left() + 5, cell.top() + 1, 13, 13);
  option.state = QStyle::State_Enabled | (value_ != 0 ? QStyle::State_On : QStyle::State_Off);
  QStyle* style = parent_ ? parent_->style() : QApplication::style();
  style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, parent_);
  painter.setPen(QApplication::palette().color(QPalette::WindowText));
  DrawCellText(painter, cell.adjusted(16, 0, 0, 0), Label(value_ != 0));
}

void CCheckItem::CreateEditor(QWidget* parent, const QFont& font, int controlId) {
  CListItem::CreateEditor(parent, font, controlId);
  auto* box = new CheckBoxEditor(this, parent);
  box->hide();
  box->setFont(font);
  box->setText(QString::fromLatin1(kCheckBoxUncheckedLabel));
  box->setCursor(Qt::PointingHandCursor);
  box->setObjectName(QStringLiteral("editor%1").arg(controlId));
  MakeWhite(box);
  QObject::connect(box, &QCheckBox::clicked, box, [this](bool checked) { OnClicked(checked); });
  editor_ = box;
}

void CCheckItem::ShowEditor(const QRect& cell) {
  if (!editable_ || !editor_) return;
  QCheckBox* box = CheckBox();
  box->setChecked(value_ != 0);
  box->setText(Label(value_ != 0));
  Place(box, CheckBoxEditorRect(ToRect(cell)));
  box->show();
  box->raise();
}

void CCheckItem::MoveEditor(const QRect& cell) {
  if (EditorVisible()) Place(editor_, CheckBoxEditorRect(ToRect(cell)));
}

void CCheckItem::OnClicked(bool checked) {
  value_ = checked ? 1 : 0;
  CheckBox()->setText(Label(checked));
  RedrawList();
}

// ---- CComboItem ----

CComboItem::CComboItem(const QString& optionText) {
  for (const std::string& option : DropDownOptions(optionText.toStdString())) {
    options_.push_back(QString::fromStdString(option));
  }
}

QComboBox* CComboItem::DropDown() const { return static_cast<QComboBox*>(editor_.data()); }

void CComboItem::SetValue(ItemValue value) {
  value_ = value;
  if (QComboBox* box = DropDown()) {
    box->setCurrentIndex(value >= 0 && value < box->count() ? static_cast<int>(value) : -1);
  }
}

ItemValue CComboItem::GetValue() const {
  const QComboBox* box = DropDown();
  if (!box || box->currentIndex() < 0) return kNoSelection;
  return box->currentIndex();
}

QString CComboItem::SelectedLabel() const {
  const ItemValue index = GetValue();
  return index >= 0 && index < options_.size() ? options_[static_cast<int>(index)] : QString();
}

void CComboItem::DrawValue(QPainter& painter, const QRect& cell) const {
  CListItem::DrawValue(painter, cell);
  painter.setPen(QApplication::palette().color(QPalette::WindowText));
  DrawCellText(painter, cell, SelectedLabel());
}

void CComboItem::CreateEditor(QWidget* parent, const QFont& font, int controlId) {
  CListItem::CreateEditor(parent, font, controlId);
  auto* box = new DropDownBox(this, parent);
  box->hide();
  box->setFont(font);
  box->setObjectName(QStringLiteral("editor%1").arg(controlId));
  box->view()->setFont(font);
  // The list drops below the box, whatever the style's habit of centring it on the current option.
  box->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
  box->addItems(options_);
  const QFontMetrics metrics(font);
  std::vector<int> widths;
  for (const QString& option : options_) widths.push_back(metrics.horizontalAdvance(option));
  listWidth_ = DropDownListWidth(widths, metrics.height());
  const int rowHeight = std::max(1, box->view()->sizeHintForRow(0));
  box->setMaxVisibleItems(std::max(1, proplist::kDropDownMaxListHeight / rowHeight));
  editor_ = box;
  SetValue(value_);
  QObject::connect(box, &QComboBox::currentIndexChanged, box, [this](int) { RedrawList(); });
}

void CComboItem::ShowEditor(const QRect& cell) {
  if (!editable_ || !editor_) return;
  Place(editor_, DropDownEditorRect(ToRect(cell)));
  editor_->show();
  editor_->raise();
}

void CComboItem::MoveEditor(const QRect& cell) {
  if (EditorVisible()) Place(editor_, DropDownEditorRect(ToRect(cell)));
}

void CComboItem::PaintClosedBox(QPainter& painter, const QRect& box, bool open) const {
  painter.fillRect(box, Qt::white);
  painter.setPen(Colour(proplist::kCategoryColour));
  painter.drawRect(box.adjusted(0, 0, -1, -1));
  const int side = box.height();
  const QRect button(box.right() + 1 - side, box.top(), side, side);
  painter.setPen(QApplication::palette().color(QPalette::WindowText));
  DrawCellText(painter, QRect(box.left(), box.top(), box.width() - side, box.height()), SelectedLabel());

  QWidget* widget = editor_.data();
  QStyle* style = widget ? widget->style() : QApplication::style();
  QStyleOptionButton option;
  if (widget) option.initFrom(widget);
  option.rect = button.adjusted(1, 1, -1, -1);
  option.state = QStyle::State_Enabled | QStyle::State_Raised;
  if (open) option.state = QStyle::State_Enabled | QStyle::State_Sunken;
  style->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter, widget);
  QStyleOption arrow = option;
  const int inset = side / 4;
  arrow.rect = option.rect.adjusted(inset, inset, -inset, -inset).translated(open ? 1 : 0, open ? 1 : 0);
  style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, widget);
}

// ---- CEditItem ----

CEditItem::CEditItem() { rowType_ = kRowTypeNumber; }

QLineEdit* CEditItem::Field() const { return static_cast<QLineEdit*>(editor_.data()); }

void CEditItem::SetValue(ItemValue value) {
  value_ = static_cast<uint32_t>(value);
  if (QLineEdit* field = Field()) field->setText(QString::fromStdString(FormatNumber(Number())));
}

void CEditItem::Commit() {
  if (QLineEdit* field = Field()) {
    uint32_t number = Number();
    if (CommitNumberText(field->text().toStdString(), number)) value_ = number;
  }
  RedrawList();
}

void CEditItem::HideEditor() {
  if (!editor_ || editor_->isHidden()) return;
  CListItem::HideEditor();
  if (modified_) Commit();
}

void CEditItem::DrawValue(QPainter& painter, const QRect& cell) const {
  CListItem::DrawValue(painter, cell);
  painter.setPen(QApplication::palette().color(QPalette::WindowText));
  DrawCellText(painter, cell, QString::fromStdString(FormatNumber(Number())));
}

void CEditItem::CreateEditor(QWidget* parent, const QFont& font, int controlId) {
  CListItem::CreateEditor(parent, font, controlId);
  auto* field = new NumberField(this, parent);
  field->hide();
  field->setFont(font);
  field->setFrame(false);
  field->setMaxLength(static_cast<int>(kNumberMaxChars));
  field->setValidator(new NumberValidator(field));
  field->setObjectName(QStringLiteral("editor%1").arg(controlId));
  field->setTextMargins(0, 0, 0, 0);
  MakeWhite(field);
  QObject::connect(field, &QLineEdit::textChanged, field, [this](const QString&) { modified_ = true; });
  editor_ = field;
  SetValue(value_);
}

void CEditItem::ShowEditor(const QRect& cell) {
  if (!editable_ || !editor_) return;
  QLineEdit* field = Field();
  field->setText(QString::fromStdString(FormatNumber(Number())));
  Place(field, NumberEditorRect(ToRect(cell)));
  field->show();
  field->raise();
  field->setFocus(Qt::MouseFocusReason);
  field->selectAll();
  modified_ = false;
}

void CEditItem::MoveEditor(const QRect& cell) {
  if (EditorVisible()) Place(editor_, NumberEditorRect(ToRect(cell)));
}

void CEditItem::OnEnter() { HideEditor(); }

void CEditItem::OnEscape() {
  // Put the shown value back first: hiding the field moves the focus away, and the focus loss commits.
  if (QLineEdit* field = Field()) field->setText(QString::fromStdString(FormatNumber(Number())));
  modified_ = false;
  HideEditor();
}

}  // namespace orven::chipcfg
