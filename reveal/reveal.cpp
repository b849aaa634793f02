#include "reveal/reveal.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

#include "canvas/pixel_kernels.h"
#include "reveal/fine_reveal.h"
#include "stereogram/stereogram.h"
#include "stereogram/text_view.h"

namespace {

// Rows read to find the settings; the whole picture is read once they are known.
constexpr int32_t kSampleRows = 24;
constexpr int64_t kSampleWork = 400'000'000;
// A picture is a stereogram when at least this share of its dot pixels right of the
// first period repeat. Hidden surfaces take the rest: even a picture of tall steps at
// the widest parallax keeps well above it, while a photo or noise stays near 0.
constexpr double kMinRepeating = 0.25;
// A repeat must hold over this many neighbouring pixels, so that dots equal by chance
// are not taken for one: 256 greys allow a chance match in 1 of 256 pixels, colour dots
// in 1 of 2^24.
constexpr int kGreyWindow = 3;
constexpr int kColourWindow = 2;
// A pixel whose repeat no window shows looks this far for neighbours whose repeat one did.
constexpr int32_t kNeighbourReach = 8;

uint32_t Channel(uint32_t pixel, int c) { return (pixel >> (8 * c)) & 0xFF; }

// The plain-text view's blend of each channel value under a text of one grey: taken
// from the canvas's own kernel, so that a picture copied from the board is read by the
// rule that made it.
std::array<uint8_t, 256> BlendTable(uint32_t grey) {
  std::array<uint32_t, 256> layer{};
  std::array<uint32_t, 256> picture{};
  layer.fill(grey * 0x010101u);
  for (uint32_t c = 0; c < 256; ++c) picture[c] = c * 0x010101u;
  kernels::AlphaBlend(layer.data(), picture.data(), 256, kernels::Region{0, 0, 256, 1}, 0,
                      board::kTextViewTransparency);
  std::array<uint8_t, 256> table{};
  for (uint32_t c = 0; c < 256; ++c) table[c] = static_cast<uint8_t>(picture[c]);
  return table;
}

// Whether two pixels can show one dot: equal, or one of them seen through the text
// view's blend.
struct DotMatch {
  bool blended = false;
  std::array<uint8_t, 256> blend{};

  uint32_t Blend(uint32_t v) const {
    return static_cast<uint32_t>(blend[Channel(v, 2)]) << 16 |
           static_cast<uint32_t>(blend[Channel(v, 1)]) << 8 | blend[Channel(v, 0)];
  }
  bool operator()(uint32_t a, uint32_t b) const {
    return a == b || (blended && (a == Blend(b) || Blend(a) == b));
  }
};

// One row of the stereogram as pixels, with the pixels that equal both neighbours
// marked: dots are random, so a flat stretch is no dot (a guide mark, the plain area
// of a photo) and must not count as a repeat.
struct Row {
  std::vector<uint32_t> p;
  std::vector<uint8_t> flat;
  // Per pixel the distance found (0: none), first over windows, then on its own.
  std::vector<uint32_t> window;
  std::vector<uint32_t> found;

  explicit Row(int32_t width)
      : p(static_cast<size_t>(width)),
        flat(static_cast<size_t>(width)),
        window(static_cast<size_t>(width)),
        found(static_cast<size_t>(width)) {}

  void Load(const RgbView& picture, int32_t r) {
    ReadBufferRow(picture, r, p.data());
    const auto n = static_cast<int32_t>(p.size());
    for (int32_t x = 0; x < n; ++x) {
      const bool left = x == 0 || p[x - 1] == p[x];
      const bool right = x + 1 == n || p[x + 1] == p[x];
      flat[x] = (left && right) ? 1 : 0;
    }
  }

  // Per pixel the smallest distance d in [lo, hi] at which it lies in `k` neighbouring
  // pixels that all repeat at d. The true repeat is the nearest: the dots further left
  // that equal a pixel are the ones its repeat itself repeats.
  void MatchWindows(uint32_t lo, uint32_t hi, int k, const DotMatch& match) {
    std::fill(window.begin(), window.end(), 0u);
    const auto n = static_cast<int32_t>(p.size());
    for (uint32_t d = std::max(lo, 1u); d <= hi && d < static_cast<uint32_t>(n); ++d) {
      const auto dd = static_cast<int32_t>(d);
      int32_t run = 0;
      for (int32_t x = dd; x <= n; ++x) {
        if (x < n && flat[x] == 0 && flat[x - dd] == 0 && match(p[x], p[x - dd])) {
          ++run;
          continue;
        }
        if (run >= k) {
          for (int32_t i = x - run; i < x; ++i) {
            if (window[i] == 0) window[i] = d;
          }
        }
        run = 0;
      }
    }
  }

  // A pixel that no window confirms, on a slope too steep for one or beside hidden
  // pixels, is taken alone at the distance nearest to what its found neighbours
  // predict: first walking leftwards from the pixels on its right (a rise in depth
  // links each pixel at once), then rightwards, then from any found neighbour near it.
  void MatchSingles(uint32_t lo, uint32_t hi, const DotMatch& match) {
    found = window;
    const auto n = static_cast<int32_t>(p.size());
    for (const int32_t step : {1, -1}) {
      for (int32_t i = 0; i < n; ++i) {
        const int32_t x = step == 1 ? n - 1 - i : i;
        const int32_t n1 = x + step;
        if (found[x] != 0 || flat[x] != 0 || n1 < 0 || n1 >= n || found[n1] == 0) continue;
        const int32_t n2 = n1 + step;
        int64_t guess = found[n1];
        if (n2 >= 0 && n2 < n && found[n2] != 0) guess = 2 * guess - found[n2];
        found[x] = Nearest(x, guess, 0, lo, hi, match);
      }
    }
    for (int32_t x = 0; x < n; ++x) {
      if (found[x] != 0 || flat[x] != 0) continue;
      uint32_t near_lo = hi + 1;
      uint32_t near_hi = 0;
      for (int32_t i = std::max(0, x - kNeighbourReach); i < std::min(n, x + kNeighbourReach + 1);
           ++i) {
        if (window[i] == 0) continue;
        near_lo = std::min(near_lo, window[i]);
        near_hi = std::max(near_hi, window[i]);
      }
      if (near_hi != 0) found[x] = Nearest(x, near_lo, near_hi - near_lo, lo, hi, match);
    }
  }

  // The distance in lo .. hi nearest to guess .. guess + span (and at most kSlope from
  // it) at which pixel x repeats alone; 0 if none.
  uint32_t Nearest(int32_t x, int64_t guess, uint32_t span, uint32_t lo, uint32_t hi,
                   const DotMatch& match) const {
    constexpr int64_t kSlope = 6;
    for (int64_t g = 0; g <= kSlope; ++g) {
      for (const int64_t d : {guess - g, guess + span + g}) {
        if (d < lo || d > hi || d > x) continue;
        const auto dd = static_cast<int32_t>(d);
        if (flat[x - dd] == 0 && match(p[x], p[x - dd])) return static_cast<uint32_t>(d);
      }
    }
    return 0;
  }
};

// Where the depth changes along a row every pixel or two no window of the row fits, but
// depth pictures are smooth across rows as well: the pixel above and below, of rows
// whose dots are their own, repeat at the same distance. `rows` are r - 2 .. r + 2,
// null outside the picture; the smallest distance at which `k` rows in a row do wins.
uint32_t MatchColumn(const std::array<const Row*, 5>& rows, int32_t x, uint32_t lo, uint32_t hi,
                     int k, const DotMatch& match) {
  for (uint32_t d = lo; d <= hi && d <= static_cast<uint32_t>(x); ++d) {
    const auto dd = static_cast<int32_t>(d);
    int run = 0;
    int best = 0;
    for (int i = 0; i < 5; ++i) {
      const Row* row = rows[i];
      const bool repeats = row != nullptr && row->flat[x] == 0 && row->flat[x - dd] == 0 &&
                           match(row->p[x], row->p[x - dd]);
      if (!repeats && i == 2) break;
      run = repeats ? run + 1 : 0;
      if (i >= 2) best = std::max(best, run);
    }
    if (best >= k) return d;
  }
  return 0;
}

bool IsGrey(const RgbView& picture) {
  const size_t n = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t* q = picture.pixels + i * 3;
    if (q[0] != q[1] || q[1] != q[2]) return false;
  }
  return true;
}

std::vector<int32_t> SampleRows(int32_t height, int32_t width) {
  // Each row costs its width squared to search over every distance: wide pictures are
  // sampled more thinly, down to two rows.
  const auto affordable =
      static_cast<int32_t>(std::max<int64_t>(2, kSampleWork / (int64_t{width} * width)));
  const int32_t n = std::min({height, kSampleRows, affordable});
  std::vector<int32_t> rows(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) rows[i] = (2 * i + 1) * height / (2 * n);
  return rows;
}

// The shift of the nearest depth.
uint32_t MaxShift(uint32_t period, int32_t divisor) {
  return DepthShift(0xFF00, period, static_cast<uint32_t>(divisor));
}

uint32_t ReversedPeriod(int32_t parallax_width, int32_t divisor, int32_t width) {
  return FitPeriod(StereogramPeriod({parallax_width, true, divisor, 1, 0}), width);
}

// The distances at which the sampled rows repeat, over every distance a period can have.
struct Census {
  uint64_t dots = 0;       // pixels that are not flat
  uint64_t repeating = 0;  // of them, those that repeat at some distance
  uint32_t shortest = 0;   // the shortest and longest distance that many pixels repeat at
  uint32_t longest = 0;
};

Census TakeCensus(const RgbView& picture, int k, int32_t divisor) {
  const int32_t width = picture.width;
  Row row(width);
  std::vector<uint64_t> count(static_cast<size_t>(width) + 1, 0);
  Census census;
  const DotMatch exact;
  for (const int32_t r : SampleRows(picture.height, picture.width)) {
    row.Load(picture, r);
    row.MatchWindows(2, static_cast<uint32_t>(width - 1), k, exact);
    for (int32_t x = 0; x < width; ++x) {
      if (row.flat[x] == 0) ++census.dots;
      if (row.window[x] != 0) {
        ++census.repeating;
        ++count[row.window[x]];
      }
    }
  }
  // A distance counts when enough pixels repeat at it that chance cannot explain them.
  // Where the nearest repeat of a pixel is missed, the one after it (two periods away)
  // may be found, so distances beyond the period are seen too: the period is the top of
  // the span of distances that holds the most repeats.
  const uint64_t seen = std::max<uint64_t>(3, census.repeating / 500);
  uint64_t most = 0;
  for (uint32_t top = 2; top < count.size(); ++top) {
    if (count[top] < seen) continue;
    uint64_t held = 0;
    for (uint32_t d = top - MaxShift(top, divisor); d <= top; ++d) held += count[d];
    if (held > most) {
      most = held;
      census.longest = top;
    }
  }
  for (uint32_t d = 2; d <= census.longest && census.shortest == 0; ++d) {
    if (count[d] >= seen) census.shortest = d;
  }
  return census;
}

// The period W and divisor that explain the distances seen: the farthest plane, depth
// byte 0, repeats at the longest distance unreversed and at the shortest reversed. The
// divisor is the board's 4 unless the distances span more than 4 allows.
bool FindSettings(const RevealSettings& given, const Census& census, int32_t width,
                  RevealReading* reading) {
  reading->reverse = given.reverse;
  const int32_t first = given.depth_divisor.value_or(4);
  const int32_t last = given.depth_divisor.value_or(1);
  for (int32_t div = first; div >= last; --div) {
    uint32_t period = 0;
    int32_t parallax = 0;
    if (given.parallax_width.has_value()) {
      parallax = *given.parallax_width;
      period = FitPeriod(StereogramPeriod({parallax, given.reverse, div, 1, 0}), width);
    } else if (!given.reverse) {
      period = census.longest;
      parallax = static_cast<int32_t>(period);
    } else {
      for (uint32_t w = census.longest; w <= static_cast<uint32_t>(width) && period == 0; ++w) {
        if (w - MaxShift(w, div) == census.shortest) period = w;
      }
      for (int32_t pw = 1; pw <= width && parallax == 0 && period != 0; ++pw) {
        if (ReversedPeriod(pw, div, width) == period) parallax = pw;
      }
    }
    const bool fits = period != 0 && period - MaxShift(period, div) <= census.shortest;
    if (fits || div == last) {
      reading->period = period;
      reading->parallax_width = parallax;
      reading->depth_divisor = div;
      return period != 0;
    }
  }
  return false;
}

// The grey of a text blended over the dots by the plain-text view, or none. Pixels of
// the text repeat pixels beside it (or the other way round), so their repeat is not
// found exactly; each such pair allows only two or three greys, and a window of pairs
// that agrees on one votes for it. Chance pairs spread their votes over all greys.
std::optional<uint32_t> FindTextView(const RgbView& picture, uint32_t lo, uint32_t hi, int k) {
  // For a source channel value b and a blended one a, the greys g with blend_g(b) == a;
  // blending is monotonic in the grey, so they form a range.
  struct Range {
    uint8_t from = 255;
    uint8_t to = 0;
  };
  std::vector<Range> greys(256 * 256);
  for (uint32_t g = 1; g < 256; ++g) {
    const std::array<uint8_t, 256> table = BlendTable(g);
    for (uint32_t b = 0; b < 256; ++b) {
      Range& r = greys[b * 256 + table[b]];
      r.from = static_cast<uint8_t>(std::min<uint32_t>(r.from, g));
      r.to = static_cast<uint8_t>(std::max<uint32_t>(r.to, g));
    }
  }

  const int32_t width = picture.width;
  Row row(width);
  std::array<uint64_t, 256> votes{};
  uint64_t unmatched = 0;
  const DotMatch exact;
  for (const int32_t r : SampleRows(picture.height, picture.width)) {
    row.Load(picture, r);
    row.MatchWindows(lo, hi, k, exact);
    for (int32_t x = static_cast<int32_t>(hi); x + k <= width; ++x) {
      if (row.window[x] != 0 || row.flat[x] != 0) continue;
      ++unmatched;
      for (uint32_t d = lo; d <= hi; ++d) {
        for (int way = 0; way < 2; ++way) {
          uint32_t from = 1;
          uint32_t to = 255;
          for (int i = 0; i < k && from <= to; ++i) {
            const uint32_t here = row.p[x + i];
            const uint32_t there = row.p[x + i - static_cast<int32_t>(d)];
            const uint32_t blended = way == 0 ? here : there;
            const uint32_t source = way == 0 ? there : here;
            for (int c = 0; c < 3; ++c) {
              const Range g = greys[Channel(source, c) * 256 + Channel(blended, c)];
              from = std::max<uint32_t>(from, g.from);
              to = std::min<uint32_t>(to, g.to);
            }
          }
          for (uint32_t g = from; g <= to; ++g) ++votes[g];
        }
      }
    }
  }
  const auto best =
      static_cast<uint32_t>(std::max_element(votes.begin(), votes.end()) - votes.begin());
  if (votes[best] < 16 || votes[best] * 10 < unmatched) return std::nullopt;
  return best;
}

// The darkest depth byte of each shift level from 0 to the nearest's, for a period `hi`.
// Levels that no byte reaches (a divisor of 1 with a period above 256 skips some) take
// the byte of the level below.
std::vector<int32_t> BytesOfLevels(uint32_t hi, int32_t divisor, bool reverse) {
  const auto div = static_cast<uint32_t>(divisor);
  const uint32_t top = DepthShift(0xFF00, hi, div);
  std::vector<int32_t> byte_of_level(top + 1, -1);
  for (int32_t b = 255; b >= 0; --b) {
    const uint32_t level = reverse ? static_cast<uint32_t>(b) ^ 0xFFu : static_cast<uint32_t>(b);
    byte_of_level[DepthShift(level << 8, hi, div)] = b;
  }
  for (uint32_t s = 1; s <= top; ++s) {
    if (byte_of_level[s] < 0) byte_of_level[s] = byte_of_level[s - 1];
  }
  return byte_of_level;
}

// The pixels' depth bytes from the repeats found in `row`. Pixels whose dots do not
// repeat take the level found on their right; those right of the row's last repeat have
// nothing on their right to take.
void RowDepth(const Row& row, uint32_t hi, const std::vector<int32_t>& byte_of_level,
              uint8_t* out) {
  auto last = static_cast<int32_t>(row.found.size()) - 1;
  while (last >= 0 && row.found[last] == 0) --last;
  uint32_t level = last >= 0 ? hi - row.found[last] : 0;
  for (auto x = static_cast<int32_t>(row.found.size()) - 1; x >= 0; --x) {
    if (row.found[x] != 0) level = hi - row.found[x];
    out[x] = static_cast<uint8_t>(byte_of_level[level]);
  }
}

// How the whole picture is read once the period and the divisor are known.
struct RowReading {
  uint32_t lo;  // the shortest and longest distance a dot can repeat at
  uint32_t hi;
  int k;  // the window
  DotMatch match;
};

// Reads every row of `stereogram` into the depth bytes `bytes` (top line first); returns
// the share of the dots right of the first period whose repeat a window or a column found.
double ReadRows(const RgbView& stereogram, const RowReading& how, const RowProgress& progress,
                const std::vector<int32_t>& byte_of_level, std::vector<uint8_t>& bytes) {
  const int32_t width = stereogram.width;
  const int32_t height = stereogram.height;
  const auto [lo, hi, k, match] = how;
  // Rows r - 2 .. r + 2 are kept for the columns.
  std::vector<Row> ring(5, Row(width));
  const auto at = [&](int32_t q) -> Row* { return q < 0 || q >= height ? nullptr : &ring[q % 5]; };
  for (int32_t q = 0; q < 2 && q < height; ++q) at(q)->Load(stereogram, q);
  uint64_t dots = 0;
  uint64_t repeating = 0;
  for (int32_t r = 0; r < height; ++r) {
    if (r + 2 < height) at(r + 2)->Load(stereogram, r + 2);
    Row& row = *at(r);
    row.MatchWindows(lo, hi, k, match);
    const std::array<const Row*, 5> column{at(r - 2), at(r - 1), &row, at(r + 1), at(r + 2)};
    for (int32_t x = static_cast<int32_t>(lo); x < width; ++x) {
      if (row.window[x] == 0 && row.flat[x] == 0)
        row.window[x] = MatchColumn(column, x, lo, hi, k, match);
    }
    row.MatchSingles(lo, hi, match);
    for (int32_t x = static_cast<int32_t>(hi); x < width; ++x) {
      if (row.flat[x] != 0) continue;
      ++dots;
      if (row.window[x] != 0) ++repeating;
    }
    RowDepth(row, hi, byte_of_level, &bytes[static_cast<size_t>(r) * static_cast<size_t>(width)]);
    if (progress) progress(static_cast<uint64_t>(r) + 1, static_cast<uint64_t>(height));
  }
  return dots == 0 ? 0.0 : static_cast<double>(repeating) / static_cast<double>(dots);
}

// The depth bytes of a picture made at several sub-pixels a pixel; returns the share of
// its pixels whose repeat was found.
double ReadFine(const RgbView& stereogram, const RevealReading& reading,
                const RevealSettings& settings, std::vector<uint8_t>& bytes) {
  const uint32_t oversample = settings.oversample;
  const uint32_t period = oversample * reading.period;
  const FineReading how{oversample, period, MaxShift(period, reading.depth_divisor)};
  std::vector<uint32_t> levels;
  const double share = ReadFineLevels(stereogram, how, levels, settings.progress);
  const std::vector<int32_t> byte_of_level =
      BytesOfLevels(period, reading.depth_divisor, settings.reverse);
  for (size_t i = 0; i < levels.size(); ++i)
    bytes[i] = static_cast<uint8_t>(byte_of_level[levels[i]]);
  return share;
}

}  // namespace

RevealResult RevealDepth(const RgbView& stereogram, const RevealSettings& settings,
                         const RgbView& depth) {
  RevealResult result;
  const int32_t width = stereogram.width;
  const int32_t height = stereogram.height;
  if (width < 3 || height < 1) {
    result.why = "is too small to hold a stereogram";
    return result;
  }
  const int k = IsGrey(stereogram) ? kGreyWindow : kColourWindow;
  const Census census = TakeCensus(stereogram, k, settings.depth_divisor.value_or(4));
  if (census.dots * 10 < static_cast<uint64_t>(SampleRows(height, width).size()) * width) {
    result.why = "holds no stereogram: it is not made of dots";
    return result;
  }
  if (census.longest == 0 || !FindSettings(settings, census, width, &result.reading)) {
    result.why = "holds no stereogram: its dots do not repeat";
    return result;
  }
  RevealReading& reading = result.reading;
  // All rows are read before anything is written: a refused picture writes nothing.
  std::vector<uint8_t> bytes(static_cast<size_t>(width) * static_cast<size_t>(height));
  if (settings.oversample > 1) {
    reading.repeating = ReadFine(stereogram, reading, settings, bytes);
  } else {
    RowReading how{0, reading.period, k, {}};
    how.lo = how.hi - MaxShift(how.hi, reading.depth_divisor);
    reading.text_view_grey = FindTextView(stereogram, how.lo, how.hi, k);
    if (reading.text_view_grey.has_value()) {
      how.match.blended = true;
      how.match.blend = BlendTable(*reading.text_view_grey);
    }
    reading.repeating =
        ReadRows(stereogram, how, settings.progress,
                 BytesOfLevels(how.hi, reading.depth_divisor, settings.reverse), bytes);
  }
  if (reading.repeating < kMinRepeating) {
    result.why = "holds no stereogram: too few of its dots repeat";
    return result;
  }

  std::vector<uint32_t> grey(static_cast<size_t>(width));
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* in = &bytes[static_cast<size_t>(r) * static_cast<size_t>(width)];
    for (int32_t x = 0; x < width; ++x) grey[x] = in[x] * 0x010101u;
    WriteBufferRow(depth, r, grey.data());
  }
  result.revealed = true;
  return result;
}
