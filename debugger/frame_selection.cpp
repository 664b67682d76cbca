#include "debugger/frame_selection.h"

#include "debugger/format_text.h"
#include "debugger/texts.h"

namespace orven::debugger {

bool FrameSelection::Select(size_t level, std::string& error) {
  if (level >= frames_.size() || !frames_[level].hasPc) {
    error = FormatText(texts::kNoFrameAtLevel, std::to_string(level).c_str());
    return false;
  }
  selected_ = level;
  return true;
}

bool FrameSelection::Up(size_t count, std::string& error) {
  // gdb goes as far as it can and complains only when it cannot move at all.
  size_t target = selected_;
  while (count-- > 0 && target + 1 < frames_.size() && frames_[target + 1].hasPc) ++target;
  if (target == selected_) {
    error = texts::kTopFrame;
    return false;
  }
  selected_ = target;
  return true;
}

bool FrameSelection::Down(size_t count, std::string& error) {
  if (selected_ == 0) {
    error = texts::kBottomFrame;
    return false;
  }
  selected_ = count >= selected_ ? 0 : selected_ - count;
  return true;
}

}  // namespace orven::debugger
