// A pattern picture scaled to one period: each pixel the mean of what it covers, larger
// or smaller, and its rows repeating down the frame.
#include "render/pattern.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PatternTest, ScalesToOnePeriodKeepingItsShape) {
  // 16 x 8: white on the left half, black on the right; the top line red.
  std::vector<uint8_t> rgb(16 * 8 * 3, 0);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 16; ++x) {
      uint8_t* p = &rgb[(y * 16 + x) * 3];
      if (y == 0) {
        p[0] = 255;
      } else if (x < 8) {
        p[0] = p[1] = p[2] = 255;
      }
    }
  }
  const RgbView picture{16, 8, rgb.data()};
  const struct {
    uint32_t period;
    uint32_t left, middle;  // the first pixel of a middle row, and the one half way along
    int32_t rows;
  } cases[] = {{8, 0xFFFFFF, 0, 4}, {32, 0xFFFFFF, 0, 16}, {5, 0xFFFFFF, 0x808080, 3}};
  for (const auto& c : cases) {
    const Pattern pattern(picture, c.period, 100);
    const uint32_t* row = pattern.Row(c.rows / 2);
    EXPECT_EQ(row[0], c.left) << "period " << c.period;
    EXPECT_EQ(row[c.period / 2], c.middle) << "period " << c.period;
    EXPECT_EQ(row[c.period - 1], 0u) << "period " << c.period;
    // The red line keeps to the top: the height is in proportion.
    EXPECT_EQ(pattern.Row(c.rows)[0] >> 16, 0xFFu) << "period " << c.period;
    EXPECT_NE(pattern.Row(c.rows - 1)[0], pattern.Row(c.rows)[0]) << "period " << c.period;
    EXPECT_FALSE(pattern.grey());
  }
}

}  // namespace
