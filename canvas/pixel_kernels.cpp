#include "canvas/pixel_kernels.h"

#include <algorithm>

namespace kernels {
namespace {

// Pixels mixed per step: their results wait on the stack, so that the channel
// arithmetic runs over plain byte arrays (which the compiler turns into vector code)
// and the key test picks whole pixels afterwards.
constexpr std::int32_t kChunk = 256;

// For each pixel of the region whose layer pixel is not `key`, the picture takes the
// pixel that `mix_bytes` makes byte by byte of the layer's and the picture's bytes (the
// fourth byte of the result is cleared).
template <typename MixBytes>
void MixInRegion(const std::uint32_t* layer, std::uint32_t* picture, std::int32_t width,
                 Region region, std::uint32_t key, MixBytes mix_bytes) {
  if (region.empty()) return;
  std::uint32_t mixed[kChunk];
  for (std::int32_t row = region.row0; row < region.row1; ++row) {
    const std::size_t at = static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
    for (std::int32_t x = region.x0; x < region.x1; x += kChunk) {
      const std::int32_t count = std::min(kChunk, region.x1 - x);
      const std::uint32_t* l = layer + at + x;
      std::uint32_t* p = picture + at + x;
      mix_bytes(reinterpret_cast<const unsigned char*>(l),
                reinterpret_cast<const unsigned char*>(p), reinterpret_cast<unsigned char*>(mixed),
                4 * count);
      for (std::int32_t i = 0; i < count; ++i) {
        p[i] = l[i] != key ? (mixed[i] & 0x00FFFFFFu) : p[i];
      }
    }
  }
}

}  // namespace

Region RegionFromRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                      std::int32_t width, std::int32_t height) {
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
  // 16 bits hold every weighted sum (255 x 100), so the bytes mix in 16-bit lanes.
  const auto p = static_cast<std::uint16_t>(std::min<std::uint32_t>(transparency, 100));
  const auto q = static_cast<std::uint16_t>(100 - p);
  MixInRegion(layer, picture, width, region, key,
              [p, q](const unsigned char* l, const unsigned char* d, unsigned char* out, int n) {
                for (int j = 0; j < n; ++j) {
                  const auto sum = static_cast<std::uint16_t>(l[j] * q + d[j] * p);
                  out[j] = static_cast<unsigned char>(sum / 100);
                }
              });
}

void AddSaturate(const std::uint32_t* layer, std::uint32_t* picture, std::int32_t width,
                 Region region, std::uint32_t key) {
  MixInRegion(layer, picture, width, region, key,
              [](const unsigned char* l, const unsigned char* d, unsigned char* out, int n) {
                for (int j = 0; j < n; ++j) {
                  out[j] = static_cast<unsigned char>(std::min(l[j] + d[j], 255));
                }
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
