// Rows of the property list. Each row object draws its name and value cells and owns its in-place editor (a
// check box, a drop-down list or a hexadecimal text field), created hidden over the list body and shown over the
// value cell when the row is clicked. A row keeps the item value the configuration file's item holds while the
// editor runs (see chipcfg/config_item.h for what the value means per kind).
#pragma once

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "chipcfg/config_item.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPainter;

namespace orven::chipcfg {

class CPropListCtrl;

// Row types the list distinguishes.
inline constexpr int kRowTypePlain = 0;
inline constexpr int kRowTypeCategory = 1;
inline constexpr int kRowTypeNumber = 2;

// A plain row: name and an empty value cell, no editor. Base of every row.
class CListItem {
 public:
  CListItem() = default;
  virtual ~CListItem();
  CListItem(const CListItem&) = delete;
  CListItem& operator=(const CListItem&) = delete;

  virtual void SetValue(ItemValue value);
  virtual ItemValue GetValue() const;
  // Takes over what the editor holds (number rows); the base only redraws the list for a number row.
  virtual void Commit();
  virtual void HideEditor();
  // cell: from one pixel left of the divider to the row's right edge.
  virtual void DrawValue(QPainter& painter, const QRect& cell) const;
  // Creates the editor hidden as a child of parent (the list body) in font; the base only remembers them.
  virtual void CreateEditor(QWidget* parent, const QFont& font, int controlId);
  // cell: the editor cell (divider to right - 1, bottom - 1). Shows nothing unless the row is editable.
  virtual void ShowEditor(const QRect& cell);
  // cell: from the row's left edge to the divider; text: the name colour (white on a selected row).
  virtual void DrawName(QPainter& painter, const QRect& cell, const QColor& text) const;
  virtual int GetRowHeight() const;
  virtual void SetShown(bool shown);

  // Moves a visible editor to a new cell without touching what it holds (after the list was resized).
  virtual void MoveEditor(const QRect& cell);
  bool EditorVisible() const;

  void SetOwner(CPropListCtrl* owner) { owner_ = owner; }
  void SetName(const QString& name) { name_ = name; }
  void SetDescription(const QString& description) { description_ = description; }
  void SetEditable(bool editable) { editable_ = editable; }
  const QString& Name() const { return name_; }
  const QString& Description() const { return description_; }
  bool Editable() const { return editable_; }
  bool Shown() const { return shown_; }
  int RowType() const { return rowType_; }
  int ControlId() const { return controlId_; }
  // The editor window, or null for rows without one.
  QWidget* Editor() const { return editor_; }

 protected:
  // Frames the cell (top raised by one pixel, sharing the line with the row above) in the category colour.
  static void FrameCell(QPainter& painter, const QRect& cell);
  // One line of text 5 pixels into the cell, vertically centred, cut with an ellipsis.
  static void DrawCellText(QPainter& painter, const QRect& cell, const QString& text);
  void RedrawList() const;

  CPropListCtrl* owner_ = nullptr;
  bool editable_ = false;
  ItemValue value_ = 0;
  QString name_;
  QString description_;
  int rowType_ = kRowTypePlain;
  QPointer<QWidget> editor_;
  QWidget* parent_ = nullptr;
  int controlId_ = 0;
  bool shown_ = true;
};

// A category heading: bold name on the category band, with its mark and expand/collapse glyph.
class CCategory : public CListItem {
 public:
  CCategory();
  void DrawValue(QPainter& painter, const QRect& cell) const override;
  void DrawName(QPainter& painter, const QRect& cell, const QColor& text) const override;
  int GetRowHeight() const override;

  int ItemCount() const { return items_; }
  void AddedItem() { ++items_; }

 private:
  int items_ = 0;
};

// A check box item: value 0 (unchecked) or 1 (checked), shown with its unchecked/checked label.
class CCheckItem : public CListItem {
 public:
  explicit CCheckItem(const QString& optionText);
  void DrawValue(QPainter& painter, const QRect& cell) const override;
  void CreateEditor(QWidget* parent, const QFont& font, int controlId) override;
  void ShowEditor(const QRect& cell) override;
  void MoveEditor(const QRect& cell) override;

  const QString& Label(bool checked) const { return checked ? checkedLabel_ : uncheckedLabel_; }
  QCheckBox* CheckBox() const;

 private:
  void OnClicked(bool checked);

  QString uncheckedLabel_;
  QString checkedLabel_;
};

// A drop-down item: value is the selected option's index, kNoSelection without one. The value lives in the
// drop-down once it exists.
class CComboItem : public CListItem {
 public:
  explicit CComboItem(const QString& optionText);
  void SetValue(ItemValue value) override;
  ItemValue GetValue() const override;
  void Commit() override {}
  void DrawValue(QPainter& painter, const QRect& cell) const override;
  void CreateEditor(QWidget* parent, const QFont& font, int controlId) override;
  void ShowEditor(const QRect& cell) override;
  void MoveEditor(const QRect& cell) override;

  // Paints the closed box over the value cell: the selected label and the drop button, pressed while open.
  void PaintClosedBox(QPainter& painter, const QRect& box, bool open) const;
  const QStringList& Options() const { return options_; }
  int ListWidth() const { return listWidth_; }
  bool DroppedDown() const { return droppedDown_; }
  void SetDroppedDown(bool open) { droppedDown_ = open; }
  QComboBox* DropDown() const;

 private:
  QString SelectedLabel() const;

  QStringList options_;
  int listWidth_ = 0;
  bool droppedDown_ = false;
};

// A number item: an unsigned 32-bit value shown and typed in hexadecimal (up to 8 digits).
class CEditItem : public CListItem {
 public:
  CEditItem();
  void SetValue(ItemValue value) override;
  void Commit() override;
  void HideEditor() override;
  void DrawValue(QPainter& painter, const QRect& cell) const override;
  void CreateEditor(QWidget* parent, const QFont& font, int controlId) override;
  void ShowEditor(const QRect& cell) override;
  void MoveEditor(const QRect& cell) override;

  bool Modified() const { return modified_; }
  QLineEdit* Field() const;
  // Enter and Esc typed into the field.
  void OnEnter();
  void OnEscape();

 private:
  uint32_t Number() const { return static_cast<uint32_t>(value_); }

  bool modified_ = false;
};

}  // namespace orven::chipcfg
