#include "geometry/shape_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <ostream>
#include <vector>

namespace shape_math {
// Failure messages print pixels as numbers, not as bytes.
void PrintTo(const PixelPoint& p, std::ostream* out) { *out << "(" << p.x << ", " << p.y << ")"; }
void PrintTo(const PixelBox& b, std::ostream* out) {
  *out << "(" << b.left << ", " << b.top << ", " << b.right << ", " << b.bottom << ")";
}
}  // namespace shape_math

namespace {

using shape_math::EllipseBounds;
using shape_math::EllipseContains;
using shape_math::PixelBox;
using shape_math::PixelPoint;

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

CITable<C2DPos> Table(std::initializer_list<C2DPos> points) {
  CITable<C2DPos> table;
  for (const C2DPos& p : points) table.Add(p);
  return table;
}

std::vector<PixelPoint> Pixels(const CITable<C2DPos>& table) {
  std::vector<PixelPoint> out;
  for (const C2DPos& p : table) out.push_back(shape_math::ToPixel(p));
  return out;
}

TEST(ShapeMathTest, PositionsBecomePixelsHalfUpThenTowardZero) {
  EXPECT_EQ(3, shape_math::RoundToPixel(2.5f));
  EXPECT_EQ(2, shape_math::RoundToPixel(2.49f));
  EXPECT_EQ(0, shape_math::RoundToPixel(-0.7f)) << "-0.2 truncates to 0";
  EXPECT_EQ(-1, shape_math::RoundToPixel(-1.6f)) << "-1.1 truncates to -1";
  EXPECT_EQ((PixelPoint{10, -3}), shape_math::ToPixel(C2DPos(9.5f, -3.6f)));
}

TEST(ShapeMathTest, PixelsBeyondGdiCoordinatesStandAtTheLimitAndNaNAtZero) {
  // Converting these to int directly is undefined; the sanitizer build would stop here.
  EXPECT_EQ(shape_math::kCoordinateLimit, shape_math::TruncateToPixel(1e30f));
  EXPECT_EQ(-shape_math::kCoordinateLimit, shape_math::TruncateToPixel(-1e30f));
  EXPECT_EQ(shape_math::kCoordinateLimit, shape_math::TruncateToPixel(kInfinity));
  EXPECT_EQ(0, shape_math::TruncateToPixel(kNaN));
  EXPECT_EQ(shape_math::kCoordinateLimit, shape_math::RoundToPixel(3e9f));
  EXPECT_EQ(-4000000, shape_math::TruncateToPixel(-4e6f)) << "within the limit, unchanged";
}

TEST(ShapeMathTest, TransformMovesTurnsAboutTheOriginAndLeavesWAtOne) {
  CITable<C2DPos> moved = Table({{1, 0}, {0, 0}, {-2, 3}});
  shape_math::TransformPoints(moved, C2DPos(0, 0), 0.0f, C2DPos(10, 20));
  EXPECT_EQ((std::vector<PixelPoint>{{11, 20}, {10, 20}, {8, 23}}), Pixels(moved));

  CITable<C2DPos> turned = Table({{1, 0}, {0, 0}, {0, 2}});
  shape_math::TransformPoints(turned, C2DPos(0, 0), kPi / 2, C2DPos(10, 20));
  EXPECT_EQ((std::vector<PixelPoint>{{10, 21}, {10, 20}, {8, 20}}), Pixels(turned))
      << "a quarter turn takes +x to +y, then the shift";

  // About the origin (5, 5): the origin stays, (6, 5) goes to (5, 6), before the shift.
  CITable<C2DPos> pivoted = Table({{5, 5}, {6, 5}, {5, 7}});
  shape_math::TransformPoints(pivoted, C2DPos(5, 5), kPi / 2, C2DPos(100, 0));
  EXPECT_EQ((std::vector<PixelPoint>{{105, 5}, {105, 6}, {103, 5}}), Pixels(pivoted));
  for (const C2DPos& p : pivoted) EXPECT_EQ(1.0f, p.Get(0, 2)) << "w of every transformed point";

  CITable<C2DPos> half = Table({{3, 4}});
  shape_math::TransformPoints(half, C2DPos(1, 1), kPi, C2DPos(0, 0));
  EXPECT_NEAR(-1.0f, half.Item(0).X(), 1e-5f);
  EXPECT_NEAR(-2.0f, half.Item(0).Y(), 1e-5f);
}

TEST(ShapeMathTest, EllipseBoundsTruncateTheEdgesAndAddTheTruncatedSize) {
  EXPECT_EQ((PixelBox{45, 47, 55, 53}), EllipseBounds(C2DPos(50, 50), 10, 6));
  EXPECT_EQ((PixelBox{7, 7, 10, 10}), EllipseBounds(C2DPos(9, 9), 3.9f, 3.9f))
      << "9 - 1.95 truncates to 7; 3.9 adds 3";
  EXPECT_EQ((PixelBox{-2, -2, 3, 3}), EllipseBounds(C2DPos(0, 0), 5, 5))
      << "-2.5 truncates toward zero, the size follows from there";
}

TEST(ShapeMathTest, TheEllipseIsHitInsideAndOnItsBoundary) {
  const C2DPos centre(50, 50);
  EXPECT_TRUE(EllipseContains(centre, 10, 6, 50, 50)) << "centre";
  EXPECT_TRUE(EllipseContains(centre, 10, 6, 50, 52)) << "inside, off the width's segment";
  EXPECT_TRUE(EllipseContains(centre, 10, 6, 53, 51.5f)) << "(0.6)^2 + (0.5)^2 = 0.61";
  EXPECT_TRUE(EllipseContains(centre, 10, 6, 55, 50)) << "right end of the width";
  EXPECT_TRUE(EllipseContains(centre, 10, 6, 50, 47)) << "top end of the height";
  const float t = 0.7f;
  EXPECT_TRUE(EllipseContains(centre, 10, 6, 50 + 5 * std::cos(t), 50 + 3 * std::sin(t)))
      << "a boundary point computed in floats";

  EXPECT_FALSE(EllipseContains(centre, 10, 6, 55.01f, 50)) << "just right of the boundary";
  EXPECT_FALSE(EllipseContains(centre, 10, 6, 50, 53.01f)) << "just below it";
  EXPECT_FALSE(EllipseContains(centre, 10, 6, 54, 52.5f)) << "inside the box, outside the corner";
  EXPECT_FALSE(EllipseContains(centre, 10, 6, 50 + 5.01f * std::cos(t), 50 + 3.01f * std::sin(t)));

  EXPECT_TRUE(EllipseContains(centre, -10, -6, 53, 51.5f)) << "negative sizes are sizes";
  EXPECT_FALSE(EllipseContains(centre, 10, 6, kNaN, 50));
  EXPECT_FALSE(EllipseContains(centre, kNaN, 6, 50, 50));
}

TEST(ShapeMathTest, AnEllipseWithoutWidthOrHeightIsItsSegment) {
  const C2DPos centre(0, 0);
  EXPECT_TRUE(EllipseContains(centre, 0, 6, 0, 3));
  EXPECT_FALSE(EllipseContains(centre, 0, 6, 0, 3.5f));
  EXPECT_FALSE(EllipseContains(centre, 0, 6, 0.5f, 0));
  EXPECT_TRUE(EllipseContains(centre, 10, 0, -5, 0));
  EXPECT_FALSE(EllipseContains(centre, 10, 0, 0, 0.1f));
  EXPECT_TRUE(EllipseContains(centre, 0, 0, 0, 0)) << "a point hits itself";
  EXPECT_FALSE(EllipseContains(centre, 0, 0, 0, 0.001f));
}

}  // namespace
