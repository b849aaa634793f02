// A still frame against the board's synthesis of the whole picture, written out here
// directly (whole frames drawn one after another from one generator, the rows turned
// bottom-up by hand) rather than row by row and skipped as the renderer does.
#include "app/still_render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr GeneratorMap kStep{DotGenerator::kMultiplier, DotGenerator::kIncrement};

uint32_t StepTimes(uint32_t state, uint64_t n) {
  DotGenerator g(state);
  for (uint64_t i = 0; i < n; ++i) g.NextValue();
  return g.State();
}

// One generator step backwards, through the multiplier's inverse modulo 2^32.
uint32_t StepBack(uint32_t state) {
  uint32_t inverse = DotGenerator::kMultiplier;
  for (int i = 0; i < 5; ++i) inverse *= 2u - DotGenerator::kMultiplier * inverse;
  return (state - DotGenerator::kIncrement) * inverse;
}

TEST(GeneratorMapTest, RepeatedStepsAreTheGeneratorsStepsOverItsWholePeriod) {
  std::mt19937 rng(7);
  for (uint64_t n = 0; n <= 300; ++n) {
    const uint32_t s = rng();
    ASSERT_EQ(StepTimes(s, n), Repeated(kStep, n).Apply(s)) << n << " steps from " << s;
  }
  EXPECT_EQ(StepTimes(99, 1234567), Repeated(kStep, 1234567).Apply(99));
  // All 2^32 states come before a repeat: 2^32 steps are none, 2^64 - 1 one step back.
  EXPECT_EQ(GeneratorMap{}, Repeated(kStep, uint64_t{1} << 32));
  EXPECT_EQ(StepBack(0x80000000u), Repeated(kStep, UINT64_MAX).Apply(0x80000000u));
}

// A dark background with flat rectangles (rises and falls of depth; red and green vary
// too, which must not matter) and noise in one corner; RGB, top line first.
std::vector<uint8_t> MakeDepth(int32_t w, int32_t h, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint32_t> rgb(static_cast<size_t>(w) * h, rng() & 0x3F3F3F);
  for (int k = 0; k < 6; ++k) {
    const int32_t x0 = rng() % w, y0 = rng() % h, x1 = x0 + 1 + rng() % w, y1 = y0 + 1 + rng() % h;
    const uint32_t v = rng() & 0xFFFFFF;
    for (int32_t y = y0; y < std::min(h, y1); ++y)
      std::fill_n(&rgb[static_cast<size_t>(y) * w + x0], std::min(w, x1) - x0, v);
  }
  for (int32_t y = 0; y < h / 3; ++y)
    for (int32_t x = 0; x < w / 4; ++x) rgb[static_cast<size_t>(y) * w + x] = rng() & 0xFFFFFF;
  std::vector<uint8_t> bytes;
  for (const uint32_t v : rgb)
    bytes.insert(bytes.end(), {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
  return bytes;
}

std::vector<uint8_t> Expected(const std::vector<uint8_t>& rgb, int32_t w, int32_t h,
                              const StillFrame& still) {
  const auto at = [w, h](int32_t x, int32_t y) { return static_cast<size_t>(h - 1 - y) * w + x; };
  std::vector<uint32_t> depth(rgb.size() / 3), out(depth.size()), text(depth.size(), 0);
  DotGenerator g(still.seed);
  uint32_t period = 0;
  for (uint64_t f = 0; f < still.frame; ++f) {
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
        depth[at(x, y)] = p[0] * 65536u + p[1] * 256u + p[2];
      }
    period = SynthesizeStereogram(w, h, depth.data(), text.data(), out.data(), still.params, g);
  }
  const auto in_mark = [&](int32_t x, int32_t y) {
    const auto marks = GuideMarkRects(w, period, still.params.text_depth, still.params.reverse,
                                      still.params.depth_divisor);
    return still.guides && std::any_of(marks.begin(), marks.end(), [&](const GuideRect& m) {
             return x >= m.left && x < m.right && y >= m.top && y < m.bottom;
           });
  };
  std::vector<uint8_t> picture;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t v = in_mark(x, y) ? 0 : out[at(x, y)];
      picture.insert(picture.end(), {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    }
  return picture;
}

TEST(RenderStillTest, EqualsTheBoardsSynthesisOfTheWholePicture) {
  struct Case {
    int32_t w, h, parallax_width;
    bool reverse;
    uint32_t dot_mode, text_depth;
    bool guides;
    uint32_t seed;
    uint64_t frame;
  };
  const Case cases[] = {
      {97, 13, 40, false, 1, 200, false, 1, 1},
      {97, 13, 97, true, 2, 0, true, 3, 1},
      {97, 13, 1, true, 0xFFFFFFFF, 255, true, 4, 1},
      {200, 31, 100, false, 1, 200, true, 0xFFFFFFFF, 1},
      // Guide marks placed for the middle of a picture far wider than these.
      {1, 1, 1, false, 1, 200, true, 5, 1},
      {9, 1, 5, false, 1, 200, true, 7, 1},
      // Later frames: the skip must land where drawing every frame would.
      {97, 13, 40, true, 2, 100, true, 12, 3},
      {64, 20, 30, false, 5, 200, false, 13, 7},
  };
  for (const Case& k : cases) {
    StillFrame still;
    still.params.parallax_width = k.parallax_width;
    still.params.reverse = k.reverse;
    still.params.dot_mode = k.dot_mode;
    still.params.text_depth = k.text_depth;
    still.guides = k.guides;
    still.seed = k.seed;
    still.frame = k.frame;
    const std::vector<uint8_t> depth = MakeDepth(k.w, k.h, k.seed);
    std::vector<uint8_t> picture = depth;
    RenderStill({k.w, k.h, picture.data()}, still);
    EXPECT_TRUE(Expected(depth, k.w, k.h, still) == picture)
        << k.w << "x" << k.h << " seed " << k.seed;
  }
}

TEST(RenderStillTest, TheLastPossibleFrameComesAtOnceFromOneStepBack) {
  // One pixel, one generator step a frame for grey dots, three for colour (blue first).
  StillFrame still;
  still.params.parallax_width = 1;
  still.seed = 2024;
  still.frame = UINT64_MAX;
  const auto dot = [](uint32_t state) { return static_cast<uint8_t>(state >> 16); };
  const uint32_t back[] = {StepBack(2024), StepBack(StepBack(StepBack(2024)))};
  std::vector<uint8_t> pixel(3, 0);
  RenderStill({1, 1, pixel.data()}, still);
  EXPECT_EQ(std::vector<uint8_t>(3, dot(back[0])), pixel) << "grey";
  still.params.dot_mode = 2;
  pixel.assign(3, 0);
  RenderStill({1, 1, pixel.data()}, still);
  EXPECT_EQ((std::vector<uint8_t>{dot(back[1]), dot(StepBack(back[1])),
                                  dot(StepBack(StepBack(back[1])))}),
            pixel)
      << "colour (red, green, blue)";
}

}  // namespace
