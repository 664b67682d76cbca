// The frame `frame N`, `up` and `down` select, over the frames of the last stop. The selection goes back to
// frame 0 whenever the program has run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "debugger/call_stack.h"

namespace orven::debugger {

class FrameSelection {
 public:
  void Reset(std::vector<Frame> frames) {
    frames_ = std::move(frames);
    selected_ = 0;
  }
  const std::vector<Frame>& Frames() const { return frames_; }
  // The selected frame; nullptr before the first stop.
  const Frame* Selected() const { return selected_ < frames_.size() ? &frames_[selected_] : nullptr; }
  size_t SelectedLevel() const { return selected_; }

  // Each returns false with the message the user reads when there is no such frame (the selection stays).
  bool Select(size_t level, std::string& error);
  bool Up(size_t count, std::string& error);
  bool Down(size_t count, std::string& error);

 private:
  std::vector<Frame> frames_;
  size_t selected_ = 0;
};

}  // namespace orven::debugger
