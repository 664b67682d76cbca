// CHexEditCtrl: the hex dump view of the image buffer as a plain state machine. It keeps the cursor, the shown
// rows, the entry mode, the caret and the scroll bar, applies every key, character, click, wheel and scroll
// request, edits the bound buffer in place and describes each frame as a list of drawing steps. A toolkit
// widget forwards events to it and paints what it describes; nothing here knows a toolkit.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orven::hexview {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kHeaderTextColor{48, 48, 48};
inline constexpr Rgb kGridColor{49, 106, 197};

// Keys the view reacts to; the widget maps toolkit key codes onto these, every other key is kOther.
enum class Key { kTab, kPageUp, kPageDown, kEnd, kHome, kLeft, kRight, kUp, kDown, kOther };

// Vertical scroll-bar requests; kOther stands for the ones the view leaves alone (end of tracking, top, bottom).
enum class ScrollRequest { kLineUp, kLineDown, kPageUp, kPageDown, kThumbTrack, kOther };

// The text caret: an 8 x 16 block at (x, y) of the drawing, present only while the view has the focus and the
// cursor byte is among the shown ones.
struct CaretState {
  bool exists = false;
  int x = 0;
  int y = 0;
};

// Vertical scroll bar in the platform's terms: a range min..max with a page of `page` positions, so the thumb
// positions run from min to max - page + 1.
struct ScrollBarState {
  int min = 0;
  int max = 0;
  int page = 0;
  int pos = 0;
  bool enabled = false;
};

// One drawing step of a frame, in pixels of the drawing (origin top left). kText draws one character per 8 x 16
// cell from (x, y) with opaque cell backgrounds; kFill fills w x h; kLine is a one-pixel line from (x, y) to
// (x2, y2) inclusive.
struct DrawOp {
  enum class Kind { kFill, kText, kLine };
  Kind kind = Kind::kFill;
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  int x2 = 0;
  int y2 = 0;
  Rgb fg;
  Rgb bg;
  std::string text;
};

// What the view asks of its host window. Any hook may be left empty.
struct HexEditHooks {
  std::function<void()> beep;       // the platform's information sound (typing into a read-only view)
  std::function<void()> redraw;     // repaint the whole view
  std::function<void()> takeFocus;  // move the keyboard focus to the view (a click)
};

class CHexEditCtrl {
 public:
  // Geometry of the drawing, in pixels; one character cell is 8 x 16.
  static constexpr int kCellWidth = 8;
  static constexpr int kCellHeight = 16;
  static constexpr int kRowBytes = 16;
  static constexpr int kShownRows = 16;
  static constexpr uint32_t kViewBytes = kRowBytes * kShownRows;   // 256
  static constexpr int kDrawHeight = (kShownRows + 1) * kCellHeight;  // 272: header and 16 rows
  static constexpr int kAddressWidth = 72;                        // address column x 0..71
  static constexpr int kHexLeft = 72;                             // hex column x 72..463
  static constexpr int kHexRight = 463;
  static constexpr int kHexTextX = 80;
  static constexpr int kByteWidth = 24;                           // "XX "
  static constexpr int kCharTextX = 472;                          // character entry caret column
  static constexpr uint32_t kShownLength = 1024;                  // the view covers the first 1 KiB (64 rows)

  explicit CHexEditCtrl(HexEditHooks hooks = {});

  void SetHooks(HexEditHooks hooks) { hooks_ = std::move(hooks); }

  // Binds the view to `data` (borrowed, never freed; `size` bytes may be read and written) and shows its first
  // min(size, 1024) bytes from the top with the cursor on offset 0. A null buffer unbinds the view.
  void SetData(uint8_t* data, uint32_t size);

  // Owner properties. None of them repaints; the owner calls Redraw when it has set what it wants.
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  void SetHexAddresses(bool hex) { hexAddresses_ = hex; }
  void SetAddressColors(Rgb background, Rgb text) { addressBg_ = background, addressText_ = text; }
  void SetDataColors(Rgb background, Rgb text) { dataBg_ = background, dataText_ = text; }
  void SetHeaderColors(Rgb background, Rgb text) { headerBg_ = background, headerText_ = text; }
  void SetCharColors(Rgb background, Rgb text) { charBg_ = background, charText_ = text; }
  void Redraw() const;

  // Events from the host window.
  void OnKeyDown(Key key);
  void OnChar(uint32_t ch);               // one typed character (a code point)
  void OnLButtonDown(int x, int y);       // x, y in pixels of the drawing
  void OnVScroll(ScrollRequest request, int trackPos);  // trackPos matters for kThumbTrack only
  void OnMouseWheel(int delta);           // one wheel message; only its sign counts
  void OnSetFocus();
  void OnKillFocus();

  // Describes the whole frame for a drawing `clientWidth` pixels wide and kDrawHeight high, in drawing order.
  std::vector<DrawOp> BuildFrame(int clientWidth) const;
  std::string AddressText(uint32_t offset) const;  // the address column's text for a buffer offset
  std::string HexRowText(int shownRow) const;      // the hex column's text of a shown row ("" past the end)
  int ShownRowCount() const;

  // State.
  const uint8_t* Data() const { return data_; }
  uint32_t Length() const { return length_; }
  uint32_t BaseAddress() const { return baseAddress_; }
  uint32_t TopRow() const { return topRow_; }
  uint32_t LastTopRow() const { return lastTopRow_; }
  uint32_t FirstOffset() const { return firstOffset_; }
  uint32_t EndOffset() const { return endOffset_; }
  uint32_t Cursor() const { return cursor_; }
  bool HexEntry() const { return hexEntry_; }
  bool HighNibble() const { return highNibble_; }
  bool ReadOnly() const { return readOnly_; }
  bool HexAddresses() const { return hexAddresses_; }
  bool HasFocus() const { return hasFocus_; }
  const CaretState& Caret() const { return caret_; }
  const ScrollBarState& ScrollBar() const { return scrollBar_; }
  Rgb AddressBackground() const { return addressBg_; }
  Rgb AddressTextColor() const { return addressText_; }
  Rgb DataBackground() const { return dataBg_; }
  Rgb DataTextColor() const { return dataText_; }
  Rgb HeaderBackground() const { return headerBg_; }
  Rgb HeaderTextColor() const { return headerText_; }
  Rgb CharBackground() const { return charBg_; }
  Rgb CharTextColor() const { return charText_; }

 private:
  void ScrollTo(int64_t topRow);
  void ScrollBy(int64_t rows) { ScrollTo(int64_t{topRow_} + rows); }
  void Centre();
  void KeepVisible();
  void PlaceCaret();
  void FinishInput();
  bool TypeHexDigit(uint32_t ch);
  bool TypeCharacter(uint32_t ch);

  HexEditHooks hooks_;
  uint8_t* data_ = nullptr;
  uint32_t length_ = 0;
  uint32_t baseAddress_ = 0;
  uint32_t topRow_ = 0;
  uint32_t lastTopRow_ = 0;
  uint32_t firstOffset_ = 0;
  uint32_t endOffset_ = 0;
  uint32_t cursor_ = 0;
  bool hexEntry_ = true;
  bool highNibble_ = true;
  bool readOnly_ = false;
  bool hexAddresses_ = false;
  bool hasFocus_ = false;
  CaretState caret_;
  ScrollBarState scrollBar_;
  Rgb addressBg_ = kWhite;
  Rgb addressText_ = kBlack;
  Rgb dataBg_ = kWhite;
  Rgb dataText_ = kBlack;
  Rgb headerBg_ = kWhite;
  Rgb headerText_ = kHeaderTextColor;
  Rgb charBg_ = kWhite;
  Rgb charText_ = kBlack;
};

// The look the main window gives the view around a device operation: while one runs the view is read-only and
// all three areas sit on the button-face colour; afterwards it is editable with white hex and character areas.
// The text colours are the same in both states. Repaints.
void ApplyOperationLook(CHexEditCtrl& view, bool operationRunning, Rgb buttonFace);

}  // namespace orven::hexview
