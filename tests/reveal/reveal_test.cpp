// Reading the depth back: stereograms made by the synthesis, revealed again, must give
// their linked pixels their shift level.
#include "reveal/reveal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "canvas/pixel_kernels.h"
#include "stereogram/fine_synthesis.h"
#include "stereogram/stereogram.h"
#include "stereogram/text_view.h"

namespace {

// Grey depth pictures with the far plane (black) in each: steps, a dome, letter strokes.
std::vector<uint32_t> MakeDepth(int scene, int32_t w, int32_t h) {
  std::vector<uint32_t> d(static_cast<size_t>(w) * h);
  const uint32_t steps[] = {0, 192, 64, 255, 128, 0};
  for (size_t i = 0; i < d.size(); ++i) {
    const auto x = static_cast<int32_t>(i % w), y = static_cast<int32_t>(i / w);
    const double r = std::hypot(x - w / 2.0, y - h / 2.0) / (h * 0.45);
    const bool stroke = x > 40 && ((x % 90 < 22 && std::abs(y - h / 2) < h * 3 / 10) ||
                                   (x % 180 < 90 && std::abs(y - h / 2) < 10));
    const uint32_t v[] = {steps[x * 6 / w],
                          r < 1 ? static_cast<uint32_t>(255 * std::sqrt(1 - r * r)) : 0u,
                          stroke ? 200u : 0u};
    d[i] = v[scene] * 0x010101u;
  }
  return d;
}

// Makes a stereogram of `scene` with `text` over it, lets `dress` draw over the dots as
// a copy from the board would, reveals it and returns the share of linked pixels (all
// that repeat the dot one true local period to their left) revealed at their level.
template <typename Dress>
double RevealedShare(int scene, int32_t w, int32_t h, const StereogramParams& p,
                     const RevealSettings& given, const std::vector<uint32_t>& text, Dress dress,
                     RevealResult& result) {
  const size_t n = static_cast<size_t>(w) * h;
  std::vector<uint32_t> depth = MakeDepth(scene, w, h), dots(n), revealed(n);
  DotGenerator generator(12345);
  const uint32_t period =
      SynthesizeStereogram(w, h, depth.data(), text.data(), dots.data(), p, generator);
  std::vector<uint8_t> rgb(n * 3), out(n * 3);
  std::vector<uint32_t> dressed = dots;
  dress(dressed, period);
  for (int32_t r = 0; r < h; ++r) WriteBufferRow({w, h, rgb.data()}, r, &dressed[r * size_t(w)]);
  result = RevealDepth({w, h, rgb.data()}, given, {w, h, out.data()});
  if (!result.revealed || result.reading.period != period) return 0;
  for (int32_t r = 0; r < h; ++r) ReadBufferRow({w, h, out.data()}, r, &revealed[r * size_t(w)]);
  const auto shift = [&](uint32_t byte) {
    return DepthShift((p.reverse ? byte ^ 0xFF : byte) << 8, period, 4);
  };
  uint64_t linked = 0, right = 0;
  for (size_t i = 0; i < n; ++i) {
    const auto local = static_cast<int32_t>(period - shift(depth[i] & 0xFF));
    if (static_cast<int32_t>(i % w) < local || dots[i] != dots[i - local]) continue;
    ++linked;
    right += shift(revealed[i] & 0xFF) == shift(depth[i] & 0xFF);
  }
  return static_cast<double>(right) / static_cast<double>(linked);
}

TEST(RevealTest, GivesLinkedPixelsTheirShiftLevel) {
  const std::vector<uint32_t> black(640 * 80, 0);
  for (int scene = 0; scene < 3; ++scene) {
    for (const int32_t width : {10, 320}) {
      for (const uint32_t dot_mode : {1u, 2u}) {
        for (const bool reverse : {false, true}) {
          // Reversal cannot be found from the dots (see RevealSettings), so with it the
          // width is given, as a user who knows the one would know the other.
          const RevealSettings given{
              reverse ? std::optional<int32_t>(width) : std::nullopt, reverse, {}};
          RevealResult result;
          const double share = RevealedShare(
              scene, 640, 80, {width, reverse, 4, dot_mode, 200}, given, black,
              [](auto&, uint32_t) {}, result);
          EXPECT_GE(share, 0.98) << "scene " << scene << ", width " << width << ", dot mode "
                                 << dot_mode << (reverse ? ", reversed: " : ": ") << result.why;
        }
      }
    }
  }
}

// A copy from the board: the text view blends the text over the dots and the guide
// marks are black, both by the rules the board composes them with.
TEST(RevealTest, ReadsPictureCopiedWithGuidesAndTextView) {
  const std::vector<uint32_t> text = MakeDepth(2, 960, 320);
  for (const uint32_t dot_mode : {1u, 2u}) {
    const StereogramParams p{100, false, 4, dot_mode, 200};
    auto dress = [&](std::vector<uint32_t>& pixels, uint32_t period) {
      kernels::AlphaBlend(text.data(), pixels.data(), 960, {0, 0, 960, 320}, 0,
                          board::kTextViewTransparency);
      for (const GuideRect& m : GuideMarkRects(960, period, p.text_depth, p.reverse, 4)) {
        for (int32_t y = m.top; y < m.bottom; ++y) {
          for (int32_t x = m.left; x < m.right; ++x) pixels[(319 - y) * 960 + x] = 0;
        }
      }
    };
    RevealResult result;
    EXPECT_GE(RevealedShare(1, 960, 320, p, {}, text, dress, result), 0.98)
        << "dot mode " << dot_mode << ": " << result.why;
    EXPECT_EQ(result.reading.text_view_grey, 200u);
  }
}

}  // namespace

namespace {

// A stereogram made at four sub-pixels a pixel reads back with its finer levels: a dome,
// whose levels at one sub-pixel a pixel would be rings a whole pixel of shift apart.
TEST(RevealTest, ReadsTheFinerLevelsOfAnOversampledStereogram) {
  constexpr int32_t kW = 480, kH = 120, kPeriod = 80;
  constexpr uint32_t kN = 4, kWide = kN * kPeriod;
  std::vector<uint32_t> shifts(kW), wide(kW * kN), row(kW);
  std::vector<uint8_t> rgb(kW * kH * 3), out(kW * kH * 3);
  std::vector<uint32_t> truth(kW * kH);
  DotGenerator generator(5);
  for (int32_t r = 0; r < kH; ++r) {
    for (int32_t x = 0; x < kW; ++x) {
      const double d = std::hypot(x - 280.0, r - kH / 2.0) / 150.0;
      const auto depth = static_cast<uint32_t>(d < 1 ? 65535 * std::sqrt(1 - d * d) : 0);
      shifts[x] = truth[r * kW + x] = DepthShift(depth, kWide, 4);
    }
    SynthesizeFineRow({kW, kN, kWide}, shifts.data(), {nullptr, true, &generator}, wide.data());
    AverageSubPixels(wide.data(), kW, kN, row.data());
    WriteBufferRow({kW, kH, rgb.data()}, r, row.data());
  }
  const RevealResult result =
      RevealDepth({kW, kH, rgb.data()}, {kPeriod, false, 4, kN}, {kW, kH, out.data()});
  ASSERT_TRUE(result.revealed) << result.why;
  // Right of the first period, the pixels' levels within one of the truth, but for
  // those hidden behind the dome's fall, which take the level on their right.
  std::vector<uint32_t> depth(kW);
  size_t right = 0, read = 0;
  std::set<uint32_t> levels;
  for (int32_t r = 0; r < kH; ++r) {
    ReadBufferRow({kW, kH, out.data()}, r, depth.data());
    for (int32_t x = kPeriod; x < kW; ++x, ++read) {
      const uint32_t level = DepthShift((depth[x] & 0xFF) << 8, kWide, 4);
      right += level + 1 >= truth[r * kW + x] && level <= truth[r * kW + x] + 1;
      levels.insert(level);
    }
  }
  EXPECT_GE(right, read * 90 / 100);
  EXPECT_GT(levels.size(), 4 * DepthShift(0xFF00, kPeriod, 4) * 3 / 4) << "finer than pixels";
}

}  // namespace
