#include "stereogram/fine_synthesis.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

namespace {

// Random dots. Row asks once for each cell that has fresh sub-pixels: they lie side by
// side, since a pixel's sub-pixels are fresh first and linked after.
class RandomSource {
 public:
  RandomSource(DotGenerator& generator, bool grey) : generator_(generator), grey_(grey) {}

  uint32_t Fresh(int32_t) {
    const uint32_t blue = generator_.NextByte();
    if (grey_) return blue * 0x010101u;
    const uint32_t green = generator_.NextByte();
    return generator_.NextByte() << 16 | green << 8 | blue;
  }

 private:
  DotGenerator& generator_;
  bool grey_;
};

// A pattern row one period wide, tiled, a pixel a cell.
class PatternSource {
 public:
  PatternSource(const uint32_t* pattern, uint32_t width) : pattern_(pattern), width_(width) {}

  uint32_t Fresh(int32_t cell) const { return pattern_[static_cast<uint32_t>(cell) % width_]; }

 private:
  const uint32_t* pattern_;
  uint32_t width_;
};

// The row with e = x + s for each sub-pixel x and `far` the largest e of those left of
// it (at least period - 1): a sub-pixel is fresh when e <= far (hidden behind a nearer
// one on its left, or within one local period of the left edge), else it repeats the
// sub-pixel at e - period. This is the board's hold rule, stated as how far the row
// already reaches. Within a run of pixels that share a shift e grows by one a
// sub-pixel, so a run is some fresh sub-pixels and then one stretch of repeats, which
// is copied a local period at a time.
template <typename Source>
void Row(const FineGrid& grid, const uint32_t* shifts, Source& source, uint32_t* out) {
  const auto period = static_cast<int64_t>(grid.period);
  const auto n = static_cast<int64_t>(grid.oversample);
  int64_t far = period - 1;
  for (int32_t pixel = 0; pixel < grid.width;) {
    const uint32_t shift = shifts[pixel];
    int32_t end = pixel + 1;
    while (end < grid.width && shifts[end] == shift) ++end;
    const int64_t from = pixel * n;
    const int64_t to = end * n;
    // Fresh while x + shift <= far.
    const int64_t fresh_end = std::clamp<int64_t>(far - shift + 1, from, to);
    for (int64_t x = from; x < fresh_end;) {
      const auto cell = static_cast<int32_t>(x / n);
      const uint32_t dot = source.Fresh(cell);
      const int64_t cell_end = std::min<int64_t>((cell + 1) * n, fresh_end);
      for (; x < cell_end; ++x) out[x] = dot;
    }
    if (fresh_end < to) {
      // Pieces no longer than the local period never copy from themselves.
      const int64_t local = period - shift;
      for (int64_t x = fresh_end; x < to;) {
        const int64_t piece = std::min(local, to - x);
        std::memcpy(out + x, out + x - local, static_cast<size_t>(piece) * sizeof *out);
        x += piece;
      }
      far = to - 1 + shift;
    }
    pixel = end;
  }
}

// Each pixel the rounded mean of its N sub-pixels: N known to the compiler, and the
// division a table lookup.
template <uint32_t N>
void Average(const uint32_t* fine, int32_t width, uint32_t* out) {
  static const auto mean = [] {
    std::array<uint8_t, 255 * N + 1> table{};
    for (uint32_t sum = 0; sum < table.size(); ++sum) table[sum] = (sum + N / 2) / N;
    return table;
  }();
  for (int32_t x = 0; x < width; ++x, fine += N) {
    // Red and blue side by side in one word: sums of eight bytes stay below 2^16.
    uint32_t red_blue = 0;
    uint32_t green = 0;
    for (uint32_t k = 0; k < N; ++k) {
      red_blue += fine[k] & 0x00FF00FFu;
      green += (fine[k] >> 8) & 0xFFu;
    }
    out[x] = uint32_t{mean[red_blue >> 16]} << 16 | uint32_t{mean[green]} << 8 |
             mean[red_blue & 0xFFFFu];
  }
}

}  // namespace

void SynthesizeFineRow(const FineGrid& grid, const uint32_t* shifts, const FreshDots& dots,
                       uint32_t* out) {
  if (dots.pattern != nullptr) {
    PatternSource source(dots.pattern, grid.period / grid.oversample);
    Row(grid, shifts, source, out);
  } else {
    RandomSource source(*dots.generator, dots.grey);
    Row(grid, shifts, source, out);
  }
}

void AverageSubPixels(const uint32_t* fine, int32_t width, uint32_t oversample, uint32_t* out) {
  switch (oversample) {
    case 2:
      return Average<2>(fine, width, out);
    case 3:
      return Average<3>(fine, width, out);
    case 4:
      return Average<4>(fine, width, out);
    case 5:
      return Average<5>(fine, width, out);
    case 6:
      return Average<6>(fine, width, out);
    case 7:
      return Average<7>(fine, width, out);
    case 8:
      return Average<8>(fine, width, out);
    default:
      std::memcpy(out, fine, static_cast<size_t>(width) * sizeof *out);
  }
}
