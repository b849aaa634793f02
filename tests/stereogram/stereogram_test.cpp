#include "stereogram/stereogram.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "tests/stereogram/depth_pictures.h"
#include "tests/stereogram/stereogram_reference.h"

namespace {

using depth_pictures::Grey;

// The production code against the plain rendition: picture, depth image, period and
// the generator's state must all agree. The output starts as junk so that a pixel the
// synthesis forgets to write cannot pass for a dot.
void ExpectSameAsPlain(int32_t w, int32_t h, const std::vector<uint32_t>& depth,
                       const std::vector<uint32_t>& text, const StereogramParams& p,
                       uint32_t seed) {
  std::vector<uint32_t> depth_got = depth, depth_want = depth;
  std::vector<uint32_t> got(depth.size(), 0xDEADBEEF), want(depth.size(), 0x12345678);
  DotGenerator g(seed);
  uint32_t state = seed;
  ASSERT_EQ(SynthesizeStereogram(w, h, depth_got.data(), text.data(), got.data(), p, g),
            reference::Synthesize(w, h, depth_want.data(), text.data(), want.data(), p, state));
  ASSERT_EQ(depth_got, depth_want);
  ASSERT_EQ(got, want);
  ASSERT_EQ(g.State(), state);
}

// Every kind of depth picture, at a width that is a multiple of four and one that is
// not, grey and colour, reversed and not.
TEST(SynthesisTest, MatchesPlainRenditionOnEveryKind) {
  for (size_t k = 0; k < std::size(depth_pictures::kKinds); ++k) {
    for (int32_t width : {960, 301}) {
      for (uint32_t mode : {1u, 2u}) {
        for (bool reverse : {false, true}) {
          SCOPED_TRACE(testing::Message() << depth_pictures::kNames[k] << " width " << width
                                          << " mode " << mode << " reverse " << reverse);
          std::vector<uint32_t> depth(static_cast<size_t>(width) * 40), text(depth.size());
          depth_pictures::Make(depth_pictures::kKinds[k], width, 40, depth.data(), text.data());
          ExpectSameAsPlain(width, 40, depth, text, StereogramParams{100, reverse, 4, mode},
                            20261207);
        }
      }
    }
  }
}

// Small random pictures (runs, slopes, whole 32-bit values; empty ones draw nothing) with
// what only an unchecked settings file gives as well: parallax widths of 0, below 0, above
// the picture and of any 32 bits (W is clamped into 1 .. width, and nothing may
// overflow), divisors below 1 (they count as 1), dot modes other than grey's 1.
TEST(SynthesisTest, MatchesPlainRenditionOnRandomImagesAndSettings) {
  std::mt19937 rng(20261207);
  for (int i = 0; i < 300; ++i) {
    SCOPED_TRACE(i);
    const auto w = static_cast<int32_t>(rng() % 201), h = static_cast<int32_t>(rng() % 6);
    std::vector<uint32_t> depth(static_cast<size_t>(w) * h), text(depth.size());
    for (size_t x = 0; x < depth.size();) {
      const uint32_t kind = rng() % 4;
      const uint32_t base = rng();
      for (size_t run = 1 + rng() % 40; run > 0 && x < depth.size(); --run, ++x) {
        depth[x] = kind == 0 ? base : kind == 1 ? Grey((base + run) & 0xFF) : rng();
        text[x] = rng() % 3 == 0 ? Grey(rng() & 0xFF) : 0;
      }
    }
    StereogramParams p;
    p.parallax_width =
        rng() % 8 == 0 ? static_cast<int32_t>(rng()) : static_cast<int32_t>(rng() % (w + 3)) - 1;
    p.reverse = rng() % 2 != 0;
    p.depth_divisor = static_cast<int32_t>(rng() % 7) - 1;
    p.dot_mode = rng() % 4 == 0 ? rng() : 1;
    ExpectSameAsPlain(w, h, depth, text, p, rng());
  }
}

TEST(GuideMarkTest, OneLocalPeriodApartAboutTheMiddle) {
  struct Case {
    uint32_t period, text_depth;
    bool reverse;
    int32_t divisor, left, right;
  };
  for (const Case c : {Case{100, 200, false, 4, 435, 516}, Case{76, 200, true, 4, 440, 512},
                       Case{100, 255, false, 0, 475, 476}}) {
    const auto marks = GuideMarkRects(960, c.period, c.text_depth, c.reverse, c.divisor);
    EXPECT_EQ(marks[0], (GuideRect{c.left, 5, c.left + 8, 15})) << c.period;
    EXPECT_EQ(marks[1], (GuideRect{c.right, 5, c.right + 8, 15})) << c.period;
  }
}

}  // namespace
