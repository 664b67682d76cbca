// The property list's rows without any windows: which rows exist in which order, how tall each is, where the
// name/value divider lies, what a point hits, how a category opens and closes and how the divider is dragged.
// The Qt list body paints and forwards pointer events through this; the tests call it directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orven::chipcfg {

// Integer rectangle with exclusive right and bottom edges, as the list paints it.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  Rect Shrunk(int d) const { return Rect{left + d, top + d, right - d, bottom - d}; }
  bool operator==(const Rect&) const = default;
};

// Drawing geometry of the list. Sizes in pixels.
namespace proplist {
inline constexpr int kCategoryRowHeight = 25;
inline constexpr int kItemRowHeight = 20;
inline constexpr int kCategoryBandOffset = 5;   // white strip above a category's coloured band
inline constexpr int kMarkWidth = 16;           // category mark, 16 x 20
inline constexpr int kGlyphWidth = 22;          // expand/collapse glyph, 22 x 20
inline constexpr int kGlyphHeight = 20;
inline constexpr int kCategoryNameIndent = 20;  // category name inset on both sides
inline constexpr int kTextInset = 5;            // name and value text from the cell's left edge
inline constexpr int kDividerGrip = 4;          // a point closer than this to the divider grabs it
inline constexpr int kDefaultNamePercent = 30;
inline constexpr int kMinDragPercent = 16;
inline constexpr int kMaxDragPercent = 84;
inline constexpr int kDescriptionBand = 60;     // description pane under the list body
inline constexpr int kDropDownMaxListHeight = 350;
inline constexpr int kDropDownTextMargin = 12;  // extra width of the dropped list over its widest label
inline constexpr int kDropDownScrollMargin = 36;  // the same when the list needs a scroll bar

// Colours as 0xRRGGBB.
inline constexpr uint32_t kCategoryColour = 0x889DC2;   // category band, cell frames
inline constexpr uint32_t kSelectionColour = 0x316AC5;  // selected item row
inline constexpr uint32_t kDescriptionTextColour = 0x808080;
}  // namespace proplist

// x of the name/value divider in a row from left to right.
int DividerX(int left, int right, int namePercent);
// Name cell (left to the divider), the value cell as drawn (one pixel left of the divider to the right edge)
// and the value cell the in-place editors are placed over (divider to right - 1, bottom - 1).
Rect NameCell(const Rect& row, int namePercent);
Rect ValueCell(const Rect& row, int namePercent);
Rect EditorCell(const Rect& row, int namePercent);
// Where a category row's mark and glyph are drawn, and the smaller zone in which a click toggles it.
Rect CategoryMarkRect(const Rect& row);
Rect CategoryGlyphRect(const Rect& row);
Rect CategoryGlyphHitZone(const Rect& row);
Rect CategoryNameRect(const Rect& row);

// Editor placements inside an editor cell.
Rect CheckBoxEditorRect(const Rect& cell);
Rect NumberEditorRect(const Rect& cell);
Rect DropDownEditorRect(const Rect& cell);

// Width of a drop-down's open list from its labels' widths: the widest plus 12, or plus 36 when the labels
// stacked are taller than 350 pixels (room for the scroll bar).
int DropDownListWidth(const std::vector<int>& labelWidths, int labelHeight);

// What a point in list coordinates hits.
struct HitResult {
  int row = -1;          // row index, -1 for none
  bool onCategory = false;
  bool onGlyph = false;
  bool onDivider = false;
};

// One row of the list: a category or an item under the category before it.
struct LayoutRow {
  bool category = false;
  bool shown = true;  // category: expanded; item: visible
  int items = 0;      // category: rows under it
  std::string name;   // category: its name (items need none here)
};

class PropListLayout {
 public:
  // Where AddItemRow put a new item.
  struct Placement {
    int categoryRow = -1;        // row of its category
    int row = -1;                // row of the new item
    bool categoryCreated = false;  // the category row was appended for it (at categoryRow)
  };

  // Adds an item under the category named exactly so (letter case counts). A category that does not exist yet
  // is appended as the last row, expanded. The item goes directly after the category's last row and takes the
  // category's shown state, so an item added to a collapsed category stays hidden.
  Placement AddItemRow(const std::string& categoryName);

  // Opens a collapsed category or closes an open one: the category and every item row up to the next category
  // take the new state. False (nothing changes) if row is not a category.
  bool ToggleCategory(int row);

  int RowCount() const { return static_cast<int>(rows_.size()); }
  const LayoutRow& Row(int row) const { return rows_[static_cast<size_t>(row)]; }
  // Category a row belongs to (itself for a category), -1 for none.
  int CategoryOf(int row) const;

  // Row height: 25 for a category, 20 for a shown item, 0 for a hidden one.
  int RowHeight(int row) const;
  int ContentHeight() const;

  // The list's client area: its width and height and the vertical scroll offset in pixels.
  void SetClientSize(int width, int height);
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  int MaxScroll() const;
  // Sets the offset, kept to 0..MaxScroll. Returns the offset taken.
  int SetScroll(int offset);
  int Scroll() const { return scroll_; }

  // Row rectangle in client coordinates (after scrolling). Hidden rows are empty.
  Rect RowRect(int row) const;
  // First row whose rectangle holds the point, with the category, glyph and divider flags.
  HitResult HitTest(int x, int y) const;

  int NamePercent() const { return namePercent_; }
  // The header's share: taken when 15..85, else the list keeps what it has.
  void SetNamePercentFromFile(int percent);
  // Divider drag to client x: the share becomes trunc(100 / width * x) + 1, taken only when 16..84.
  // True when taken.
  bool DragDividerTo(int x);
  int DividerX() const { return chipcfg::DividerX(0, clientWidth_, namePercent_); }

 private:
  std::vector<LayoutRow> rows_;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  int scroll_ = 0;
  int namePercent_ = proplist::kDefaultNamePercent;
};

}  // namespace orven::chipcfg
