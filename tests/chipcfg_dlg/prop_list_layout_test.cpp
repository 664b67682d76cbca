// The property list's row order, heights, hit zones and divider rules, without any windows.
#include "chipcfg/prop_list_layout.h"

#include <gtest/gtest.h>

namespace orven::chipcfg {
namespace {

constexpr int kWidth = 400;

// Rows of a list built from categories in file order: A, B, A, C, B gives A a0 a2 B b1 b4 C c3.
PropListLayout Build(const std::vector<std::string>& categories, int width = kWidth, int height = 1000) {
  PropListLayout layout;
  layout.SetClientSize(width, height);
  for (const std::string& c : categories) layout.AddItemRow(c);
  return layout;
}

TEST(PropListLayout, ItemsGatherUnderTheirCategoryInOrderOfFirstUse) {
  PropListLayout layout;
  struct Step {
    std::string category;
    int categoryRow, row;
    bool created;
  };
  const Step steps[] = {
      {"A", 0, 1, true}, {"B", 2, 3, true}, {"A", 0, 2, false}, {"C", 5, 6, true}, {"B", 3, 5, false},
      {"a", 8, 9, true},  // exact match only: letter case makes another category
  };
  for (const Step& s : steps) {
    const PropListLayout::Placement p = layout.AddItemRow(s.category);
    EXPECT_EQ(p.categoryRow, s.categoryRow) << s.category;
    EXPECT_EQ(p.row, s.row) << s.category;
    EXPECT_EQ(p.categoryCreated, s.created) << s.category;
  }
  const std::vector<std::pair<bool, std::string>> expected = {
      {true, "A"}, {false, ""}, {false, ""}, {true, "B"}, {false, ""}, {false, ""}, {true, "C"}, {false, ""},
      {true, "a"}, {false, ""}};
  ASSERT_EQ(layout.RowCount(), static_cast<int>(expected.size()));
  for (int i = 0; i < layout.RowCount(); ++i) {
    EXPECT_EQ(layout.Row(i).category, expected[static_cast<size_t>(i)].first) << i;
    EXPECT_EQ(layout.Row(i).name, expected[static_cast<size_t>(i)].second) << i;
  }
  EXPECT_EQ(layout.Row(0).items, 2);
  EXPECT_EQ(layout.Row(3).items, 2);
  EXPECT_EQ(layout.CategoryOf(5), 3);
}

TEST(PropListLayout, ToggleHidesRowsUpToTheNextCategoryAndRestoresThem) {
  PropListLayout layout = Build({"A", "A", "B", "A"});  // A a a a B b
  auto heights = [&] {
    std::vector<int> h;
    for (int i = 0; i < layout.RowCount(); ++i) h.push_back(layout.RowHeight(i));
    return h;
  };
  EXPECT_EQ(heights(), (std::vector<int>{25, 20, 20, 20, 25, 20}));
  EXPECT_EQ(layout.ContentHeight(), 130);
  EXPECT_TRUE(layout.ToggleCategory(0));
  EXPECT_EQ(heights(), (std::vector<int>{25, 0, 0, 0, 25, 20}));
  EXPECT_FALSE(layout.Row(0).shown);
  EXPECT_EQ(layout.RowRect(4), (Rect{0, 25, kWidth, 50}));
  EXPECT_TRUE(layout.RowRect(2).IsEmpty());
  EXPECT_FALSE(layout.ToggleCategory(1)) << "an item row is no category";
  EXPECT_TRUE(layout.ToggleCategory(4));
  EXPECT_EQ(heights(), (std::vector<int>{25, 0, 0, 0, 25, 0}));
  EXPECT_TRUE(layout.ToggleCategory(0));
  EXPECT_EQ(heights(), (std::vector<int>{25, 20, 20, 20, 25, 0}));
  // An item added to a closed category stays hidden with its neighbours.
  EXPECT_EQ(layout.RowHeight(layout.AddItemRow("B").row), 0);
}

TEST(PropListLayout, HitTestZones) {
  PropListLayout layout = Build({"A", "A"});  // rows: A 0..25, a 25..45, a 45..65; divider at 120
  struct Case {
    int x, y;
    HitResult want;
  };
  const Case cases[] = {
      {10, 0, {0, true, false, false}},
      {10, 24, {0, true, false, false}},
      {kWidth - 20, 7, {0, true, true, false}},    // glyph zone: right-22..right-2 from top+5, shrunk by 2
      {kWidth - 5, 22, {0, true, true, false}},
      {kWidth - 5, 23, {0, true, false, false}},
      {kWidth - 21, 10, {0, true, false, false}},
      {kWidth - 4, 10, {0, true, false, false}},
      {kWidth - 10, 6, {0, true, false, false}},
      {kWidth - 10, 22, {0, true, true, false}},
      {kWidth - 10, 24, {0, true, false, false}},
      {117, 30, {1, false, false, true}},          // divider: closer than 4 pixels
      {123, 30, {1, false, false, true}},
      {116, 30, {1, false, false, false}},
      {124, 30, {1, false, false, false}},
      {50, 45, {2, false, false, false}},
      {50, 65, {-1, false, false, false}},         // below the last row
      {kWidth, 30, {-1, false, false, false}},     // right of the rows
  };
  for (const Case& c : cases) {
    const HitResult got = layout.HitTest(c.x, c.y);
    EXPECT_EQ(got.row, c.want.row) << c.x << "," << c.y;
    EXPECT_EQ(got.onCategory, c.want.onCategory) << c.x << "," << c.y;
    EXPECT_EQ(got.onGlyph, c.want.onGlyph) << c.x << "," << c.y;
    EXPECT_EQ(got.onDivider, c.want.onDivider) << c.x << "," << c.y;
  }
  layout.ToggleCategory(0);
  EXPECT_EQ(layout.HitTest(50, 30).row, -1) << "hidden rows take no clicks";
}

TEST(PropListLayout, HitTestFollowsScrolling) {
  PropListLayout layout = Build({"A", "A", "A", "A", "A"}, kWidth, 50);  // 125 pixels of rows in 50
  EXPECT_EQ(layout.MaxScroll(), 75);
  EXPECT_EQ(layout.SetScroll(500), 75);
  EXPECT_EQ(layout.SetScroll(-3), 0);
  layout.SetScroll(30);
  EXPECT_EQ(layout.HitTest(10, 0).row, 1);   // row 1 spans 25..45
  EXPECT_EQ(layout.HitTest(10, 15).row, 2);
  EXPECT_EQ(layout.RowRect(0), (Rect{0, -30, kWidth, -5}));
  layout.ToggleCategory(0);
  EXPECT_EQ(layout.Scroll(), 0) << "closing the category leaves nothing to scroll";
}

TEST(PropListLayout, DividerDragKeepsTheShareWithin16To84) {
  PropListLayout layout = Build({"A"});
  struct Case {
    int x;
    bool taken;
    int percent;  // share afterwards
  };
  const Case cases[] = {
      {200, true, 51}, {60, true, 16}, {59, false, 16}, {0, false, 16}, {-40, false, 16},
      {332, true, 84}, {335, true, 84}, {336, false, 84}, {399, false, 84}, {1000, false, 84}, {100, true, 26},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(layout.DragDividerTo(c.x), c.taken) << c.x;
    EXPECT_EQ(layout.NamePercent(), c.percent) << c.x;
  }
}

TEST(PropListLayout, FileShareTakenOnlyWithin15To85) {
  const std::pair<int, int> cases[] = {{14, 30}, {15, 15}, {40, 40}, {85, 85}, {86, 30}, {0, 30}, {1000, 30}};
  for (const auto& [file, shown] : cases) {
    PropListLayout layout = Build({"A"});
    layout.SetNamePercentFromFile(file);
    EXPECT_EQ(layout.NamePercent(), shown) << file;
  }
  PropListLayout layout = Build({"A"});
  layout.SetNamePercentFromFile(85);
  EXPECT_EQ(layout.DividerX(), 340) << "85 from the file shows until the first drag";
  EXPECT_FALSE(layout.DragDividerTo(345));
  EXPECT_TRUE(layout.DragDividerTo(300));
  EXPECT_EQ(layout.NamePercent(), 76);
}

TEST(PropListLayout, CellGeometry) {
  const Rect row{0, 45, 401, 65};
  EXPECT_EQ(DividerX(row.left, row.right, 30), 120);  // 401 / 100 * 30 = 120.3, cut
  EXPECT_EQ(DividerX(10, 110, 33), 43);
  EXPECT_EQ(NameCell(row, 30), (Rect{0, 45, 120, 65}));
  EXPECT_EQ(ValueCell(row, 30), (Rect{119, 45, 401, 65}));
  const Rect cell = EditorCell(row, 30);
  EXPECT_EQ(cell, (Rect{120, 45, 400, 64}));
  EXPECT_EQ(CheckBoxEditorRect(cell), (Rect{124, 48, 400, 64}));
  EXPECT_EQ(NumberEditorRect(cell), (Rect{124, 48, 399, 64}));
  EXPECT_EQ(DropDownEditorRect(cell), (Rect{120, 44, 400, 64}));
  const Rect category{0, 0, 401, 25};
  EXPECT_EQ(CategoryMarkRect(category), (Rect{0, 5, 16, 25}));
  EXPECT_EQ(CategoryGlyphRect(category), (Rect{379, 5, 401, 25}));
  EXPECT_EQ(CategoryNameRect(category), (Rect{20, 5, 381, 25}));
}

TEST(PropListLayout, DropDownListWidthMakesRoomForAScrollBar) {
  EXPECT_EQ(DropDownListWidth({}, 16), 12);
  EXPECT_EQ(DropDownListWidth({40, 90, 75}, 16), 102);
  EXPECT_EQ(DropDownListWidth(std::vector<int>(25, 80), 14), 92);   // 350 pixels stacked: still fits
  EXPECT_EQ(DropDownListWidth(std::vector<int>(26, 80), 14), 116);  // 364: needs the scroll bar
}

}  // namespace
}  // namespace orven::chipcfg
