// A texture for the dots: a picture scaled to one period of the frame, whose rows
// repeat down the frame, in place of random dots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "images/image_rows.h"

// Smaller pictures hold too little texture for the eyes to fuse.
constexpr int32_t kMinPatternSide = 8;

class Pattern {
 public:
  // `picture` scaled to `period` pixels wide, its height in proportion (at least one
  // row), each pixel the mean of the picture's pixels it covers. Only the first
  // `max_rows` rows are made: a frame of that height uses no more.
  Pattern(const RgbView& picture, uint32_t period, int32_t max_rows);

  uint32_t period() const { return period_; }
  // Whether every pixel is grey, so that frames of it are grey too.
  bool grey() const { return grey_; }
  // The pattern row for line `line` of the frame (top line 0): `period` pixels,
  // 0x00RRGGBB.
  const uint32_t* Row(int32_t line) const {
    return &pixels_[static_cast<size_t>(line % rows_) * period_];
  }

 private:
  uint32_t period_;
  int32_t rows_;  // rows of the scaled pattern, before they repeat
  bool grey_ = true;
  std::vector<uint32_t> pixels_;
};
