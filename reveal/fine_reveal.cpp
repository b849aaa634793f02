#include "reveal/fine_reveal.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>

namespace {

constexpr int32_t kHalfWindow = 2;  // pixels on each side of the one predicted
constexpr int32_t kMedianHalf = 2;  // the median's 5 x 5
// A close prediction misses by at most this much a channel on average, of 255: what
// blending dots leaves. Predictions of unrelated dots miss by about 85.
constexpr uint32_t kCloseError = 30;
constexpr uint32_t kUnknown = std::numeric_limits<uint32_t>::max();

// A row's channels, three to a pixel.
std::vector<int32_t> Channels(const RgbView& picture, int32_t row) {
  std::vector<uint32_t> pixels(static_cast<size_t>(picture.width));
  ReadBufferRow(picture, row, pixels.data());
  std::vector<int32_t> channels(pixels.size() * 3);
  for (size_t x = 0; x < pixels.size(); ++x) {
    for (int c = 0; c < 3; ++c)
      channels[x * 3 + c] = static_cast<int32_t>((pixels[x] >> (8 * c)) & 0xFF);
  }
  return channels;
}

// For each pixel of a row, how far it is (times the sub-pixels a pixel, summed over the
// channels) from the pixel `distance` sub-pixels to its left, blended from the two
// pixels that distance falls between; pixels whose source lies left of the row get the
// most an error can be.
void PredictionErrors(const std::vector<int32_t>& row, uint32_t n, uint32_t distance,
                      std::vector<uint32_t>& error) {
  const auto width = static_cast<int32_t>(row.size() / 3);
  const auto whole = static_cast<int32_t>(distance / n);
  const auto part = static_cast<int32_t>(distance % n);
  const auto rest = static_cast<int32_t>(n) - part;
  // A distance of whole pixels needs no pixel beyond the one it lands on.
  const int32_t first = part == 0 ? whole : whole + 1;
  std::fill_n(error.begin(), std::min(first, width), 3 * 255 * n);
  for (int32_t x = first; x < width; ++x) {
    const int32_t* here = &row[x * 3];
    const int32_t* near = &row[(x - whole) * 3];
    // Without a part, the pixel left of `near` may lie before the row: not read at all.
    const int32_t* far = part == 0 ? near : near - 3;
    uint32_t sum = 0;
    for (int c = 0; c < 3; ++c) {
      const int32_t miss = here[c] * static_cast<int32_t>(n) - part * far[c] - rest * near[c];
      sum += static_cast<uint32_t>(miss < 0 ? -miss : miss);
    }
    error[x] = sum;
  }
}

// Each level the median of the levels around it, so that a pixel whose neighbours agree
// is not left alone by a chance match.
std::vector<uint32_t> Median(const std::vector<uint32_t>& levels, int32_t width, int32_t height) {
  std::vector<uint32_t> out(levels.size());
  std::array<uint32_t, (2 * kMedianHalf + 1) * (2 * kMedianHalf + 1)> near{};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      // At the picture's edges, of the pixels that are there.
      size_t count = 0;
      for (int32_t yy = std::max(y - kMedianHalf, 0); yy <= std::min(y + kMedianHalf, height - 1);
           ++yy) {
        for (int32_t xx = std::max(x - kMedianHalf, 0); xx <= std::min(x + kMedianHalf, width - 1);
             ++xx) {
          near[count++] = levels[static_cast<size_t>(yy) * width + xx];
        }
      }
      std::nth_element(near.begin(), near.begin() + count / 2, near.begin() + count);
      out[static_cast<size_t>(y) * width + x] = near[count / 2];
    }
  }
  return out;
}

// Per shift level from `first`, `count` of them, each pixel's prediction error summed
// over the row's five pixels around it.
std::vector<uint32_t> RowCosts(const std::vector<int32_t>& row, const FineReading& how,
                               uint32_t first, uint32_t count) {
  const auto width = static_cast<int32_t>(row.size() / 3);
  std::vector<uint32_t> costs(static_cast<size_t>(count) * width);
  std::vector<uint32_t> error(static_cast<size_t>(width));
  for (uint32_t i = 0; i < count; ++i) {
    PredictionErrors(row, how.oversample, how.period - (first + i), error);
    uint32_t* cost = &costs[static_cast<size_t>(i) * width];
    // The window's sum, sliding along the row.
    uint32_t sum = 0;
    for (int32_t x = -kHalfWindow; x < width; ++x) {
      if (x + kHalfWindow < width) sum += error[x + kHalfWindow];
      if (x - kHalfWindow - 1 >= 0) sum -= error[x - kHalfWindow - 1];
      if (x >= 0) cost[x] = sum;
    }
  }
  return costs;
}

// Each pixel's best level so far, and how close its prediction came, against the levels
// from `first` whose costs the rows around it (those that are there) hold.
void BestLevels(const std::array<const std::vector<uint32_t>*, 3>& rows, uint32_t first,
                std::vector<uint32_t>& level, std::vector<uint64_t>& best) {
  const size_t width = level.size();
  const size_t count = rows[1]->size() / width;
  for (size_t i = 0; i < count; ++i) {
    for (size_t x = 0; x < width; ++x) {
      uint64_t cost = 0;
      for (const std::vector<uint32_t>* row : rows) {
        if (row != nullptr) cost += (*row)[i * width + x];
      }
      if (cost < best[x]) {
        best[x] = cost;
        level[x] = first + static_cast<uint32_t>(i);
      }
    }
  }
}

// Costs kept at a time, of the three rows: a row's costs of every level are found once
// and kept for the three rows that use them while they fit, and in bands of levels,
// found again for each row, when the period of a wide picture makes them too many.
constexpr size_t kKeptCosts = size_t{4} << 20;

// The rows around row `r` (those that are there), their costs of the levels from
// `first`, `count` of them, found anew.
std::array<std::vector<uint32_t>, 3> BandCosts(const std::array<std::vector<int32_t>, 3>& rows,
                                               int32_t r, int32_t height, const FineReading& how,
                                               uint32_t first, uint32_t count) {
  std::array<std::vector<uint32_t>, 3> costs;
  for (int32_t i = 0; i < 3; ++i) {
    const int32_t q = r - 1 + i;
    if (q >= 0 && q < height) costs[i] = RowCosts(rows[q % 3], how, first, count);
  }
  return costs;
}

}  // namespace

double ReadFineLevels(const RgbView& stereogram, const FineReading& how,
                      std::vector<uint32_t>& levels, const RowProgress& progress) {
  const int32_t width = stereogram.width;
  const int32_t height = stereogram.height;
  const auto first_period = static_cast<int32_t>(how.period / how.oversample);
  levels.assign(static_cast<size_t>(width) * height, 0);
  const uint32_t all = how.max_shift + 1;
  const auto band = static_cast<uint32_t>(
      std::clamp<size_t>(kKeptCosts / 3 / static_cast<size_t>(width), 1, all));
  std::array<std::vector<int32_t>, 3> rows;
  std::array<std::vector<uint32_t>, 3> kept;  // every level's costs, when they fit
  const auto load = [&](int32_t r) {
    rows[r % 3] = Channels(stereogram, r);
    if (band == all) kept[r % 3] = RowCosts(rows[r % 3], how, 0, all);
  };
  const auto at = [&](int32_t r) -> const std::vector<uint32_t>* {
    return r < 0 || r >= height ? nullptr : &kept[r % 3];
  };
  for (int32_t r = 0; r < std::min(height, 2); ++r) load(r);
  std::vector<uint32_t> row_levels(static_cast<size_t>(width));
  std::vector<uint64_t> best(static_cast<size_t>(width));
  uint64_t considered = 0;
  uint64_t close = 0;
  // The samples a window's cost sums, for the mean miss a channel.
  const uint64_t samples = 3 * (2 * kHalfWindow + 1) * 3 * uint64_t{how.oversample};
  for (int32_t r = 0; r < height; ++r) {
    if (r + 1 < height) load(r + 1);
    std::fill(best.begin(), best.end(), std::numeric_limits<uint64_t>::max());
    if (band == all) {
      BestLevels({at(r - 1), at(r), at(r + 1)}, 0, row_levels, best);
    } else {
      for (uint32_t first = 0; first < all; first += band) {
        const auto costs = BandCosts(rows, r, height, how, first, std::min(band, all - first));
        const auto part = [&](int i) { return costs[i].empty() ? nullptr : &costs[i]; };
        BestLevels({part(0), part(1), part(2)}, first, row_levels, best);
      }
    }
    uint32_t right = kUnknown;
    for (int32_t x = width - 1; x >= 0; --x) {
      const bool fits = x >= first_period && best[x] <= kCloseError * samples;
      if (x >= first_period) {
        ++considered;
        close += fits;
      }
      // Pixels that repeat nothing take the level on their right.
      if (fits) right = row_levels[x];
      levels[static_cast<size_t>(r) * width + x] =
          fits || right == kUnknown ? row_levels[x] : right;
    }
    if (progress) progress(static_cast<uint64_t>(r) + 1, static_cast<uint64_t>(height));
  }
  levels = Median(levels, width, height);
  return considered == 0 ? 0.0 : static_cast<double>(close) / static_cast<double>(considered);
}
