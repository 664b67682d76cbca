#include "chipcfg/prop_list_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orven::chipcfg {

using namespace proplist;

int DividerX(int left, int right, int namePercent) {
  return left + static_cast<int>(std::trunc((right - left) / 100.0 * namePercent));
}

Rect NameCell(const Rect& row, int namePercent) {
  return Rect{row.left, row.top, DividerX(row.left, row.right, namePercent), row.bottom};
}

Rect ValueCell(const Rect& row, int namePercent) {
  return Rect{DividerX(row.left, row.right, namePercent) - 1, row.top, row.right, row.bottom};
}

Rect EditorCell(const Rect& row, int namePercent) {
  return Rect{DividerX(row.left, row.right, namePercent), row.top, row.right - 1, row.bottom - 1};
}

Rect CategoryMarkRect(const Rect& row) {
  const int top = row.top + kCategoryBandOffset;
  return Rect{row.left, top, row.left + kMarkWidth, top + kGlyphHeight};
}

Rect CategoryGlyphRect(const Rect& row) {
  const int top = row.top + kCategoryBandOffset;
  return Rect{row.right - kGlyphWidth, top, row.right, top + kGlyphHeight};
}

Rect CategoryGlyphHitZone(const Rect& row) {
  return Rect{row.right - kGlyphWidth, row.top + kCategoryBandOffset, row.right - 2, row.bottom}.Shrunk(2);
}

Rect CategoryNameRect(const Rect& row) {
  return Rect{row.left + kCategoryNameIndent, row.top + kCategoryBandOffset, row.right - kCategoryNameIndent,
              row.bottom};
}

Rect CheckBoxEditorRect(const Rect& cell) {
  return Rect{cell.left + 4, cell.top + 3, cell.left + 4 + (cell.Width() - 4), cell.top + 3 + (cell.Height() - 3)};
}

Rect NumberEditorRect(const Rect& cell) {
  return Rect{cell.left + 4, cell.top + 3, cell.left + 4 + (cell.Width() - 5), cell.top + 3 + (cell.Height() - 3)};
}

Rect DropDownEditorRect(const Rect& cell) {
  // The closed box covers the cell and the frame line above it; its list drops below.
  return Rect{cell.left, cell.top - 1, cell.right, cell.bottom};
}

int DropDownListWidth(const std::vector<int>& labelWidths, int labelHeight) {
  int widest = 0;
  for (int w : labelWidths) widest = std::max(widest, w);
  const long long stacked = static_cast<long long>(labelHeight) * static_cast<long long>(labelWidths.size());
  return widest + (stacked > kDropDownMaxListHeight ? kDropDownScrollMargin : kDropDownTextMargin);
}

PropListLayout::Placement PropListLayout::AddItemRow(const std::string& categoryName) {
  Placement placement;
  for (int i = 0; i < RowCount(); ++i) {
    if (rows_[static_cast<size_t>(i)].category && rows_[static_cast<size_t>(i)].name == categoryName) {
      placement.categoryRow = i;
      break;
    }
  }
  if (placement.categoryRow < 0) {
    rows_.push_back(LayoutRow{.category = true, .shown = true, .items = 0, .name = categoryName});
    placement.categoryRow = RowCount() - 1;
    placement.categoryCreated = true;
  }
  LayoutRow& category = rows_[static_cast<size_t>(placement.categoryRow)];
  placement.row = placement.categoryRow + category.items + 1;
  const bool shown = category.shown;
  ++category.items;
  rows_.insert(rows_.begin() + placement.row, LayoutRow{.category = false, .shown = shown, .items = 0, .name = {}});
  SetScroll(scroll_);
  return placement;
}

bool PropListLayout::ToggleCategory(int row) {
  if (row < 0 || row >= RowCount() || !rows_[static_cast<size_t>(row)].category) return false;
  const bool shown = !rows_[static_cast<size_t>(row)].shown;
  rows_[static_cast<size_t>(row)].shown = shown;
  for (int i = row + 1; i < RowCount() && !rows_[static_cast<size_t>(i)].category; ++i) {
    rows_[static_cast<size_t>(i)].shown = shown;
  }
  SetScroll(scroll_);
  return true;
}

int PropListLayout::CategoryOf(int row) const {
  for (int i = std::min(row, RowCount() - 1); i >= 0; --i) {
    if (rows_[static_cast<size_t>(i)].category) return i;
  }
  return -1;
}

int PropListLayout::RowHeight(int row) const {
  const LayoutRow& r = rows_[static_cast<size_t>(row)];
  if (r.category) return kCategoryRowHeight;
  return r.shown ? kItemRowHeight : 0;
}

int PropListLayout::ContentHeight() const {
  int height = 0;
  for (int i = 0; i < RowCount(); ++i) height += RowHeight(i);
  return height;
}

void PropListLayout::SetClientSize(int width, int height) {
  clientWidth_ = std::max(0, width);
  clientHeight_ = std::max(0, height);
  SetScroll(scroll_);
}

int PropListLayout::MaxScroll() const { return std::max(0, ContentHeight() - clientHeight_); }

int PropListLayout::SetScroll(int offset) {
  scroll_ = std::clamp(offset, 0, MaxScroll());
  return scroll_;
}

Rect PropListLayout::RowRect(int row) const {
  int top = -scroll_;
  for (int i = 0; i < row; ++i) top += RowHeight(i);
  return Rect{0, top, clientWidth_, top + RowHeight(row)};
}

HitResult PropListLayout::HitTest(int x, int y) const {
  HitResult hit;
  int top = -scroll_;
  for (int i = 0; i < RowCount(); ++i) {
    const Rect row{0, top, clientWidth_, top + RowHeight(i)};
    top = row.bottom;
    if (!row.Contains(x, y)) continue;
    hit.row = i;
    if (rows_[static_cast<size_t>(i)].category) {
      hit.onCategory = true;
      hit.onGlyph = CategoryGlyphHitZone(row).Contains(x, y);
    }
    hit.onDivider = std::abs(x - chipcfg::DividerX(row.left, row.right, namePercent_)) < kDividerGrip;
    return hit;
  }
  return hit;
}

void PropListLayout::SetNamePercentFromFile(int percent) {
  if (percent >= 15 && percent <= 85) namePercent_ = percent;
}

bool PropListLayout::DragDividerTo(int x) {
  if (clientWidth_ <= 0) return false;
  const double share = std::trunc(100.0 / clientWidth_ * x) + 1;
  if (share < kMinDragPercent || share > kMaxDragPercent) return false;
  namePercent_ = static_cast<int>(share);
  return true;
}

}  // namespace orven::chipcfg
