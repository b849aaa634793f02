// Synthesis on a grid finer than the picture's pixels, for depth smoother than whole
// pixels allow, and with dots taken from a pattern picture instead of the generator.
// The rules are the board's: a pixel at a shift s repeats the pixel one local period
// (period - s) to its left unless a nearer pixel on its left already reaches past it
// (the hold rule), in which case it takes a fresh dot. Portable, no allocation.
#pragma once

#include <cstdint>

#include "stereogram/stereogram.h"

// One row's grid: `width` pixels of `oversample` sub-pixels each, and the frame's period
// counted in sub-pixels (oversample times the period in pixels).
struct FineGrid {
  int32_t width = 0;
  uint32_t oversample = 1;
  uint32_t period = 1;

  int32_t SubPixels() const { return width * static_cast<int32_t>(oversample); }
};

// Where fresh sub-pixels take their dots from.
struct FreshDots {
  // A pattern row one period wide in pixels (grid.period / grid.oversample entries,
  // 0x00RRGGBB): a fresh sub-pixel takes the entry of its pixel, counted modulo that
  // width, so the pattern tiles the far plane and its pixels keep their size as dots
  // do. Null: random dots.
  const uint32_t* pattern = nullptr;
  // Random dots: grey ones take one generator step each, colour ones three (blue,
  // green, red), in the board's order. One dot covers the fresh sub-pixels of a whole
  // pixel, so that dots keep their size (independent sub-pixel dots would average
  // into grey).
  bool grey = true;
  DotGenerator* generator = nullptr;
};

// One row: `shifts` holds the shift in sub-pixels of each of the grid's pixels (its
// sub-pixels share it, each below grid.period), and `out` receives grid.SubPixels()
// sub-pixels. With one sub-pixel a pixel and random dots this is the board's row.
void SynthesizeFineRow(const FineGrid& grid, const uint32_t* shifts, const FreshDots& dots,
                       uint32_t* out);

// Each pixel the mean of its `oversample` sub-pixels, channel by channel, rounded to
// nearest: `fine` holds width * oversample sub-pixels, `out` width pixels.
void AverageSubPixels(const uint32_t* fine, int32_t width, uint32_t oversample, uint32_t* out);
