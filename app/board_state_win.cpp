#include "app/board_state_win.h"

#include <cstring>

BoardState g_board;

void BoardState::SetText(const char* text) {
  // One byte more than fits is enough to tell whether, and where, the text is cut.
  char cut[kTextCapacity + 1] = {};
  if (text != nullptr) std::memcpy(cut, text, strnlen(text, kTextCapacity));
  board::CutText(cut, board::kTextBytes);
  std::lock_guard<std::mutex> hold(text_lock_);
  std::memcpy(text_, cut, sizeof text_);
}

void BoardState::GetText(char (&text)[kTextCapacity]) const {
  std::lock_guard<std::mutex> hold(text_lock_);
  std::memcpy(text, text_, sizeof text_);
}

void BoardState::FitSettings() {
  parallax_width = board::FitParallaxWidth(parallax_width, PictureWidth());
  text_depth = board::FitTextDepth(text_depth);
  dot_mode = board::FitDotMode(dot_mode);
}

FrameSettings BoardState::Snapshot() const {
  FrameSettings settings{};
  settings.params.parallax_width = parallax_width;
  settings.params.reverse = reverse;
  settings.params.depth_divisor = depth_divisor;
  settings.params.dot_mode = dot_mode;
  settings.params.text_depth = text_depth;
  settings.show_guide = show_guide;
  settings.paused = paused;
  GetText(settings.text);
  return settings;
}
