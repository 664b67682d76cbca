#include "hexview/hex_edit_ctrl.h"

#include <algorithm>

namespace orven::hexview {

CHexEditCtrl::CHexEditCtrl(HexEditHooks hooks) : hooks_(std::move(hooks)) {}

void CHexEditCtrl::SetData(uint8_t* data, uint32_t size) {
  // The view never reaches past what the owner says it holds: a short buffer shows fewer rows.
  data_ = size == 0 ? nullptr : data;
  length_ = data_ == nullptr ? 0 : std::min(size, kShownLength);
  const uint32_t rows = (length_ + kRowBytes - 1) / kRowBytes;
  lastTopRow_ = rows > kShownRows ? rows - kShownRows : 0;
  baseAddress_ = 0;
  topRow_ = 0;
  firstOffset_ = 0;
  endOffset_ = std::min(kViewBytes, length_);
  cursor_ = 0;
  highNibble_ = true;
  hexEntry_ = true;
  // Range 0..last+16 with a page of 17 leaves exactly the thumb positions 0..last top row.
  scrollBar_.min = 0;
  scrollBar_.max = static_cast<int>(lastTopRow_) + kShownRows;
  scrollBar_.page = kShownRows + 1;
  scrollBar_.pos = 0;
  scrollBar_.enabled = lastTopRow_ > 0;
  PlaceCaret();
  Redraw();
}

void CHexEditCtrl::Redraw() const {
  if (hooks_.redraw) hooks_.redraw();
}

void CHexEditCtrl::ScrollTo(int64_t topRow) {
  topRow_ = static_cast<uint32_t>(std::clamp<int64_t>(topRow, 0, lastTopRow_));
  firstOffset_ = topRow_ * kRowBytes;
  endOffset_ = std::min(firstOffset_ + kViewBytes, length_);
  scrollBar_.pos = static_cast<int>(topRow_);
}

void CHexEditCtrl::Centre() {
  if (cursor_ < kViewBytes / 2) {
    ScrollTo(0);
  } else if (cursor_ + 136 > length_ - 1) {
    ScrollTo(lastTopRow_);
  } else {
    ScrollTo(int64_t{cursor_ / kRowBytes} - kShownRows / 2);
  }
}

void CHexEditCtrl::KeepVisible() {
  if (length_ == 0) return;
  // Without a caret the user cannot see where the cursor went, so the view jumps to show it mid-screen.
  if (!caret_.exists) {
    Centre();
    return;
  }
  const uint32_t row = cursor_ / kRowBytes;
  if (row < topRow_) {
    ScrollTo(row);
  } else if (row >= topRow_ + kShownRows) {
    ScrollTo(int64_t{row} - (kShownRows - 1));
  }
}

void CHexEditCtrl::PlaceCaret() {
  if (!hasFocus_ || length_ == 0 || cursor_ < firstOffset_ || cursor_ > endOffset_) {
    caret_.exists = false;
    return;
  }
  const uint32_t rel = cursor_ - firstOffset_;
  const int column = static_cast<int>(rel % kRowBytes);
  caret_.exists = true;
  caret_.y = static_cast<int>(rel / kRowBytes + 1) * kCellHeight;
  if (hexEntry_) {
    caret_.x = kHexTextX + column * kByteWidth + (highNibble_ ? 0 : kCellWidth);
  } else {
    caret_.x = kCharTextX + column * kCellWidth;
  }
}

void CHexEditCtrl::FinishInput() {
  KeepVisible();
  Redraw();
  PlaceCaret();
}

void CHexEditCtrl::OnKeyDown(Key key) {
  if (key == Key::kTab) {
    hexEntry_ = !hexEntry_;
  } else if (length_ > 0) {
    // Unbound, the view has no last byte to move to; only the entry mode can change.
    switch (key) {
      case Key::kPageUp:
        if (cursor_ > kViewBytes - 1) cursor_ -= kViewBytes;
        ScrollBy(-int64_t{kShownRows});
        break;
      case Key::kPageDown:
        if (cursor_ + kViewBytes < length_ - 1) cursor_ += kViewBytes;
        ScrollBy(kShownRows);
        break;
      case Key::kEnd:
        cursor_ = length_ - 1;
        highNibble_ = false;
        ScrollTo(lastTopRow_);
        break;
      case Key::kHome:
        cursor_ = 0;
        highNibble_ = true;
        ScrollTo(0);
        break;
      case Key::kLeft:
        if (hexEntry_ && !highNibble_) {
          highNibble_ = true;
        } else if (cursor_ > 0) {
          cursor_ -= 1;
          highNibble_ = false;
        }
        break;
      case Key::kRight:
        if (hexEntry_ && highNibble_) {
          highNibble_ = false;
        } else if (cursor_ + 1 != length_) {
          cursor_ += 1;
          highNibble_ = true;
        }
        break;
      case Key::kUp:
        if (cursor_ > kRowBytes - 1) cursor_ -= kRowBytes;
        if (cursor_ < firstOffset_) ScrollBy(-1);
        break;
      case Key::kDown:
        if (cursor_ + kRowBytes <= length_ - 1) cursor_ += kRowBytes;
        if (cursor_ >= endOffset_) ScrollBy(1);
        break;
      case Key::kTab:
      case Key::kOther:
        break;
    }
  }
  FinishInput();
}

bool CHexEditCtrl::TypeHexDigit(uint32_t ch) {
  if (ch >= 'A' && ch <= 'F') ch += 'a' - 'A';
  uint8_t digit = 0;
  if (ch >= '0' && ch <= '9') {
    digit = static_cast<uint8_t>(ch - '0');
  } else if (ch >= 'a' && ch <= 'f') {
    digit = static_cast<uint8_t>(ch - 'a' + 10);
  } else {
    return false;
  }
  uint8_t& byte = data_[cursor_];
  if (highNibble_) {
    byte = static_cast<uint8_t>((byte & 0x0F) | (digit << 4));
    highNibble_ = false;
  } else {
    byte = static_cast<uint8_t>((byte & 0xF0) | digit);
    // The last byte keeps the cursor so a second pair of digits overwrites it rather than running off the end.
    if (cursor_ != length_ - 1) {
      cursor_ += 1;
      highNibble_ = true;
    }
  }
  return true;
}

bool CHexEditCtrl::TypeCharacter(uint32_t ch) {
  if (ch < 32 || ch > 126) return false;
  data_[cursor_] = static_cast<uint8_t>(ch);
  if (cursor_ < length_ - 1) cursor_ += 1;
  return true;
}

void CHexEditCtrl::OnChar(uint32_t ch) {
  if (endOffset_ == 0) return;
  if (readOnly_) {
    // The worker owns the buffer while an operation runs; the keystroke is refused audibly.
    if (hooks_.beep) hooks_.beep();
    return;
  }
  const bool typed = hexEntry_ ? TypeHexDigit(ch) : TypeCharacter(ch);
  if (!typed) return;
  if (caret_.exists && cursor_ >= endOffset_) {
    ScrollBy(1);
  } else if (!caret_.exists) {
    Centre();
  }
  FinishInput();
}

void CHexEditCtrl::OnLButtonDown(int x, int y) {
  if (!hasFocus_) {
    if (hooks_.takeFocus) hooks_.takeFocus();
    OnSetFocus();
  }
  if (length_ == 0) {
    PlaceCaret();
    return;
  }
  uint32_t column = 0;
  if (x > kHexRight + 1) {
    hexEntry_ = false;
    column = static_cast<uint32_t>(std::min(std::max(x, kCharTextX) - kCharTextX, 127) / kCellWidth);
  } else if (x <= kHexTextX) {
    hexEntry_ = true;
    highNibble_ = true;
  } else {
    hexEntry_ = true;
    const int d = std::min(x - kHexTextX, kRowBytes * kByteWidth - kCellWidth);  // up to the last digit, 376
    column = static_cast<uint32_t>(d / kByteWidth);
    const int within = d % kByteWidth;
    if (within >= 20) {
      // The gap between two bytes belongs to the byte on its right.
      column += 1;
      highNibble_ = true;
    } else {
      highNibble_ = within < 9;
    }
  }
  // The header counts as the first row; below the last drawn row counts as that row, so a click never lands
  // on a byte the user cannot see.
  const int clickedRow = y < kCellHeight ? 0 : (y - kCellHeight) / kCellHeight;
  const uint32_t row = static_cast<uint32_t>(std::min(clickedRow, std::max(ShownRowCount() - 1, 0)));
  cursor_ = firstOffset_ + column + row * kRowBytes;
  if (cursor_ > length_ - 1) cursor_ = length_ >= kRowBytes ? length_ - kRowBytes + column : length_ - 1;
  cursor_ = std::min(cursor_, length_ - 1);
  PlaceCaret();
}

void CHexEditCtrl::OnVScroll(ScrollRequest request, int trackPos) {
  switch (request) {
    case ScrollRequest::kLineUp: ScrollBy(-1); break;
    case ScrollRequest::kLineDown: ScrollBy(1); break;
    case ScrollRequest::kPageUp: ScrollBy(-int64_t{kShownRows}); break;
    case ScrollRequest::kPageDown: ScrollBy(kShownRows); break;
    case ScrollRequest::kThumbTrack: ScrollTo(trackPos); break;
    case ScrollRequest::kOther: ScrollBy(0); break;
  }
  Redraw();
  PlaceCaret();
}

void CHexEditCtrl::OnMouseWheel(int delta) {
  ScrollBy(delta < 0 ? 1 : -1);
  Redraw();
  PlaceCaret();
}

void CHexEditCtrl::OnSetFocus() {
  hasFocus_ = true;
  PlaceCaret();
  Redraw();
}

void CHexEditCtrl::OnKillFocus() {
  hasFocus_ = false;
  caret_.exists = false;
}

void ApplyOperationLook(CHexEditCtrl& view, bool operationRunning, Rgb buttonFace) {
  const Rgb areaBg = operationRunning ? buttonFace : kWhite;
  view.SetReadOnly(operationRunning);
  view.SetAddressColors(buttonFace, Rgb{128, 0, 0});
  view.SetDataColors(areaBg, Rgb{0, 128, 64});
  view.SetCharColors(areaBg, Rgb{128, 0, 128});
  view.Redraw();
}

}  // namespace orven::hexview
