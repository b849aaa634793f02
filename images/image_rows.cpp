#include "images/image_rows.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

uint8_t* LineStart(const RgbView& picture, int32_t line) {
  return picture.pixels + static_cast<size_t>(line) * static_cast<size_t>(picture.width) * 3;
}

// Buffer rows count from the bottom line up.
int32_t LineOfRow(const RgbView& picture, int32_t row) { return picture.height - 1 - row; }

}  // namespace

void ReadBufferRow(const RgbView& picture, int32_t row, uint32_t* out) {
  const uint8_t* p = LineStart(picture, LineOfRow(picture, row));
  for (int32_t x = 0; x < picture.width; ++x, p += 3) {
    out[x] = PackPixel(p[0], p[1], p[2]);
  }
}

void WriteBufferRow(const RgbView& picture, int32_t row, const uint32_t* in) {
  uint8_t* p = LineStart(picture, LineOfRow(picture, row));
  for (int32_t x = 0; x < picture.width; ++x, p += 3) {
    p[0] = static_cast<uint8_t>(in[x] >> 16);
    p[1] = static_cast<uint8_t>(in[x] >> 8);
    p[2] = static_cast<uint8_t>(in[x]);
  }
}

void FillBlack(const RgbView& picture, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  const int32_t x0 = std::max(left, 0);
  const int32_t x1 = std::min(right, picture.width);
  const int32_t y0 = std::max(top, 0);
  const int32_t y1 = std::min(bottom, picture.height);
  if (x0 >= x1 || y0 >= y1) {
    return;
  }
  for (int32_t y = y0; y < y1; ++y) {
    std::memset(LineStart(picture, y) + static_cast<size_t>(x0) * 3, 0,
                static_cast<size_t>(x1 - x0) * 3);
  }
}

bool TakeGrey(const RgbView& picture, std::vector<uint8_t>* grey) {
  const size_t pixels = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
  grey->resize(pixels);
  const uint8_t* rgb = picture.pixels;
  for (size_t i = 0; i < pixels; ++i, rgb += 3) {
    if (rgb[0] != rgb[1] || rgb[1] != rgb[2]) return false;
    (*grey)[i] = rgb[0];
  }
  return true;
}
