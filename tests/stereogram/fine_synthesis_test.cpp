// The synthesis on a finer grid: at one sub-pixel a pixel it is the board's, and above
// it the wide rows keep the board's rule with as many more depth levels as the
// arithmetic allows, dots keep their size, and the picture is the wide rows' box filter.
#include "stereogram/fine_synthesis.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "tests/stereogram/depth_pictures.h"
#include "tests/stereogram/stereogram_reference.h"

namespace {

// The shifts of a row of 32-bit depth pixels, as the board takes them (the blue byte).
std::vector<uint32_t> ByteShifts(const uint32_t* depth, int32_t width, uint32_t period,
                                 const StereogramParams& p) {
  std::vector<uint32_t> shifts(static_cast<size_t>(width));
  for (int32_t x = 0; x < width; ++x) {
    const uint32_t byte = (depth[x] & 0xFF) ^ (p.reverse ? 0xFFu : 0u);
    shifts[x] = DepthShift(byte << 8, period, static_cast<uint32_t>(p.depth_divisor));
  }
  return shifts;
}

TEST(FineSynthesisTest, OneSubPixelAPixelIsTheBoardsRow) {
  constexpr int32_t kHeight = 6;
  for (size_t k = 0; k < std::size(depth_pictures::kKinds); ++k) {
    for (const uint32_t mode : {1u, 2u}) {
      for (const bool reverse : {false, true}) {
        SCOPED_TRACE(testing::Message()
                     << depth_pictures::kNames[k] << " mode " << mode << " reverse " << reverse);
        const int32_t width = 301;
        const StereogramParams p{100, reverse, 4, mode};
        std::vector<uint32_t> depth(static_cast<size_t>(width) * kHeight), text(depth.size());
        depth_pictures::Make(depth_pictures::kKinds[k], width, kHeight, depth.data(), text.data());
        std::vector<uint32_t> want(depth.size());
        uint32_t state = 2026;
        const uint32_t period =
            reference::Synthesize(width, kHeight, depth.data(), text.data(), want.data(), p, state);
        // The reference left the merged depth image in `depth`.
        DotGenerator generator(2026);
        std::vector<uint32_t> got(depth.size());
        for (int32_t r = 0; r < kHeight; ++r) {
          const std::vector<uint32_t> shifts = ByteShifts(&depth[r * width], width, period, p);
          SynthesizeFineRow({width, 1, period}, shifts.data(), {nullptr, mode == 1, &generator},
                            &got[r * width]);
        }
        EXPECT_EQ(want, got);
        EXPECT_EQ(state, generator.State());
      }
    }
  }
}

// A rising ramp after a flat stretch two periods long, so that every level of the ramp
// is linked (a rise in depth links at once) and the far plane is too.
TEST(FineSynthesisTest, WideRowsKeepTheRuleWithTheLevelsTheArithmeticAllows) {
  const struct {
    uint32_t oversample;
    bool sixteen_bits;
    uint32_t divisor;
    size_t levels;
  } cases[] = {{1, false, 4, 25}, {2, false, 4, 50},  {4, false, 4, 100}, {8, false, 4, 200},
               {8, true, 4, 200}, {8, false, 1, 256}, {8, true, 1, 800}};
  constexpr int32_t kFlat = 200, kRamp = 1024, kWidth = kFlat + kRamp, kPeriod = 100;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "oversample " << c.oversample << (c.sixteen_bits ? ", 16" : ", 8")
                 << "-bit ramp, divisor " << c.divisor);
    const uint32_t n = c.oversample, wide_period = n * kPeriod;
    std::vector<uint32_t> shifts(kWidth, 0);
    for (int32_t x = kFlat; x < kWidth; ++x) {
      const auto step = static_cast<uint32_t>(x - kFlat);
      const uint32_t depth = c.sixteen_bits ? step * 65536 / kRamp : (step * 256 / kRamp) << 8;
      shifts[x] = DepthShift(depth, wide_period, c.divisor);
    }
    DotGenerator generator(7);
    std::vector<uint32_t> wide(kWidth * n);
    SynthesizeFineRow({kWidth, n, wide_period}, shifts.data(), {nullptr, false, &generator},
                      wide.data());

    // The board's rule, written out sub-pixel by sub-pixel with the hold it keeps.
    std::set<uint32_t> local_periods;
    uint32_t hold = shifts[0];
    size_t broken = 0;
    bool previous_fresh = false;
    for (uint32_t x = 0; x < wide.size(); ++x) {
      const uint32_t s = shifts[x / n];
      const bool fresh = hold > s || x < wide_period - s;
      hold = hold > s ? hold - 1 : s;
      if (fresh) {
        // Dots keep their size: the fresh sub-pixels of one pixel share a dot.
        broken += x % n != 0 && previous_fresh && wide[x] != wide[x - 1];
      } else {
        broken += wide[x] != wide[x - (wide_period - s)];
        local_periods.insert(wide_period - s);
      }
      previous_fresh = fresh;
    }
    EXPECT_EQ(broken, 0u);
    EXPECT_EQ(local_periods.size(), c.levels);

    // The picture is the box filter of the wide row, channel by channel.
    std::vector<uint32_t> picture(kWidth);
    AverageSubPixels(wide.data(), kWidth, n, picture.data());
    for (int32_t x = 0; x < kWidth; ++x) {
      uint32_t mean = 0;
      for (int shift = 16; shift >= 0; shift -= 8) {
        uint32_t sum = 0;
        for (uint32_t k = 0; k < n; ++k) sum += (wide[x * n + k] >> shift) & 0xFF;
        mean |= (sum + n / 2) / n << shift;
      }
      ASSERT_EQ(picture[x], mean) << "pixel " << x;
    }
  }
}

}  // namespace
