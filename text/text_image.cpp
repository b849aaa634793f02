#include <algorithm>
#include <cstddef>

#include "text/text_mask.h"

void FillTextImage(const TextMask& mask, const TextPlacement& at, std::int32_t width,
                   std::int32_t height, std::uint32_t* image) {
  std::fill_n(image, static_cast<std::size_t>(width) * height, 0u);
  // 64 bits: a placement far off the picture must not wrap back into it.
  const std::int64_t left = std::max<std::int64_t>(0, at.x);
  const std::int64_t right = std::min<std::int64_t>(width, std::int64_t{at.x} + mask.width);
  for (std::int32_t y = 0; y < mask.height && left < right; ++y) {
    const std::int64_t line = std::int64_t{at.y} + y;
    if (line < 0 || line >= height) continue;
    const std::uint8_t* from = mask.grey.data() + static_cast<std::size_t>(y) * mask.width;
    std::uint32_t* to = image + static_cast<std::size_t>(height - 1 - line) * width;
    for (std::int64_t x = left; x < right; ++x) {
      to[x] = from[x - at.x] * 0x010101u;
    }
  }
}
