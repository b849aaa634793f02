#include "animation/palette.h"

#include <cstddef>

namespace {

// The nearest of `levels` levels spread evenly over 0 .. 255.
uint32_t Level(uint32_t value, uint32_t levels) { return (value * (levels - 1) + 127) / 255; }
uint32_t LevelValue(uint32_t level, uint32_t levels) {
  return (level * 255 + (levels - 1) / 2) / (levels - 1);
}

}  // namespace

uint16_t FrameDelay(uint32_t fps) { return static_cast<uint16_t>((200 + fps) / (2 * fps)); }

GifPalette GreyPalette() {
  GifPalette palette{};
  for (uint32_t i = 0; i < palette.size(); ++i) palette[i] = i * 0x010101u;
  return palette;
}

GifPalette ColourPalette() {
  GifPalette palette{};
  for (uint32_t i = 0; i < palette.size(); ++i) {
    palette[i] =
        LevelValue(i >> 5, 8) << 16 | LevelValue((i >> 2) & 7, 8) << 8 | LevelValue(i & 3, 4);
  }
  return palette;
}

uint8_t ColourIndex(uint32_t rgb) {
  return static_cast<uint8_t>(Level((rgb >> 16) & 0xFF, 8) << 5 | Level((rgb >> 8) & 0xFF, 8) << 2 |
                              Level(rgb & 0xFF, 4));
}

void FrameIndices(const RgbView& frame, bool grey, uint8_t* indices) {
  const size_t n = static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
  const uint8_t* p = frame.pixels;
  for (size_t i = 0; i < n; ++i, p += 3) {
    indices[i] = grey ? p[2] : ColourIndex(PackPixel(p[0], p[1], p[2]));
  }
}
