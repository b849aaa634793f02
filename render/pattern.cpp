#include "render/pattern.h"

#include <algorithm>

namespace {

// How output sample i of `to` covers the `from` source samples when both span the same
// length: in units of 1 / (from * to) of it, each source sample `to` long and each
// output sample `from` long. A box filter that shrinks and stretches alike, in whole
// numbers so that the means round the same on every build.
struct Span {
  int32_t first;
  std::vector<int64_t> weights;  // for source samples first, first + 1, ...
};

std::vector<Span> Spans(int32_t from, int32_t to) {
  std::vector<Span> spans(static_cast<size_t>(to));
  for (int32_t i = 0; i < to; ++i) {
    const int64_t begin = int64_t{i} * from;
    const int64_t end = begin + from;
    Span& span = spans[i];
    span.first = static_cast<int32_t>(begin / to);
    for (int64_t s = span.first; s * to < end; ++s) {
      span.weights.push_back(std::min(end, (s + 1) * to) - std::max(begin, s * to));
    }
  }
  return spans;
}

}  // namespace

Pattern::Pattern(const RgbView& picture, uint32_t period, int32_t max_rows)
    : period_(period),
      rows_(static_cast<int32_t>(std::max<int64_t>(
          1, (int64_t{picture.height} * period * 2 + picture.width) / (2 * picture.width)))) {
  const int32_t made = std::min(rows_, std::max(max_rows, 1));
  const auto width = static_cast<int32_t>(period);
  const std::vector<Span> across = Spans(picture.width, width);
  const std::vector<Span> down = Spans(picture.height, rows_);
  // Each output pixel covers picture.width x picture.height units of the weights.
  const int64_t whole = int64_t{picture.width} * picture.height;
  pixels_.resize(static_cast<size_t>(made) * period);
  std::vector<int64_t> sum(static_cast<size_t>(width) * 3);
  for (int32_t y = 0; y < made; ++y) {
    std::fill(sum.begin(), sum.end(), 0);
    const Span& rows = down[y];
    for (size_t k = 0; k < rows.weights.size(); ++k) {
      const uint8_t* line =
          picture.pixels + static_cast<size_t>(rows.first + k) * picture.width * 3;
      for (int32_t x = 0; x < width; ++x) {
        const Span& columns = across[x];
        for (size_t j = 0; j < columns.weights.size(); ++j) {
          const uint8_t* p = line + static_cast<size_t>(columns.first + j) * 3;
          const int64_t weight = rows.weights[k] * columns.weights[j];
          for (int c = 0; c < 3; ++c) sum[x * 3 + c] += weight * p[c];
        }
      }
    }
    for (int32_t x = 0; x < width; ++x) {
      uint32_t pixel = 0;
      for (int c = 0; c < 3; ++c) {
        pixel = pixel << 8 | static_cast<uint32_t>((sum[x * 3 + c] + whole / 2) / whole);
      }
      grey_ = grey_ && pixel == (pixel & 0xFF) * 0x010101u;
      pixels_[static_cast<size_t>(y) * period + x] = pixel;
    }
  }
}
