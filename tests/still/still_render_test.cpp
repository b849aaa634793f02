#include "still/still_render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "stereogram/stereogram.h"
#include "tests/still/still_expected.h"

namespace {

using still_test::Expected;
using still_test::MakeDepth;

constexpr GeneratorMap kStep{DotGenerator::kMultiplier, DotGenerator::kIncrement};

uint32_t StepTimes(uint32_t state, uint64_t n) {
  DotGenerator g(state);
  for (uint64_t i = 0; i < n; ++i) g.NextValue();
  return g.State();
}

// The generator run backwards one step, from the multiplier's inverse modulo 2^32
// (Newton's iteration doubles the correct low bits each round).
uint32_t StepBack(uint32_t state) {
  const uint32_t a = DotGenerator::kMultiplier;
  uint32_t inverse = a;
  for (int i = 0; i < 5; ++i) inverse *= 2u - a * inverse;
  return (state - DotGenerator::kIncrement) * inverse;
}

uint8_t DotByteOf(uint32_t state) { return static_cast<uint8_t>(state >> 16); }

TEST(GeneratorMapTest, ThenAppliesTheFirstMapFirst) {
  const GeneratorMap f{3, 5};
  const GeneratorMap g{7, 11};
  for (uint32_t x : {0u, 1u, 12345u, 0xFFFFFFFFu}) {
    EXPECT_EQ(Then(f, g).Apply(x), 7u * (3u * x + 5u) + 11u) << "x " << x;
    EXPECT_EQ(Then(g, f).Apply(x), 3u * (7u * x + 11u) + 5u) << "x " << x;
  }
}

TEST(GeneratorMapTest, RepeatedStepsMatchSteppingTheGenerator) {
  std::mt19937 rng(7);
  for (uint64_t n = 0; n <= 300; ++n) {
    const uint32_t s = rng();
    ASSERT_EQ(Repeated(kStep, n).Apply(s), StepTimes(s, n)) << n << " steps from " << s;
  }
  EXPECT_EQ(Repeated(kStep, 1234567).Apply(99), StepTimes(99, 1234567));
}

TEST(GeneratorMapTest, CountsBeyond32BitsFollowTheGeneratorsFullPeriod) {
  // The generator visits all 2^32 states before it repeats, so 2^32 steps are none,
  // and 2^64 - 1 steps are one step back.
  EXPECT_EQ(Repeated(kStep, uint64_t{1} << 32), GeneratorMap{});
  EXPECT_EQ(Repeated(kStep, (uint64_t{1} << 32) + 5), Repeated(kStep, 5));
  for (uint32_t s : {0u, 1u, 0x80000000u, 0xFFFFFFFFu}) {
    EXPECT_EQ(Repeated(kStep, UINT64_MAX).Apply(s), StepBack(s)) << "from " << s;
  }
}

std::vector<uint8_t> Render(std::vector<uint8_t> picture, int32_t w, int32_t h,
                            const StillFrame& still) {
  RenderStill({w, h, picture.data()}, still);
  return picture;
}

// The first differing pixel, for a message that says where and what.
::testing::AssertionResult SamePicture(const std::vector<uint8_t>& expected,
                                       const std::vector<uint8_t>& actual, int32_t w) {
  if (expected.size() != actual.size()) {
    return ::testing::AssertionFailure() << "sizes " << expected.size() << " and " << actual.size();
  }
  for (size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] != actual[i]) {
      const size_t px = i / 3;
      return ::testing::AssertionFailure()
             << "first difference at x " << px % w << " y " << px / w << " channel " << i % 3
             << ": expected " << int{expected[i]} << ", got " << int{actual[i]};
    }
  }
  return ::testing::AssertionSuccess();
}

struct RenderCase {
  int32_t w, h;
  int32_t parallax_width;
  bool reverse;
  uint32_t dot_mode;
  uint32_t text_depth;
  bool guides;
  uint32_t seed;
  uint64_t frame;
};

TEST(RenderStillTest, EqualsTheBoardsSynthesisOfTheWholePicture) {
  const RenderCase cases[] = {
      {97, 13, 40, false, 1, 200, false, 1, 1},
      {97, 13, 40, true, 1, 200, true, 2, 1},
      {97, 13, 97, false, 2, 0, true, 3, 1},
      {97, 13, 1, true, 0xFFFFFFFF, 255, true, 4, 1},
      {200, 31, 100, false, 1, 200, true, 0xFFFFFFFF, 1},
      {1, 1, 1, false, 1, 200, true, 5, 1},
      {1, 9, 1, true, 3, 200, false, 6, 1},
      {9, 1, 5, false, 1, 200, true, 7, 1},
      // Later frames: the skip must land exactly where drawing every frame would.
      {97, 13, 40, false, 1, 200, false, 11, 2},
      {97, 13, 40, true, 2, 100, true, 12, 3},
      {64, 20, 30, false, 5, 200, false, 13, 7},
      {1, 1, 1, false, 1, 200, false, 14, 2},
  };
  for (const RenderCase& k : cases) {
    StillFrame still;
    still.params.parallax_width = k.parallax_width;
    still.params.reverse = k.reverse;
    still.params.dot_mode = k.dot_mode;
    still.params.text_depth = k.text_depth;
    still.guides = k.guides;
    still.seed = k.seed;
    still.frame = k.frame;
    const std::vector<uint8_t> depth = MakeDepth(k.w, k.h, k.seed);
    EXPECT_TRUE(SamePicture(Expected(depth, k.w, k.h, still), Render(depth, k.w, k.h, still), k.w))
        << k.w << "x" << k.h << " parallax " << k.parallax_width << " reverse " << k.reverse
        << " dot mode " << k.dot_mode << " guides " << k.guides << " seed " << k.seed << " frame "
        << k.frame;
  }
}

TEST(RenderStillTest, TheSecondFrameHasNewDotsOverTheSameShape) {
  constexpr int32_t kW = 120;
  constexpr int32_t kH = 10;
  std::vector<uint8_t> black(kW * kH * 3, 0);
  StillFrame still;
  still.seed = 42;
  const std::vector<uint8_t> first = Render(black, kW, kH, still);
  still.frame = 2;
  const std::vector<uint8_t> second = Render(black, kW, kH, still);
  EXPECT_NE(first, second) << "frame 2 repeated the dots of frame 1";
  // Both frames: a flat black picture repeats with period 100 in every line.
  for (const auto* picture : {&first, &second}) {
    for (size_t y = 0; y < kH; ++y) {
      for (size_t x = 100; x < kW; ++x) {
        const size_t i = (y * kW + x) * 3;
        ASSERT_EQ((*picture)[i], (*picture)[i - 300])
            << (picture == &first ? "frame 1" : "frame 2") << " line " << y << " column " << x;
      }
    }
  }
}

TEST(RenderStillTest, FarFramesCostNothingAndFollowTheGenerator) {
  // One pixel: every frame draws one grey dot, or one colour dot of three steps.
  std::vector<uint8_t> pixel = {0, 0, 0};
  StillFrame still;
  still.params.parallax_width = 1;
  still.seed = 2024;

  still.frame = 1000000;
  std::vector<uint8_t> out = Render(pixel, 1, 1, still);
  EXPECT_EQ(out[0], DotByteOf(StepTimes(2024, 1000000))) << "frame 1000000, grey";

  // 2^64 - 1 frames of one step are one step back (the generator's period is 2^32).
  still.frame = UINT64_MAX;
  out = Render(pixel, 1, 1, still);
  const uint8_t back = DotByteOf(StepBack(2024));
  EXPECT_EQ(out, (std::vector<uint8_t>{back, back, back})) << "last frame, grey";

  // Three steps a frame: the last frame's dot comes from 5, 4 and 3 steps back,
  // blue first.
  still.params.dot_mode = 2;
  out = Render(pixel, 1, 1, still);
  const uint32_t s3 = StepBack(StepBack(StepBack(2024)));
  const uint32_t s4 = StepBack(s3);
  const uint32_t s5 = StepBack(s4);
  EXPECT_EQ(out, (std::vector<uint8_t>{DotByteOf(s3), DotByteOf(s4), DotByteOf(s5)}))
      << "last frame, colour (red, green, blue)";
}

TEST(RenderStillTest, GuideMarksStandWhereTheBoardDrawsThem) {
  // The board's picture with its initial settings: marks over columns 435 to 442 and
  // 516 to 523, lines 5 to 14, and nothing else changed.
  constexpr int32_t kW = 960;
  constexpr int32_t kH = 320;
  const std::vector<uint8_t> depth(kW * kH * 3, 0);
  StillFrame still;
  still.seed = 9;
  const std::vector<uint8_t> plain = Render(depth, kW, kH, still);
  still.guides = true;
  const std::vector<uint8_t> marked = Render(depth, kW, kH, still);
  for (int32_t y = 0; y < kH; ++y) {
    for (int32_t x = 0; x < kW; ++x) {
      const bool mark = y >= 5 && y < 15 && ((x >= 435 && x < 443) || (x >= 516 && x < 524));
      const size_t i = (static_cast<size_t>(y) * kW + x) * 3;
      for (int c = 0; c < 3; ++c) {
        ASSERT_EQ(marked[i + c], mark ? 0 : plain[i + c]) << "x " << x << " y " << y;
      }
    }
  }
}

}  // namespace
