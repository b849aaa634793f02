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
  uint32_t* row(int32_t r) { return out.data() + static_cast<size_t>(r) * width; }
  void FillColumns(int32_t from, int32_t to, uint32_t value) {
    for (int32_t r = 0; r < height; ++r) {
      std::fill(depth.begin() + r * width + from, depth.begin() + r * width + to, value);
    }
  }
  uint32_t Run(const StereogramParams& p, DotGenerator& g) {
    return SynthesizeStereogram(width, height, depth.data(), text.data(), out.data(), p, g);
  }
  // Whether every pixel of every row in columns [from, to) repeats the one `local` left.
  bool Repeats(int32_t from, int32_t to, int32_t local) {
    for (int32_t r = 0; r < height; ++r) {
      for (int32_t x = from; x < to; ++x) {
        if (row(r)[x] != row(r)[x - local]) return false;
      }
    }
    return true;
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

TEST(DotGeneratorTest, SequenceFromStateOne) {
  DotGenerator g(1);
  DotGenerator h(1);
  for (auto [value, byte] : {std::pair{41u, 41u}, {18467u, 35u}, {6334u, 190u}, {26500u, 132u}}) {
    EXPECT_EQ(g.NextValue(), value);
    EXPECT_EQ(h.NextByte(), byte);
  }
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
// settings out of the dialog's ranges as well: periods of 0, 1 and above the width,
// divisors below 1, dot modes other than grey's 1.
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
    p.parallax_width = static_cast<int32_t>(rng() % (f.width + 2)) - (rng() % 10 == 0 ? 5 : 0);
    p.reverse = rng() % 2 != 0;
    p.depth_divisor = static_cast<int32_t>(rng() % 7) - 1;
    p.dot_mode = rng() % 4 == 0 ? rng() : 1;
    ExpectSameAsPlain(f, p, rng());
  }
}

// The period W and the local period at one depth, for the initial settings, reversal,
// the smallest parallax width the dialog takes, and what only an unchecked settings
// file gives: W is clamped into 1 .. width and a divisor below 1 counts as 1, so every
// pixel is written and nothing overflows.
TEST(SynthesisTest, PeriodsAndLocalPeriods) {
  struct Case {
    int32_t parallax;
    bool reverse;
    int32_t divisor, local;
    uint32_t depth, period;
  };
  for (const Case c : {Case{100, false, 4, 81, 200, 100}, Case{100, true, 4, 58, 0, 76},
                       Case{10, true, 4, 7, 0, 8}, Case{0, false, 4, 1, 255, 1},
                       Case{-1, false, 4, 121, 255, 160}, Case{0x7FFFFFFF, true, 4, 160, 255, 160},
                       Case{100, true, 0, 1, 255, 1}, Case{64, false, -3, 1, 255, 64}}) {
    SCOPED_TRACE(testing::Message() << c.parallax << " " << c.reverse << " " << c.divisor);
    Frame f(160, 3);
    f.FillColumns(0, 160, Grey(c.depth));
    DotGenerator g(1);
    EXPECT_EQ(f.Run(StereogramParams{c.parallax, c.reverse, c.divisor}, g), c.period);
    EXPECT_TRUE(f.Repeats(c.local, 160, c.local));
    EXPECT_NE(f.row(2)[0], 0xDEADBEEFu);
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
