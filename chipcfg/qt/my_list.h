// CMyList: the body of the property list. Rows of variable height drawn by the program in two columns (name
// and value), grouped under collapsible category rows, with a draggable column divider and the rows' in-place
// editors. Row order, heights and hit zones come from PropListLayout; this class paints them and turns pointer
// and keyboard events into toggles, drags, selections and editors.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <memory>
#include <vector>

#include "chipcfg/config_item.h"
#include "chipcfg/prop_list_layout.h"

namespace orven::chipcfg {

class CListItem;
class CPropListCtrl;

class CMyList : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // owner receives the descriptions of clicked rows.
  explicit CMyList(CPropListCtrl* owner);
  ~CMyList() override;

  // Adds an item row under the category named categoryName (exact match; a new category is appended as the
  // last row) directly after the category's last row, with its editor created hidden. The list owns the row;
  // the pointer stays valid for the list's life and stays bound to this item whatever is inserted later.
  CListItem* AddItem(const QString& categoryName, const QString& itemName, ItemKind kind, ItemValue value,
                     const QString& description, const QString& optionText);

  // Expands a collapsed category and collapses an expanded one; hides the open editor and clears the
  // selection. Rows that are not categories are left alone.
  void ToggleCategory(int row);
  void ToggleCategory(const CListItem* category) { ToggleCategory(RowOf(category)); }

  // What a point in the list body's coordinates hits.
  HitResult HitTest(const QPoint& point) const;

  int RowCount() const { return static_cast<int>(rows_.size()); }
  CListItem* Row(int row) const { return rows_[static_cast<size_t>(row)].get(); }
  int RowOf(const CListItem* item) const;
  int RowHeight(int row) const { return layout_.RowHeight(row); }
  // Row rectangle and the cell an editor is placed over, in the list body's coordinates.
  QRect RowRect(int row) const;
  QRect EditorCell(int row) const;
  int CurrentRow() const { return current_; }
  // The row whose editor was opened last (its editor may have hidden since), or null.
  CListItem* EditorRow() const { return editorRow_; }

  int NamePercent() const { return layout_.NamePercent(); }
  // The file header's share, taken when 15..85.
  void SetNamePercent(int percent);
  bool Dragging() const { return dragging_; }
  const PropListLayout& Layout() const { return layout_; }

  const QFont& NormalFont() const { return font_; }
  const QFont& BoldFont() const { return boldFont_; }

  // Lets the open editor take over what the user typed (before OK reads the values).
  void CommitEditor();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void leaveEvent(QEvent* e) override;

 private:
  void PaintRow(QPainter& painter, int row) const;
  // The list's own selection change (a click, a double click or a key): selects and runs OnSelectionChanged.
  void SelectRow(int row);
  void OnSelectionChanged();
  void HideOpenEditor();
  void SyncScrollBar();
  void EnsureVisible(int row);
  int NextShownRow(int from, int step) const;

  CPropListCtrl* owner_;
  std::vector<std::unique_ptr<CListItem>> rows_;
  PropListLayout layout_;
  QFont font_;
  QFont boldFont_;
  QPixmap mark_;
  QPixmap expanded_;
  QPixmap collapsed_;
  bool dragging_ = false;
  int current_ = -1;
  CListItem* editorRow_ = nullptr;
  QPoint pointer_{-1, -1};  // last pointer position over the body; (-1, -1) when it is elsewhere
};

}  // namespace orven::chipcfg
