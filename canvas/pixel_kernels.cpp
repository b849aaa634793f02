#include "canvas/pixel_kernels.h"

#include <algorithm>

namespace kernels {
namespace {

template <typename PixelRule>
void ForEachInRegion(const std::uint32_t* layer, std::uint32_t* picture, std::int32_t width,
                     Region region, std::uint32_t key, PixelRule rule) {
  if (region.empty()) return;
  for (std::int32_t row = region.row0; row < region.row1; ++row) {
    const std::size_t at = static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
    const std::uint32_t* l = layer + at;
    std::uint32_t* p = picture + at;
    for (std::int32_t x = region.x0; x < region.x1; ++x) {
      if (l[x] != key) p[x] = rule(l[x], p[x]);
    }
  }
}

}  // namespace

Region RegionFromRect(std::int32_t left, std::int32_t top, std::int32_t right,
                      std::int32_t bottom, std::int32_t width, std::int32_t height) {
  // Picture lines [top, bottom) are buffer rows [height - bottom, height - top).
  // 64-bit, so that no rectangle from a caller can overflow the subtraction.
  const auto clip = [](std::int64_t v, std::int32_t limit) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, limit));
  };
  Region region{clip(left, width), clip(std::int64_t{height} - bottom, height), clip(right, width),
                clip(std::int64_t{height} - top, height)};
  if (region.empty()) region = Region{0, 0, 0, 0};
  return region;
}

void AlphaBlend(const std::uint32_t* layer, std::uint32_t* picture, std::int32_t width,
                Region region, std::uint32_t key, std::uint32_t transparency) {
  const std::uint32_t p = std::min<std::uint32_t>(transparency, 100);
  const std::uint32_t q = 100 - p;
  ForEachInRegion(layer, picture, width, region, key, [p, q](std::uint32_t l, std::uint32_t d) {
    const std::uint32_t b = ((l & 0xFF) * q + (d & 0xFF) * p) / 100;
    const std::uint32_t g = (((l >> 8) & 0xFF) * q + ((d >> 8) & 0xFF) * p) / 100;
    const std::uint32_t r = (((l >> 16) & 0xFF) * q + ((d >> 16) & 0xFF) * p) / 100;
    return r << 16 | g << 8 | b;
  });
}

void AddSaturate(const std::uint32_t* layer, std::uint32_t* picture, std::int32_t width,
                 Region region, std::uint32_t key) {
  ForEachInRegion(layer, picture, width, region, key, [](std::uint32_t l, std::uint32_t d) {
    const std::uint32_t b = std::min<std::uint32_t>((l & 0xFF) + (d & 0xFF), 255);
    const std::uint32_t g = std::min<std::uint32_t>(((l >> 8) & 0xFF) + ((d >> 8) & 0xFF), 255);
    const std::uint32_t r = std::min<std::uint32_t>(((l >> 16) & 0xFF) + ((d >> 16) & 0xFF), 255);
    return r << 16 | g << 8 | b;
  });
}

void KeyCopy(const std::uint32_t* layer, std::uint32_t* picture, std::size_t count,
             std::uint32_t key) {
  for (std::size_t i = 0; i < count; ++i) {
    if (layer[i] != key) picture[i] = layer[i];
  }
}

void Stencil(const std::uint32_t* mask, const std::uint32_t* source, std::uint32_t* picture,
             std::size_t count, std::uint32_t key) {
  for (std::size_t i = 0; i < count; ++i) {
    if (mask[i] != key) picture[i] = source[i];
  }
}

}  // namespace kernels
