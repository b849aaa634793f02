#include "geometry/shape_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using shape_math::kCoordinateLimit;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Converting these to int directly is undefined; the sanitizer build would stop.
TEST(ShapeMathTest, PixelsRoundHalfUpAndFloatsBeyondGdiStandAtItsLimit) {
  const struct {
    float value;
    std::int32_t truncated, rounded;
  } cases[] = {{2.5f, 2, 3},
               {-0.7f, 0, 0},
               {-1.6f, -1, -1},
               {-4e6f, -4000000, -3999999},
               {3e9f, kCoordinateLimit, kCoordinateLimit},
               {-1e30f, -kCoordinateLimit, -kCoordinateLimit},
               {std::numeric_limits<float>::infinity(), kCoordinateLimit, kCoordinateLimit},
               {kNaN, 0, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.truncated, shape_math::TruncateToPixel(c.value)) << c.value;
    EXPECT_EQ(c.rounded, shape_math::RoundToPixel(c.value)) << c.value;
  }
  EXPECT_TRUE((shape_math::PixelBox{-2, -2, 3, 3}) == shape_math::EllipseBounds(C2DPos(0, 0), 5, 5))
      << "-2.5 truncates toward zero, the size follows from there";
}

TEST(ShapeMathTest, TheWholeEllipseIsHitIncludingItsBoundary) {
  const float c = 5 * std::cos(0.7f), s = 3 * std::sin(0.7f);
  const struct {
    float width, height, x, y;
    bool hit;
  } cases[] = {
      {10, 6, 53, 51.5f, true},  // off the width's segment
      {10, 6, 55, 50, true},
      {10, 6, 50 + c, 50 + s, true},
      {10, 6, 55.01f, 50, false},
      {10, 6, 54, 52.5f, false},
      {10, 6, 50 + c * 1.002f, 50 + s * 1.004f, false},
      {-10, -6, 53, 51.5f, true},  // negative sizes are sizes
      {10, 6, kNaN, 50, false},
      {kNaN, 6, 50, 50, false},
      {0, 6, 50, 53, true},
      {0, 6, 50.5f, 50, false},
      {0, 0, 50, 50, true},
      {0, 0, 50, 50.001f, false},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(k.hit, shape_math::EllipseContains(C2DPos(50, 50), k.width, k.height, k.x, k.y))
        << k.width << " x " << k.height << " at (" << k.x << ", " << k.y << ")";
  }
}

}  // namespace
