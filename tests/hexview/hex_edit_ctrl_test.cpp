#include "hexview/hex_edit_ctrl.h"

#include <gtest/gtest.h>

#include <vector>

#include "hexview/texts.h"

namespace orven::hexview {
namespace {

constexpr uint32_t kImageSize = 262144;

class HexEditCtrlTest : public ::testing::Test {
 protected:
  HexEditCtrlTest() : image_(kImageSize, 0xFF) {
    ctrl_.SetHooks({[this] { ++beeps_; }, [this] { ++redraws_; }, [this] { ++focusRequests_; }});
    ctrl_.SetData(image_.data(), kImageSize);
    ctrl_.SetHexAddresses(true);
    ctrl_.OnSetFocus();
    redraws_ = 0;
  }

  void Keys(std::initializer_list<Key> keys) {
    for (Key k : keys) ctrl_.OnKeyDown(k);
  }
  void Type(const char* text) {
    for (; *text != '\0'; ++text) ctrl_.OnChar(static_cast<unsigned char>(*text));
  }
  // Moves the cursor to `offset` (on its high nibble) through the keyboard, as a user would.
  void GoTo(uint32_t offset) {
    ctrl_.OnKeyDown(Key::kHome);
    for (uint32_t i = 0; i < offset / 16; ++i) ctrl_.OnKeyDown(Key::kDown);
    for (uint32_t i = 0; i < offset % 16; ++i) Keys({Key::kRight, Key::kRight});
    ASSERT_EQ(ctrl_.Cursor(), offset);
    ASSERT_TRUE(ctrl_.HighNibble());
  }
  std::vector<DrawOp> Texts() const {
    std::vector<DrawOp> texts;
    for (const DrawOp& op : ctrl_.BuildFrame(464)) {
      if (op.kind == DrawOp::Kind::kText) texts.push_back(op);
    }
    return texts;
  }

  std::vector<uint8_t> image_;
  CHexEditCtrl ctrl_;
  int beeps_ = 0;
  int redraws_ = 0;
  int focusRequests_ = 0;
};

TEST_F(HexEditCtrlTest, SetDataShowsFirstRowsAndScrollRange) {
  EXPECT_EQ(ctrl_.Length(), 1024u);
  EXPECT_EQ(ctrl_.LastTopRow(), 48u);
  EXPECT_EQ(ctrl_.FirstOffset(), 0u);
  EXPECT_EQ(ctrl_.EndOffset(), 256u);
  const ScrollBarState& bar = ctrl_.ScrollBar();
  EXPECT_EQ(bar.min, 0);
  EXPECT_EQ(bar.max - bar.page + 1, 48) << "thumb positions must be rows 0..48";
  EXPECT_EQ(bar.page, 17);
  EXPECT_TRUE(bar.enabled);

  const std::vector<DrawOp> texts = Texts();
  ASSERT_EQ(texts.size(), 1u + 16 + 16);
  EXPECT_EQ(texts[0].text, texts::kHeader);
  EXPECT_EQ(texts[0].fg, kHeaderTextColor);
  for (int r = 0; r < 16; ++r) {
    char want[9];
    std::snprintf(want, sizeof want, "%08X", r * 16);
    const DrawOp& address = texts[1 + static_cast<size_t>(r)];
    EXPECT_EQ(address.text, want);
    EXPECT_EQ(address.x, 0);
    EXPECT_EQ(address.y, 16 * (r + 1));
    const DrawOp& hex = texts[17 + static_cast<size_t>(r)];
    EXPECT_EQ(hex.x, 80);
    EXPECT_EQ(hex.y, 16 * (r + 1));
    EXPECT_EQ(hex.text.size(), 47u) << "16 bytes, no trailing space";
  }
  EXPECT_EQ(texts[1].text, "00000000");
  EXPECT_EQ(texts[16].text, "000000F0");
}

TEST_F(HexEditCtrlTest, FrameGeometryAndTexts) {
  image_[0] = 0x0A;
  image_[15] = 0xB7;
  ctrl_.SetAddressColors(Rgb{1, 2, 3}, Rgb{4, 5, 6});
  const std::vector<DrawOp> ops = ctrl_.BuildFrame(461);
  std::vector<DrawOp> fills;
  std::vector<DrawOp> lines;
  for (const DrawOp& op : ops) {
    if (op.kind == DrawOp::Kind::kFill) fills.push_back(op);
    if (op.kind == DrawOp::Kind::kLine) lines.push_back(op);
  }
  ASSERT_EQ(fills.size(), 3u);
  EXPECT_EQ((std::vector<int>{fills[0].x, fills[0].y, fills[0].w, fills[0].h}), (std::vector<int>{0, 0, 461, 272}));
  EXPECT_EQ(fills[0].bg, kWhite);
  EXPECT_EQ((std::vector<int>{fills[1].x, fills[1].y, fills[1].w, fills[1].h}), (std::vector<int>{0, 16, 72, 256}));
  EXPECT_EQ(fills[1].bg, (Rgb{1, 2, 3}));
  EXPECT_EQ((std::vector<int>{fills[2].x, fills[2].y, fills[2].w, fills[2].h}), (std::vector<int>{72, 16, 392, 256}));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ((std::vector<int>{lines[0].x, lines[0].y, lines[0].x2, lines[0].y2}), (std::vector<int>{0, 15, 460, 15}));
  EXPECT_EQ((std::vector<int>{lines[1].x, lines[1].y, lines[1].x2, lines[1].y2}), (std::vector<int>{72, 0, 72, 271}));
  EXPECT_EQ(lines[0].fg, kGridColor);
  EXPECT_EQ(ops.back().kind, DrawOp::Kind::kLine) << "the grid is drawn over the texts";

  EXPECT_EQ(ctrl_.HexRowText(0), "0A FF FF FF FF FF FF FF FF FF FF FF FF FF FF B7");
  EXPECT_EQ(ctrl_.HexRowText(16), "");
  ctrl_.SetHexAddresses(false);
  EXPECT_EQ(ctrl_.AddressText(0x10), "00000016");
  EXPECT_EQ(ctrl_.AddressText(0x3F0), "00001008");
}

// One key from a given cursor and top row; the table covers each key's edge.
struct KeyCase {
  const char* name;
  uint32_t start;      // cursor, on its high nibble
  uint32_t scrollTo;   // top row set through the scroll bar afterwards
  bool lowNibble;      // move onto the low nibble first
  Key key;
  uint32_t cursor;
  bool highNibble;
  uint32_t topRow;
};

TEST_F(HexEditCtrlTest, KeyTable) {
  const KeyCase cases[] = {
      {"End", 0, 0, false, Key::kEnd, 1023, false, 48},
      {"Home from the end", 1023, 48, false, Key::kHome, 0, true, 0},
      {"Down on the last shown row scrolls one row", 243, 0, false, Key::kDown, 259, true, 1},
      {"Down inside the view", 3, 0, false, Key::kDown, 19, true, 0},
      {"Down on the last row stays", 1010, 48, false, Key::kDown, 1010, true, 48},
      {"Up on the first shown row scrolls one row", 19, 1, false, Key::kUp, 3, true, 0},
      {"Up on offset 15 stays", 15, 0, false, Key::kUp, 15, true, 0},
      {"Page Down", 5, 0, false, Key::kPageDown, 261, true, 16},
      {"Page Down near the end moves only the view", 800, 40, false, Key::kPageDown, 800, true, 48},
      {"Page Up near the start moves only the view", 200, 5, false, Key::kPageUp, 200, true, 0},
      {"Page Up", 600, 30, false, Key::kPageUp, 344, true, 14},
      {"Right onto the low nibble", 7, 0, false, Key::kRight, 7, false, 0},
      {"Right from the low nibble", 7, 0, true, Key::kRight, 8, true, 0},
      {"Right on the last byte's low nibble stays", 1023, 48, true, Key::kRight, 1023, false, 48},
      {"Left onto the high nibble", 7, 0, true, Key::kLeft, 7, true, 0},
      {"Left from the high nibble", 7, 0, false, Key::kLeft, 6, false, 0},
      {"Left on offset 0 stays", 0, 0, false, Key::kLeft, 0, true, 0},
      {"Right at the end of the view scrolls", 255, 0, true, Key::kRight, 256, true, 1},
      {"Other keys keep the cursor", 40, 0, false, Key::kOther, 40, true, 0},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    GoTo(c.start);
    if (c.lowNibble) ctrl_.OnKeyDown(Key::kRight);
    ctrl_.OnVScroll(ScrollRequest::kThumbTrack, static_cast<int>(c.scrollTo));
    ASSERT_EQ(ctrl_.TopRow(), c.scrollTo);
    ctrl_.OnKeyDown(c.key);
    EXPECT_EQ(ctrl_.Cursor(), c.cursor);
    EXPECT_EQ(ctrl_.HighNibble(), c.highNibble);
    EXPECT_EQ(ctrl_.TopRow(), c.topRow);
    EXPECT_EQ(ctrl_.ScrollBar().pos, static_cast<int>(c.topRow));
    EXPECT_EQ(ctrl_.FirstOffset(), c.topRow * 16);
    EXPECT_EQ(ctrl_.EndOffset(), std::min(c.topRow * 16 + 256, 1024u));
  }
}

TEST_F(HexEditCtrlTest, EndShowsTheLastRows) {
  ctrl_.OnKeyDown(Key::kEnd);
  const std::vector<DrawOp> texts = Texts();
  EXPECT_EQ(texts[1].text, "00000300");
  EXPECT_EQ(texts[16].text, "000003F0");
  EXPECT_EQ(ctrl_.Caret().x, 80 + 15 * 24 + 8);
  EXPECT_EQ(ctrl_.Caret().y, 16 * 16);
}

TEST_F(HexEditCtrlTest, HexTyping) {
  Type("A5");
  EXPECT_EQ(image_[0], 0xA5);
  EXPECT_EQ(ctrl_.Cursor(), 1u);
  EXPECT_TRUE(ctrl_.HighNibble());
  Type("c");  // lower and upper case are the same digit
  EXPECT_EQ(image_[1], 0xCF);
  EXPECT_FALSE(ctrl_.HighNibble());
  const int redraws = redraws_;
  Type("g- ");
  EXPECT_EQ(image_[1], 0xCF) << "non-digits are ignored";
  EXPECT_EQ(ctrl_.Cursor(), 1u);
  EXPECT_EQ(redraws_, redraws);

  // The last byte: the low nibble keeps the cursor, so further digits keep overwriting it.
  ctrl_.OnKeyDown(Key::kEnd);
  Type("7");
  EXPECT_EQ(image_[1023], 0xF7);
  EXPECT_EQ(ctrl_.Cursor(), 1023u);
  Type("3");
  EXPECT_EQ(image_[1023], 0xF3);
  EXPECT_EQ(ctrl_.Cursor(), 1023u);
  EXPECT_EQ(image_[1024], 0xFF) << "nothing past the shown length is touched";
  EXPECT_EQ(beeps_, 0);
}

TEST_F(HexEditCtrlTest, TypingPastTheViewScrollsOrCentres) {
  GoTo(255);
  Type("12");
  EXPECT_EQ(image_[255], 0x12);
  EXPECT_EQ(ctrl_.Cursor(), 256u);
  EXPECT_EQ(ctrl_.TopRow(), 1u);

  // Without the focus there is no caret: the view centres on the cursor.
  GoTo(600);
  ctrl_.OnVScroll(ScrollRequest::kThumbTrack, 0);
  ctrl_.OnKillFocus();
  Type("4");
  EXPECT_EQ(ctrl_.TopRow(), 600u / 16 - 8);
  Type("4");
  EXPECT_EQ(image_[600], 0x44);
  EXPECT_FALSE(ctrl_.Caret().exists);
}

TEST_F(HexEditCtrlTest, CharacterEntry) {
  ctrl_.OnKeyDown(Key::kTab);
  EXPECT_FALSE(ctrl_.HexEntry());
  EXPECT_EQ(ctrl_.Caret().x, 472);
  Type("Hi~ ");
  EXPECT_EQ((std::vector<uint8_t>(image_.begin(), image_.begin() + 5)),
            (std::vector<uint8_t>{'H', 'i', '~', ' ', 0xFF}));
  EXPECT_EQ(ctrl_.Cursor(), 4u);
  EXPECT_EQ(ctrl_.Caret().x, 472 + 4 * 8);
  for (uint32_t ch : {31u, 127u, 200u, 0x4E2Du}) ctrl_.OnChar(ch);
  EXPECT_EQ(image_[4], 0xFF);
  EXPECT_EQ(ctrl_.Cursor(), 4u);

  ctrl_.OnKeyDown(Key::kEnd);
  Type("XY");
  EXPECT_EQ(image_[1023], 'Y');
  EXPECT_EQ(ctrl_.Cursor(), 1023u);
  ctrl_.OnKeyDown(Key::kTab);
  EXPECT_TRUE(ctrl_.HexEntry());
}

TEST_F(HexEditCtrlTest, ReadOnlyTypingOnlyBeeps) {
  ApplyOperationLook(ctrl_, true, Rgb{240, 240, 240});
  EXPECT_TRUE(ctrl_.ReadOnly());
  const std::vector<uint8_t> before = image_;
  redraws_ = 0;
  Type("A5");
  ctrl_.OnKeyDown(Key::kTab);
  Type("x");
  EXPECT_EQ(beeps_, 3);
  EXPECT_EQ(image_, before);
  EXPECT_EQ(ctrl_.Cursor(), 0u);
  EXPECT_TRUE(ctrl_.HighNibble());
  EXPECT_EQ(redraws_, 1) << "only the Tab key repaints";

  // Moving around stays possible while the buffer is locked.
  ctrl_.OnKeyDown(Key::kDown);
  EXPECT_EQ(ctrl_.Cursor(), 16u);
}

TEST_F(HexEditCtrlTest, OperationLookColours) {
  const Rgb face{212, 208, 200};
  ApplyOperationLook(ctrl_, true, face);
  EXPECT_EQ(ctrl_.AddressBackground(), face);
  EXPECT_EQ(ctrl_.DataBackground(), face);
  EXPECT_EQ(ctrl_.CharBackground(), face);
  EXPECT_EQ(ctrl_.AddressTextColor(), (Rgb{128, 0, 0}));
  EXPECT_EQ(ctrl_.DataTextColor(), (Rgb{0, 128, 64}));
  EXPECT_EQ(ctrl_.CharTextColor(), (Rgb{128, 0, 128}));
  ApplyOperationLook(ctrl_, false, face);
  EXPECT_FALSE(ctrl_.ReadOnly());
  EXPECT_EQ(ctrl_.AddressBackground(), face);
  EXPECT_EQ(ctrl_.DataBackground(), kWhite);
  EXPECT_EQ(ctrl_.CharBackground(), kWhite);
  EXPECT_EQ(ctrl_.DataTextColor(), (Rgb{0, 128, 64}));
  EXPECT_GE(redraws_, 2);
}

struct ClickCase {
  const char* name;
  int x;
  int y;
  uint32_t cursor;
  bool hexEntry;
  bool highNibble;
};

TEST_F(HexEditCtrlTest, ClickTable) {
  const ClickCase cases[] = {
      {"20 pixels into a cell: next byte's high nibble", 80 + 20, 20, 1, true, true},
      {"8 pixels in: high nibble", 80 + 8, 20, 0, true, true},
      {"9 pixels in: low nibble", 80 + 9, 20, 0, true, false},
      {"19 pixels in: low nibble", 80 + 24 + 19, 20, 1, true, false},
      {"address column", 30, 40, 16, true, true},
      {"header counts as the first row", 80 + 48, 3, 2, true, true},
      {"right end of the hex column", 464, 16 * 3, 32 + 15, true, false},
      {"character area", 472 + 3 * 8 + 2, 20, 3, false, true},
      {"left of the character area", 466, 20, 0, false, true},
      {"far right", 2000, 20, 15, false, true},
      {"below the drawn rows: last shown row", 80, 1000, 240, true, true},
  };
  for (const ClickCase& c : cases) {
    SCOPED_TRACE(c.name);
    ctrl_.OnKeyDown(Key::kHome);
    ctrl_.OnLButtonDown(c.x, c.y);
    EXPECT_EQ(ctrl_.Cursor(), c.cursor);
    EXPECT_EQ(ctrl_.HexEntry(), c.hexEntry);
    if (c.hexEntry) {
      EXPECT_EQ(ctrl_.HighNibble(), c.highNibble);
    }
    EXPECT_TRUE(ctrl_.Caret().exists);
  }

  // Clicks count from the first shown row.
  ctrl_.OnKeyDown(Key::kEnd);
  ctrl_.OnLButtonDown(80 + 24 * 2, 16 * 16 + 4);
  EXPECT_EQ(ctrl_.Cursor(), 768u + 240 + 2);
  EXPECT_EQ(ctrl_.Caret().x, 80 + 2 * 24);
  EXPECT_EQ(ctrl_.Caret().y, 16 * 16);
}

TEST_F(HexEditCtrlTest, ClickTakesFocusAndPlacesCaret) {
  ctrl_.OnKillFocus();
  EXPECT_FALSE(ctrl_.Caret().exists);
  redraws_ = 0;
  ctrl_.OnLButtonDown(80 + 24 * 3 + 10, 16 * 2 + 1);
  EXPECT_EQ(focusRequests_, 1);
  EXPECT_TRUE(ctrl_.HasFocus());
  const CaretState caret = ctrl_.Caret();
  EXPECT_TRUE(caret.exists);
  EXPECT_EQ(caret.x, 80 + 3 * 24 + 8);
  EXPECT_EQ(caret.y, 32);
  EXPECT_EQ(ctrl_.Cursor(), 16u + 3);
}

TEST_F(HexEditCtrlTest, ScrollRequestsAndWheel) {
  struct Step {
    ScrollRequest request;
    int track;
    uint32_t topRow;
  };
  const Step steps[] = {
      {ScrollRequest::kLineDown, 0, 1},   {ScrollRequest::kPageDown, 0, 17}, {ScrollRequest::kThumbTrack, 30, 30},
      {ScrollRequest::kOther, 5, 30},     {ScrollRequest::kThumbTrack, 100, 48}, {ScrollRequest::kPageDown, 0, 48},
      {ScrollRequest::kLineDown, 0, 48},  {ScrollRequest::kPageUp, 0, 32},   {ScrollRequest::kLineUp, 0, 31},
      {ScrollRequest::kThumbTrack, -4, 0}, {ScrollRequest::kLineUp, 0, 0},
  };
  for (const Step& s : steps) {
    ctrl_.OnVScroll(s.request, s.track);
    EXPECT_EQ(ctrl_.TopRow(), s.topRow);
    EXPECT_EQ(ctrl_.ScrollBar().pos, static_cast<int>(s.topRow));
  }
  EXPECT_EQ(ctrl_.Cursor(), 0u) << "scrolling leaves the cursor";

  ctrl_.OnMouseWheel(-120);
  EXPECT_EQ(ctrl_.TopRow(), 1u);
  EXPECT_FALSE(ctrl_.Caret().exists) << "the cursor row scrolled out of view";
  ctrl_.OnMouseWheel(-1);
  ctrl_.OnMouseWheel(120);
  EXPECT_EQ(ctrl_.TopRow(), 1u);
  ctrl_.OnMouseWheel(120);
  EXPECT_TRUE(ctrl_.Caret().exists);

  // A key with the cursor out of view centres it again.
  ctrl_.OnVScroll(ScrollRequest::kThumbTrack, 40);
  ctrl_.OnKeyDown(Key::kOther);
  EXPECT_EQ(ctrl_.TopRow(), 0u);
}

TEST(HexEditCtrlBounds, UnboundAndShortBuffers) {
  int beeps = 0;
  CHexEditCtrl unbound({[&] { ++beeps; }, {}, {}});
  unbound.OnSetFocus();
  for (Key k : {Key::kEnd, Key::kDown, Key::kRight, Key::kPageDown, Key::kHome, Key::kLeft, Key::kUp}) {
    unbound.OnKeyDown(k);
  }
  unbound.OnChar('5');
  unbound.OnLButtonDown(200, 200);
  unbound.OnMouseWheel(-1);
  EXPECT_EQ(unbound.Cursor(), 0u);
  EXPECT_FALSE(unbound.Caret().exists);
  EXPECT_FALSE(unbound.ScrollBar().enabled);
  EXPECT_EQ(unbound.BuildFrame(464).size(), 6u) << "clear, header, two fills, two grid lines";

  // A buffer shorter than the view's kilobyte shows only what it holds.
  std::vector<uint8_t> small(100, 0x11);
  CHexEditCtrl view;
  view.SetData(small.data(), static_cast<uint32_t>(small.size()));
  view.OnSetFocus();
  EXPECT_EQ(view.Length(), 100u);
  EXPECT_EQ(view.EndOffset(), 100u);
  EXPECT_FALSE(view.ScrollBar().enabled);
  EXPECT_EQ(view.ShownRowCount(), 7);
  EXPECT_EQ(view.HexRowText(6), "11 11 11 11");
  view.OnLButtonDown(80 + 24 * 10, 16 * 7 + 2);  // past the last byte of the short last row
  EXPECT_LE(view.Cursor(), 99u);
  view.OnKeyDown(Key::kEnd);
  EXPECT_EQ(view.Cursor(), 99u);
  view.OnKeyDown(Key::kLeft);
  for (char ch : std::string("ef")) view.OnChar(static_cast<unsigned char>(ch));
  EXPECT_EQ(small[99], 0xEF);
  EXPECT_EQ(view.Cursor(), 99u);

  std::vector<uint8_t> tiny(5, 0);
  view.SetData(tiny.data(), 5);
  view.OnLButtonDown(80 + 24 * 12, 16);
  EXPECT_EQ(view.Cursor(), 4u);
}

}  // namespace
}  // namespace orven::hexview
