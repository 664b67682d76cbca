// The frame of the hex view as drawing steps: header, address column, hex column, grid.
#include <algorithm>
#include <cstdio>

#include "hexview/hex_edit_ctrl.h"
#include "hexview/texts.h"

namespace orven::hexview {

int CHexEditCtrl::ShownRowCount() const {
  return static_cast<int>((endOffset_ - firstOffset_ + kRowBytes - 1) / kRowBytes);
}

std::string CHexEditCtrl::AddressText(uint32_t offset) const {
  char text[24];
  const uint32_t address = baseAddress_ + offset;
  if (hexAddresses_) {
    std::snprintf(text, sizeof text, texts::kAddressHexFormat, address);
  } else {
    std::snprintf(text, sizeof text, texts::kAddressDecFormat, static_cast<int>(address));
  }
  return text;
}

std::string CHexEditCtrl::HexRowText(int shownRow) const {
  std::string text;
  if (data_ == nullptr || shownRow < 0) return text;
  const uint32_t start = firstOffset_ + static_cast<uint32_t>(shownRow) * kRowBytes;
  if (start >= endOffset_) return text;
  const uint32_t count = std::min<uint32_t>(kRowBytes, endOffset_ - start);
  text.reserve(count * 3);
  for (uint32_t i = 0; i < count; ++i) {
    if (i > 0) text += ' ';
    const uint8_t byte = data_[start + i];
    text += texts::kHexDigits[byte >> 4];
    text += texts::kHexDigits[byte & 0x0F];
  }
  return text;
}

std::vector<DrawOp> CHexEditCtrl::BuildFrame(int clientWidth) const {
  using Kind = DrawOp::Kind;
  const int rows = ShownRowCount();
  const int bodyHeight = kDrawHeight - kCellHeight;
  std::vector<DrawOp> ops;
  ops.reserve(7 + 2 * static_cast<size_t>(rows));

  ops.push_back({Kind::kFill, 0, 0, clientWidth, kDrawHeight, 0, 0, kWhite, kWhite, {}});
  ops.push_back({Kind::kText, 0, 0, 0, 0, 0, 0, headerText_, headerBg_, texts::kHeader});

  ops.push_back({Kind::kFill, 0, kCellHeight, kAddressWidth, bodyHeight, 0, 0, addressBg_, addressBg_, {}});
  for (int r = 0; r < rows; ++r) {
    const uint32_t offset = firstOffset_ + static_cast<uint32_t>(r) * kRowBytes;
    ops.push_back({Kind::kText, 0, (r + 1) * kCellHeight, 0, 0, 0, 0, addressText_, addressBg_,
                   AddressText(offset)});
  }

  const int hexWidth = kHexRight - kHexLeft + 1;
  ops.push_back({Kind::kFill, kHexLeft, kCellHeight, hexWidth, bodyHeight, 0, 0, dataBg_, dataBg_, {}});
  for (int r = 0; r < rows; ++r) {
    ops.push_back({Kind::kText, kHexTextX, (r + 1) * kCellHeight, 0, 0, 0, 0, dataText_, dataBg_, HexRowText(r)});
  }

  // The grid goes last so the header text cannot cover it.
  ops.push_back({Kind::kLine, 0, kCellHeight - 1, 0, 0, clientWidth - 1, kCellHeight - 1, kGridColor, kGridColor, {}});
  ops.push_back({Kind::kLine, kHexLeft, 0, 0, 0, kHexLeft, kDrawHeight - 1, kGridColor, kGridColor, {}});
  return ops;
}

}  // namespace orven::hexview
