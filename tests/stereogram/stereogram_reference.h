// A plain rendition of the stereogram rules, pixel by pixel with a division per
// pixel, written apart from the production code: the tests compare the two, and the
// benchmark measures the production code against it.
#pragma once

#include <algorithm>
#include <cstdint>

#include "stereogram/stereogram.h"

namespace reference {

inline uint32_t FreshDot(uint32_t dot_mode, uint32_t& state) {
  auto next = [&] {
    state = state * 214013u + 2531011u;
    return ((state >> 16) & 0x7FFF) % 256;
  };
  const uint32_t blue = next();
  if (dot_mode == 1) return blue * 65793u;
  const uint32_t green = next();
  return next() * 65536u + green * 256u + blue;
}

inline uint32_t Synthesize(int32_t width, int32_t height, uint32_t* b, const uint32_t* t,
                           uint32_t* s, const StereogramParams& p, uint32_t& state) {
  if (width < 1 || height < 1) return 0;
  const int32_t divisor = p.depth_divisor < 1 ? 1 : p.depth_divisor;
  int64_t w = p.parallax_width;
  if (p.reverse) w -= (w * 255 / 256) / divisor;
  const uint32_t W = std::clamp(static_cast<uint32_t>(w), 1u, static_cast<uint32_t>(width));

  const int64_t n = static_cast<int64_t>(width) * height;
  for (int64_t i = 0; i < n; ++i) {
    if (t[i] > b[i]) b[i] = t[i];
  }
  for (int32_t r = 0; r < height; ++r) {
    const uint32_t* d = b + static_cast<int64_t>(r) * width;
    uint32_t* row = s + static_cast<int64_t>(r) * width;
    auto depth_byte = [&](int32_t x) {
      uint32_t v = d[x] & 0xFF;
      return p.reverse ? (255 - v) : v;
    };
    auto shift = [&](int32_t x) {
      return ((depth_byte(x) * W) >> 8) / static_cast<uint32_t>(divisor);
    };
    uint32_t hold = shift(0);
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t sx = shift(x);
      if (hold > sx) {
        row[x] = FreshDot(p.dot_mode, state);
        hold -= 1;
      } else {
        if (static_cast<uint32_t>(x) < W - sx) {
          row[x] = FreshDot(p.dot_mode, state);
        } else {
          row[x] = row[x - (W - sx)] & 0x00FFFFFFu;
        }
        hold = sx;
      }
    }
  }
  return W;
}

}  // namespace reference
