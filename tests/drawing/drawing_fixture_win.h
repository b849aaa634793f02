// What the shape and graph tests share on top of the canvas tests' window, log capture
// and layer reads: colours as the pixel buffers hold them, and pictures addressed from
// the top-left as GDI draws them.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/canvas/canvas_fixture_win.h"

namespace drawing_test {

using canvas_test::kHeight;
using canvas_test::kWidth;

// A buffer pixel: red in bits 16-23, blue in 0-7 (a GDI colour has them the other way).
constexpr std::uint32_t Pixel(int red, int green, int blue) {
  return static_cast<std::uint32_t>(red << 16 | green << 8 | blue);
}
constexpr std::uint32_t PixelOf(COLORREF color) {
  return Pixel(GetRValue(color), GetGValue(color), GetBValue(color));
}

struct Picture {
  std::vector<std::uint32_t> pixels;
  std::uint32_t operator()(int x, int y) const {
    return canvas_test::At(pixels, kWidth, kHeight, x, y);
  }
  // The smallest box (inclusive edges) around the pixels of the area [left, right) x
  // [top, bottom) that are not `background`, as "(l, t)-(r, b)", or "none".
  std::string BoxNot(std::uint32_t background, int left, int top, int right, int bottom) const {
    int l = right, t = bottom, r = left - 1, b = top - 1;
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        if ((*this)(x, y) == background) continue;
        l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
      }
    }
    char text[64];
    std::snprintf(text, sizeof text, "(%d, %d)-(%d, %d)", l, t, r, b);
    return r < l ? "none" : text;
  }
};

inline Picture ReadPicture(CICG& canvas, std::int32_t layer) {
  return {canvas_test::ReadLayer(canvas, layer)};
}

}  // namespace drawing_test
