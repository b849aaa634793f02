// Depth pictures for the still-frame tests, and the frame the board would make from
// one, written out directly from the synthesis (whole frames, one generator) rather
// than through the row-by-row renderer under test.
#pragma once

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "still/still_render.h"

namespace still_test {

// A depth picture with flat areas of several colours (depth runs and falls) and
// a patch of noise, top line first.
inline std::vector<uint8_t> MakeDepth(int32_t w, int32_t h, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> bytes(static_cast<size_t>(w) * h * 3);
  auto put = [&](int32_t x, int32_t y, uint32_t rgb) {
    uint8_t* p = &bytes[(static_cast<size_t>(y) * w + x) * 3];
    p[0] = static_cast<uint8_t>(rgb >> 16);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb);
  };
  const uint32_t back = rng() & 0x3F3F3F;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) put(x, y, back);
  for (int k = 0; k < 6; ++k) {
    const int32_t x0 = static_cast<int32_t>(rng() % w), y0 = static_cast<int32_t>(rng() % h);
    const int32_t x1 = std::min(w, x0 + 1 + static_cast<int32_t>(rng() % w));
    const int32_t y1 = std::min(h, y0 + 1 + static_cast<int32_t>(rng() % h));
    // Red and green vary as well: they must not change the depth, only blue does.
    const uint32_t v = rng() & 0xFFFFFF;
    for (int32_t y = y0; y < y1; ++y)
      for (int32_t x = x0; x < x1; ++x) put(x, y, v);
  }
  for (int32_t y = 0; y < h / 3; ++y)
    for (int32_t x = 0; x < w / 4; ++x) put(x, y, rng() & 0xFFFFFF);
  return bytes;
}

// What the board does with this depth picture, written out directly: the picture
// into a bottom-up buffer, `frames` whole frames with one generator, the last one back
// into top-down RGB, and the guide marks painted over it.
inline std::vector<uint8_t> Expected(const std::vector<uint8_t>& depth_rgb, int32_t w, int32_t h,
                                     const StillFrame& still) {
  const size_t n = static_cast<size_t>(w) * h;
  std::vector<uint32_t> out(n, 0xDEADBEEF);
  DotGenerator g(still.seed);
  uint32_t period = 0;
  for (uint64_t f = 0; f < still.frame; ++f) {
    std::vector<uint32_t> depth(n);
    const std::vector<uint32_t> text(n, 0);
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        const uint8_t* p = &depth_rgb[(static_cast<size_t>(y) * w + x) * 3];
        depth[static_cast<size_t>(h - 1 - y) * w + x] = p[0] * 65536u + p[1] * 256u + p[2];
      }
    }
    period = SynthesizeStereogram(w, h, depth.data(), text.data(), out.data(), still.params, g);
  }
  std::vector<uint8_t> rgb(n * 3);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t v = out[static_cast<size_t>(h - 1 - y) * w + x];
      uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      p[0] = static_cast<uint8_t>(v >> 16);
      p[1] = static_cast<uint8_t>(v >> 8);
      p[2] = static_cast<uint8_t>(v);
    }
  }
  if (still.guides) {
    for (const GuideRect& m : GuideMarkRects(w, period, still.params.text_depth,
                                             still.params.reverse, still.params.depth_divisor)) {
      for (int32_t y = std::max(m.top, 0); y < std::min(m.bottom, h); ++y)
        for (int32_t x = std::max(m.left, 0); x < std::min(m.right, w); ++x)
          for (int c = 0; c < 3; ++c) rgb[(static_cast<size_t>(y) * w + x) * 3 + c] = 0;
    }
  }
  return rgb;
}

}  // namespace still_test
