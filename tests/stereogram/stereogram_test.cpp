#include "stereogram/stereogram.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "tests/stereogram/depth_pictures.h"
#include "tests/stereogram/stereogram_reference.h"

namespace {

using depth_pictures::Grey;

// One frame's buffers, the output filled with junk so that a pixel the synthesis
// forgets to write cannot pass for a dot.
struct Frame {
  Frame(int32_t w, int32_t h) : width(w), height(h), depth(n()), text(n()), out(n(), 0xDEADBEEF) {}
  size_t n() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
  uint32_t Run(const StereogramParams& p, DotGenerator& g) {
    return SynthesizeStereogram(width, height, depth.data(), text.data(), out.data(), p, g);
  }

  int32_t width;
  int32_t height;
  std::vector<uint32_t> depth;
  std::vector<uint32_t> text;
  std::vector<uint32_t> out;
};

// The production code against the plain rendition: picture, depth image, period and
// the generator's state must all agree.
void ExpectSameAsPlain(Frame& f, const StereogramParams& p, uint32_t seed) {
  auto depth = f.depth;
  std::vector<uint32_t> out(f.n(), 0x12345678);
  uint32_t state = seed;
  const uint32_t want =
      reference::Synthesize(f.width, f.height, depth.data(), f.text.data(), out.data(), p, state);
  DotGenerator g(seed);
  ASSERT_EQ(f.Run(p, g), want);
  ASSERT_EQ(f.depth, depth);
  ASSERT_EQ(f.out, out);
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
          Frame f(width, 40);
          depth_pictures::Make(depth_pictures::kKinds[k], width, 40, f.depth.data(), f.text.data());
          ExpectSameAsPlain(f, StereogramParams{100, reverse, 4, mode}, 20261207);
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
    Frame f(static_cast<int32_t>(rng() % 201), static_cast<int32_t>(rng() % 6));
    for (size_t x = 0; x < f.n();) {
      const uint32_t kind = rng() % 4;
      const uint32_t base = rng();
      for (size_t run = 1 + rng() % 40; run > 0 && x < f.n(); --run, ++x) {
        f.depth[x] = kind == 0 ? base : kind == 1 ? Grey((base + run) & 0xFF) : rng();
        f.text[x] = rng() % 3 == 0 ? Grey(rng() & 0xFF) : 0;
      }
    }
    StereogramParams p;
    p.parallax_width = rng() % 8 == 0 ? static_cast<int32_t>(rng())
                                      : static_cast<int32_t>(rng() % (f.width + 3)) - 1;
    p.reverse = rng() % 2 != 0;
    p.depth_divisor = static_cast<int32_t>(rng() % 7) - 1;
    p.dot_mode = rng() % 4 == 0 ? rng() : 1;
    ExpectSameAsPlain(f, p, rng());
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
