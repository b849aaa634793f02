// Reading back a stereogram made at several sub-pixels a pixel (--oversample): its dots
// repeat at fractions of a pixel, so no pixel repeats another exactly, and the distance
// is found as the one that best predicts the pixels from those it falls between.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "images/image_rows.h"

// Told now and then how many of the picture's rows are read, of how many.
using RowProgress = std::function<void(uint64_t done, uint64_t total)>;

struct FineReading {
  uint32_t oversample;  // sub-pixels a pixel
  uint32_t period;      // W, in sub-pixels
  uint32_t max_shift;   // the nearest depth's shift, in sub-pixels
};

// Each pixel's shift level (in sub-pixels, 0 to max_shift) into `levels`, buffer rows
// (bottom line first). A pixel's level is the one whose repeat distance best predicts
// the pixels around it (three rows of five) from the picture that distance to their
// left, each blended from the two pixels the distance falls between, as the averaging
// of sub-pixels blends them; levels are then smoothed by a 5 x 5 median, which keeps
// the edges of surfaces. Pixels of the first period, which repeat nothing, take the
// level on their right. Returns the share of the pixels right of the first period whose
// best prediction is close, which a picture of other things does not reach.
double ReadFineLevels(const RgbView& stereogram, const FineReading& how,
                      std::vector<uint32_t>& levels, const RowProgress& progress = {});
