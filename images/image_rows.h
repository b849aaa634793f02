// Between pictures as files hold them (8-bit RGB, top line first) and the pixel
// buffers of the synthesis (32-bit 0x00RRGGBB, bottom line first, as the canvas
// reads its layers). Keeping both conversions here keeps the row order in one place:
// a seed gives the dots the window would show only if row 0 is the bottom line.
#pragma once

#include <cstdint>
#include <vector>

// Width x height pixels of 3 bytes (red, green, blue), top line first, no row padding.
// Does not own its pixels.
struct RgbView {
  int32_t width = 0;
  int32_t height = 0;
  uint8_t* pixels = nullptr;
};

inline uint32_t PackPixel(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<uint32_t>(red) << 16 | static_cast<uint32_t>(green) << 8 | blue;
}

// Buffer row `row` (0 = bottom line) of the picture as 32-bit pixels into `out`.
void ReadBufferRow(const RgbView& picture, int32_t row, uint32_t* out);

// `in` (32-bit pixels; the fourth byte is dropped) as buffer row `row` of the picture.
void WriteBufferRow(const RgbView& picture, int32_t row, const uint32_t* in);

// Paints left <= x < right, top <= y < bottom (top-down picture coordinates) black,
// cut to the picture: a mark placed for a wide picture may reach past a small one.
void FillBlack(const RgbView& picture, int32_t left, int32_t top, int32_t right, int32_t bottom);

// The picture's one channel into `grey` when every pixel is grey (red, green and blue
// equal); false, and `grey` unspecified, at the first pixel that is not.
bool TakeGrey(const RgbView& picture, std::vector<uint8_t>* grey);
