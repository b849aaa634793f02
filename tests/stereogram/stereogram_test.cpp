#include "stereogram/stereogram.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "tests/stereogram/stereogram_reference.h"

namespace {

constexpr int32_t kWidth = 960;

// One frame's buffers, with the output filled with junk so that a pixel the
// synthesis forgets to write cannot pass for a dot.
struct Frame {
  Frame(int32_t w, int32_t h)
      : width(w), height(h), depth(size(), 0), text(size(), 0), out(size(), 0xDEADBEEF) {}
  size_t size() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
  uint32_t* row(int32_t r) { return out.data() + static_cast<size_t>(r) * width; }
  void FillDepthColumns(int32_t from, int32_t to, uint32_t value) {
    for (int32_t r = 0; r < height; ++r) {
      for (int32_t x = from; x < to; ++x) depth[static_cast<size_t>(r) * width + x] = value;
    }
  }
  uint32_t Run(const StereogramParams& p, DotGenerator& g) {
    return SynthesizeStereogram(width, height, depth.data(), text.data(), out.data(), p, g);
  }

  int32_t width;
  int32_t height;
  std::vector<uint32_t> depth;
  std::vector<uint32_t> text;
  std::vector<uint32_t> out;
};

uint32_t Grey(uint32_t v) { return v * 0x010101u; }

TEST(DotGeneratorTest, SequenceFromStateOne) {
  DotGenerator g(1);
  const uint32_t values[] = {41, 18467, 6334, 26500, 19169};
  const uint32_t bytes[] = {41, 35, 190, 132, 225};
  DotGenerator h(1);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(g.NextValue(), values[i]) << "value " << i;
    EXPECT_EQ(h.NextByte(), bytes[i]) << "byte " << i;
  }
  EXPECT_EQ(g.State(), h.State());
}

TEST(DotGeneratorTest, ValuesStayWithin15BitsAndWrapModulo2To32) {
  DotGenerator g(0xFFFFFFFFu);
  for (int i = 0; i < 100000; ++i) {
    ASSERT_LE(g.NextValue(), 0x7FFFu);
  }
  DotGenerator w(0xFFFFFFFFu);
  w.NextValue();
  EXPECT_EQ(w.State(), 0xFFFFFFFFu * 214013u + 2531011u);
}

TEST(FlatDepthTest, BlackRowsStartWithPeriodFreshDotsThenRepeat) {
  Frame f(kWidth, 3);
  DotGenerator g(1);
  DotGenerator expect(1);
  StereogramParams p;  // parallax 100, unreversed, grey
  ASSERT_EQ(f.Run(p, g), 100u);
  for (int32_t r = 0; r < f.height; ++r) {
    const uint32_t* row = f.row(r);
    // Row 0 draws first: the dots come from the generator in buffer order.
    for (int32_t x = 0; x < 100; ++x) {
      ASSERT_EQ(row[x], Grey(expect.NextByte())) << "row " << r << " column " << x;
    }
    for (int32_t x = 100; x < kWidth; ++x) {
      ASSERT_EQ(row[x], row[x - 100]) << "row " << r << " column " << x;
    }
  }
  EXPECT_EQ(g.State(), expect.State()) << "one draw per fresh dot, none for repeats";
  EXPECT_EQ(f.row(0)[0], Grey(41));
}

TEST(FlatDepthTest, ConstantDepthRepeatsWithItsLocalPeriod) {
  for (uint32_t d : {1u, 100u, 200u, 255u}) {
    Frame f(kWidth, 2);
    f.FillDepthColumns(0, kWidth, Grey(d));
    DotGenerator g(7);
    f.Run(StereogramParams{}, g);
    const int32_t local = 100 - static_cast<int32_t>(((d * 100) >> 8) / 4);
    for (int32_t r = 0; r < f.height; ++r) {
      for (int32_t x = local; x < kWidth; ++x) {
        ASSERT_EQ(f.row(r)[x], f.row(r)[x - local]) << "depth " << d << " column " << x;
      }
    }
    // Exactly `local` fresh dots per row.
    DotGenerator expect(7);
    for (int i = 0; i < local * f.height; ++i) expect.NextByte();
    EXPECT_EQ(g.State(), expect.State()) << "depth " << d;
  }
  // The local periods of the initial settings: 100 at black, 81 at the text depth,
  // 76 at white.
  EXPECT_EQ(100 - ((200 * 100) >> 8) / 4, 81);
}

TEST(ShiftChangeTest, FallInsertsFreshDotsForTheHiddenSurface) {
  Frame f(kWidth, 2);
  f.FillDepthColumns(0, 300, Grey(200));  // shift 19, local period 81
  DotGenerator g(3);
  f.Run(StereogramParams{}, g);
  DotGenerator expect(3);
  for (int32_t r = 0; r < f.height; ++r) {
    const uint32_t* row = f.row(r);
    for (int32_t x = 0; x < 81; ++x) ASSERT_EQ(row[x], Grey(expect.NextByte())) << x;
    for (int32_t x = 81; x < 300; ++x) ASSERT_EQ(row[x], row[x - 81]) << x;
    for (int32_t x = 300; x < 319; ++x) {
      ASSERT_EQ(row[x], Grey(expect.NextByte())) << "hidden-surface pixel " << x;
    }
    EXPECT_EQ(row[319], row[219]) << "linking resumes with period 100";
    for (int32_t x = 319; x < kWidth; ++x) ASSERT_EQ(row[x], row[x - 100]) << x;
  }
  EXPECT_EQ(g.State(), expect.State());
}

TEST(ShiftChangeTest, RiseLinksAtOnceWithTheNearerPeriod) {
  Frame f(kWidth, 1);
  f.FillDepthColumns(300, 400, Grey(200));
  DotGenerator g(3);
  f.Run(StereogramParams{}, g);
  const uint32_t* row = f.row(0);
  EXPECT_EQ(row[300], row[300 - 81]);
  for (int32_t x = 300; x < 400; ++x) ASSERT_EQ(row[x], row[x - 81]) << x;
  // The fall back to black at 400 inserts 19 fresh dots: 100 + 19 draws in all.
  DotGenerator expect(3);
  for (int i = 0; i < 119; ++i) expect.NextByte();
  EXPECT_EQ(g.State(), expect.State());
}

TEST(ShiftChangeTest, EqualHoldLinksWithoutInsertion) {
  // Depth bytes 200 and 203 have the same shift (19): no fall, nothing inserted.
  Frame f(kWidth, 1);
  f.FillDepthColumns(0, 500, Grey(203));
  f.FillDepthColumns(500, kWidth, Grey(200));
  DotGenerator g(5);
  f.Run(StereogramParams{}, g);
  for (int32_t x = 81; x < kWidth; ++x) ASSERT_EQ(f.row(0)[x], f.row(0)[x - 81]) << x;
}

TEST(ReversalTest, PeriodAndLocalPeriods) {
  StereogramParams p;
  p.reverse = true;
  EXPECT_EQ(StereogramPeriod(p), 76u);
  for (auto [d, local] : {std::pair{0u, 58}, std::pair{255u, 76}, std::pair{200u, 72}}) {
    Frame f(kWidth, 1);
    f.FillDepthColumns(0, kWidth, Grey(d));
    DotGenerator g(9);
    ASSERT_EQ(f.Run(p, g), 76u);
    for (int32_t x = local; x < kWidth; ++x) {
      ASSERT_EQ(f.row(0)[x], f.row(0)[x - local]) << "depth " << d << " column " << x;
    }
    EXPECT_NE(f.row(0)[local - 1], f.row(0)[local - 2]) << "depth " << d;
  }
}

TEST(ReversalTest, SmallestDialogParallaxWidth) {
  StereogramParams p;
  p.parallax_width = 10;
  EXPECT_EQ(StereogramPeriod(p), 10u);
  p.reverse = true;
  EXPECT_EQ(StereogramPeriod(p), 8u);
  p.reverse = false;
  Frame f(64, 1);
  f.FillDepthColumns(0, 64, Grey(255));
  DotGenerator g(11);
  f.Run(p, g);
  for (int32_t x = 8; x < 64; ++x) ASSERT_EQ(f.row(0)[x], f.row(0)[x - 8]) << x;
}

TEST(DotModeTest, GreyDotsHaveEqualChannelsAndNoFourthByte) {
  Frame f(kWidth, 8);
  std::mt19937 rng(42);
  for (auto& v : f.depth) v = Grey(rng() % 256);
  DotGenerator g(13);
  f.Run(StereogramParams{}, g);
  for (uint32_t v : f.out) {
    ASSERT_EQ(v >> 24, 0u);
    ASSERT_EQ(v & 0xFF, (v >> 8) & 0xFF);
    ASSERT_EQ(v & 0xFF, (v >> 16) & 0xFF);
  }
}

TEST(DotModeTest, ColourDotsDrawBlueThenGreenThenRed) {
  for (uint32_t mode : {0u, 2u, 7u, 0xFFFFFFFFu}) {
    Frame f(kWidth, 2);
    StereogramParams p;
    p.dot_mode = mode;
    DotGenerator g(1);
    f.Run(p, g);
    // From state 1 the first dot bytes are 41, 35, 190: blue, green, red.
    EXPECT_EQ(f.row(0)[0], (190u << 16) | (35u << 8) | 41u) << "mode " << mode;
    DotGenerator expect(1);
    for (int32_t r = 0; r < f.height; ++r) {
      for (int32_t x = 0; x < 100; ++x) {
        const uint32_t b = expect.NextByte();
        const uint32_t gr = expect.NextByte();
        const uint32_t red = expect.NextByte();
        ASSERT_EQ(f.row(r)[x], red << 16 | gr << 8 | b) << "mode " << mode << " x " << x;
      }
    }
    EXPECT_EQ(g.State(), expect.State()) << "three draws per fresh dot";
  }
}

TEST(DepthImageTest, LargerOfBackgroundAndTextAsUnsignedValues) {
  Frame f(4, 1);
  f.depth = {0x00010000u, 0x000000FFu, 0x00808080u, 0x00000000u};
  f.text = {0x000000FFu, 0x00010000u, 0x00C8C8C8u, 0x00000000u};
  DotGenerator g(1);
  StereogramParams p;
  p.parallax_width = 2;
  f.Run(p, g);
  const std::vector<uint32_t> want = {0x00010000u, 0x00010000u, 0x00C8C8C8u, 0u};
  EXPECT_EQ(f.depth, want);
}

TEST(DepthImageTest, BlackTextLeavesTheBackground) {
  Frame f(kWidth, 4);
  std::mt19937 rng(1);
  for (auto& v : f.depth) v = rng() & 0x00FFFFFF;
  const auto background = f.depth;
  DotGenerator g(1);
  f.Run(StereogramParams{}, g);
  EXPECT_EQ(f.depth, background);
}

TEST(GuideMarkTest, InitialSettingsUnreversedAndReversed) {
  auto marks = GuideMarkRects(960, 100, 200, false, 4);
  EXPECT_EQ(marks[0], (GuideRect{435, 5, 443, 15}));
  EXPECT_EQ(marks[1], (GuideRect{516, 5, 524, 15}));
  marks = GuideMarkRects(960, 76, 200, true, 4);
  EXPECT_EQ(marks[0], (GuideRect{440, 5, 448, 15}));
  EXPECT_EQ(marks[1], (GuideRect{512, 5, 520, 15}));
}

TEST(GuideMarkTest, CentresAreOneLocalPeriodApart) {
  for (uint32_t w = 1; w <= 480; w += 7) {
    for (uint32_t t = 0; t < 256; t += 15) {
      const auto m = GuideMarkRects(960, w, t, false, 4);
      const uint32_t q = w - ((t * w) >> 8) / 4;
      const int32_t gap = (m[1].left + 4) - (m[0].left + 4);
      ASSERT_GE(gap, static_cast<int32_t>(q) - 1) << "W " << w << " t " << t;
      ASSERT_LE(gap, static_cast<int32_t>(q) + 1) << "W " << w << " t " << t;
      ASSERT_EQ(m[0].right - m[0].left, 8);
      ASSERT_EQ(m[0].bottom - m[0].top, 10);
    }
  }
}

TEST(OutOfRangePeriodTest, ZeroPeriodIsClampedToOneAndOverwritesEveryPixel) {
  for (bool reverse : {false, true}) {
    Frame f(64, 3);
    StereogramParams p;
    p.parallax_width = 0;
    p.reverse = reverse;
    DotGenerator g(1);
    const int pw = reverse;
    EXPECT_EQ(f.Run(p, g), 1u) << "reverse " << reverse;
    for (int32_t r = 0; r < f.height; ++r) {
      for (int32_t x = 1; x < 64; ++x) ASSERT_EQ(f.row(r)[x], f.row(r)[0]) << pw;
      ASSERT_NE(f.row(r)[0], 0xDEADBEEFu);
    }
  }
}

TEST(OutOfRangePeriodTest, NegativeParallaxIsAHugeUnsignedPeriod) {
  StereogramParams p;
  p.parallax_width = -1;
  EXPECT_EQ(StereogramPeriod(p), 0xFFFFFFFFu);
  EXPECT_EQ(FitPeriod(StereogramPeriod(p), 960), 960u);
}

TEST(OutOfRangePeriodTest, PeriodAboveWidthIsClampedToWidth) {
  Frame a(64, 4);
  Frame b(64, 4);
  std::mt19937 rng(5);
  for (size_t i = 0; i < a.size(); ++i) a.depth[i] = b.depth[i] = Grey(rng() % 256);
  StereogramParams p;
  p.parallax_width = 100000;
  StereogramParams q;
  q.parallax_width = 64;
  DotGenerator ga(1);
  DotGenerator gb(1);
  EXPECT_EQ(a.Run(p, ga), 64u);
  b.Run(q, gb);
  EXPECT_EQ(a.out, b.out);
  p.parallax_width = 0x7FFFFFFF;
  p.reverse = true;
  EXPECT_EQ(a.Run(p, ga), 64u) << "no overflow of the reversed period";
}

TEST(OutOfRangePeriodTest, DivisorBelowOneCountsAsOne) {
  StereogramParams p;
  p.depth_divisor = 0;
  p.reverse = true;
  EXPECT_EQ(StereogramPeriod(p), 1u) << "100 - 99 / 1";
  Frame f(kWidth, 1);
  f.FillDepthColumns(0, kWidth, Grey(255));
  p.reverse = false;
  p.depth_divisor = -3;
  DotGenerator g(1);
  f.Run(p, g);
  // Shift of 255 at W 100 and divisor 1 is 99: a local period of 1.
  for (int32_t x = 1; x < kWidth; ++x) ASSERT_EQ(f.row(0)[x], f.row(0)[0]) << x;
  EXPECT_EQ(GuideMarkRects(960, 100, 255, false, 0)[0].left, (960 - 1) / 2 - 4);
}

TEST(OutOfRangePeriodTest, EmptyPictureDrawsNothing) {
  DotGenerator g(1);
  uint32_t px = 0xDEADBEEF;
  EXPECT_EQ(SynthesizeStereogram(0, 10, &px, &px, &px, StereogramParams{}, g), 0u);
  EXPECT_EQ(SynthesizeStereogram(10, 0, &px, &px, &px, StereogramParams{}, g), 0u);
  EXPECT_EQ(px, 0xDEADBEEFu);
  EXPECT_EQ(g.State(), 1u);
}

// Random depth images with runs, slopes and noise, random settings: the production
// code and the plain rendition must agree on the picture, the depth image and the
// generator's state, whatever the output held before.
TEST(ReferenceTest, MatchesPlainRenditionOnRandomImages) {
  std::mt19937 rng(20261207);
  for (int iteration = 0; iteration < 300; ++iteration) {
    const int32_t width = 1 + static_cast<int32_t>(rng() % 400);
    const int32_t height = 1 + static_cast<int32_t>(rng() % 6);
    Frame f(width, height);
    for (size_t i = 0; i < f.size();) {
      const size_t run = 1 + rng() % 40;
      const uint32_t kind = rng() % 4;
      const uint32_t base = rng();
      for (size_t k = 0; k < run && i < f.size(); ++k, ++i) {
        f.depth[i] = kind == 0 ? base : kind == 1 ? Grey((base + k) & 0xFF) : rng();
        f.text[i] = rng() % 3 == 0 ? Grey(rng() & 0xFF) : 0;
      }
    }
    StereogramParams p;
    p.parallax_width = static_cast<int32_t>(rng() % (width + 2)) - (rng() % 10 == 0 ? 5 : 0);
    p.reverse = rng() % 2;
    p.depth_divisor = static_cast<int32_t>(rng() % 7);
    p.dot_mode = rng() % 3;
    const uint32_t seed = rng();

    auto ref_depth = f.depth;
    std::vector<uint32_t> ref_out(f.size(), 0x12345678);
    uint32_t ref_state = seed;
    const uint32_t want_w = reference::Synthesize(width, height, ref_depth.data(), f.text.data(),
                                                  ref_out.data(), p, ref_state);
    DotGenerator g(seed);
    const uint32_t got_w = f.Run(p, g);
    ASSERT_EQ(got_w, want_w) << "iteration " << iteration;
    ASSERT_EQ(f.depth, ref_depth) << "iteration " << iteration;
    ASSERT_EQ(f.out, ref_out) << "iteration " << iteration << " width " << width << " W " << want_w
                              << " reverse " << p.reverse;
    ASSERT_EQ(g.State(), ref_state) << "iteration " << iteration;
  }
}

}  // namespace
