// The composition's per-pixel rules on pixel buffers (32-bit pixels, blue in the low
// byte, rows bottom-up). Portable: the canvas runs them between GetDIBits and SetDIBits.
//
// A key colour is compared with whole pixels: give it in pixel form (PixelFromColor),
// fourth byte 0, as layer reads deliver every pixel.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kernels {

// A GDI colour value (red in the low byte) as a pixel (red in bits 16-23).
constexpr std::uint32_t PixelFromColor(std::uint32_t color) {
  return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

// Columns [x0, x1) of buffer rows [row0, row1): a part of a width x height buffer.
struct Region {
  std::int32_t x0;
  std::int32_t row0;
  std::int32_t x1;
  std::int32_t row1;

  bool empty() const { return x0 >= x1 || row0 >= row1; }
  bool operator==(const Region&) const = default;
};

// The pixels a layer's source rectangle (left, top, right, bottom in picture lines,
// right and bottom excluded as everywhere in GDI) covers, clipped to the buffer.
Region RegionFromRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                      std::int32_t width, std::int32_t height);

// Inside the region, every layer pixel other than the key is mixed into the picture:
// each channel becomes (layer * (100 - p) + picture * p) / 100, with p the transparency
// held to 100 at most.
void AlphaBlend(const std::uint32_t* layer, std::uint32_t* picture, std::int32_t width,
                Region region, std::uint32_t key, std::uint32_t transparency);

// Inside the region, every layer pixel other than the key is added to the picture,
// each channel saturating at 255.
void AddSaturate(const std::uint32_t* layer, std::uint32_t* picture, std::int32_t width,
                 Region region, std::uint32_t key);

// Every layer pixel other than the key replaces the picture's (a key-colour
// transparent copy, as TransparentBlt makes it at equal sizes).
void KeyCopy(const std::uint32_t* layer, std::uint32_t* picture, std::size_t count,
             std::uint32_t key);

// Wherever the mask is not the key, the picture takes the source's pixel.
void Stencil(const std::uint32_t* mask, const std::uint32_t* source, std::uint32_t* picture,
             std::size_t count, std::uint32_t key);

}  // namespace kernels
