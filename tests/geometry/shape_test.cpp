#include "geometry/shape.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kTolerance = 1e-4f;

std::string Describe(const C2DPos& p) {
  std::ostringstream out;
  out << "(" << p.X() << ", " << p.Y() << ", " << p.Get(0, 2) << ")";
  return out.str();
}

::testing::AssertionResult Near(const C2DPos& actual, float x, float y) {
  if (std::fabs(actual.X() - x) <= kTolerance && std::fabs(actual.Y() - y) <= kTolerance &&
      actual.Get(0, 2) == 1.0f) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "expected (" << x << ", " << y << ", 1), got " << Describe(actual);
}

TEST(ShapeTest, ARootStandsAtItsOffsetTurnedByItsPlacement) {
  C2DObject root(C2DPos(3, 4), kPi / 2, 0.25f);
  float angle = 0.0f;
  EXPECT_TRUE(Near(root.AbsolutePosition(nullptr, angle), -4, 3));
  EXPECT_NEAR(kPi / 2 + 0.25f, angle, kTolerance) << "placement plus turn";
  EXPECT_TRUE(Near(root.AbsolutePosition(), -4, 3)) << "the plain form";
}

TEST(ShapeTest, AChainAddsPositionsAndAnglesDownToTheShape) {
  // An arm: the shoulder at (100, 50) turned a quarter, the elbow 10 along it, the hand
  // 5 further along the elbow's own turn.
  C2DObject shoulder(C2DPos(100, 50), 0.0f, kPi / 2);
  C2DObject elbow;
  ASSERT_TRUE(elbow.Place(&shoulder, C2DPos(10, 0)));
  elbow.SetTurnAngle(kPi / 2);
  C2DObject hand;
  ASSERT_TRUE(hand.Place(&elbow, C2DPos(5, 0)));

  EXPECT_TRUE(Near(elbow.AbsolutePosition(), 100, 60)) << "(10, 0) turned a quarter from (100, 50)";
  float angle = 0.0f;
  EXPECT_TRUE(Near(hand.AbsolutePosition(nullptr, angle), 95, 60)) << "(5, 0) turned a half";
  EXPECT_NEAR(kPi, angle, kTolerance);

  angle = 0.0f;
  EXPECT_TRUE(Near(hand.AbsolutePosition(&shoulder, angle), 10, 5))
      << "relative to the shoulder, which adds neither its place nor its turn";
  EXPECT_NEAR(kPi / 2, angle, kTolerance) << "only the elbow's turn";

  angle = 0.5f;
  EXPECT_TRUE(Near(hand.AbsolutePosition(&hand, angle), 0, 0)) << "a shape relative to itself";
  EXPECT_EQ(0.5f, angle) << "the accumulator is left alone";

  C2DObject stranger;
  angle = 0.0f;
  EXPECT_TRUE(Near(hand.AbsolutePosition(&stranger, angle), 95, 60))
      << "a stop shape off the chain stops nothing";
}

TEST(ShapeTest, UnderTheStopShapeTheOffsetTurnsByThePlacementAngle) {
  C2DObject stop(C2DPos(7, 7), 0.3f, 0.4f);
  C2DObject shape;
  ASSERT_TRUE(shape.Place(&stop, C2DPos(2, 0), kPi / 6));
  shape.SetTurnAngle(0.1f);
  float angle = 0.0f;
  EXPECT_TRUE(
      Near(shape.AbsolutePosition(&stop, angle), 2 * std::cos(kPi / 6), 2 * std::sin(kPi / 6)));
  EXPECT_NEAR(kPi / 6 + 0.1f, angle, kTolerance);
}

TEST(ShapeTest, LinksThatWouldMakeALoopAreRefused) {
  C2DObject a, b, c;
  ASSERT_TRUE(b.SetParent(&a));
  ASSERT_TRUE(c.SetParent(&b));
  EXPECT_FALSE(a.SetParent(&c)) << "a below its own grandchild";
  EXPECT_FALSE(a.SetParent(&a)) << "a under itself";
  EXPECT_EQ(nullptr, a.GetParent());
  EXPECT_FALSE(b.Place(&c, C2DPos(9, 9), 1.0f));
  EXPECT_EQ(&a, b.GetParent()) << "a refused Place keeps the old parent";
  EXPECT_TRUE(Near(b.GetOffset(), 0, 0)) << "and the old offset";
  EXPECT_EQ(0.0f, b.GetPlacementAngle());

  EXPECT_TRUE(c.SetParent(&a)) << "moving sideways is no loop";
  EXPECT_EQ((std::vector<C2DObject*>{&b, &c}), a.GetChildren());
  EXPECT_TRUE(b.GetChildren().empty()) << "c left its old parent's list";
  EXPECT_TRUE(c.SetParent(nullptr));
  EXPECT_EQ((std::vector<C2DObject*>{&b}), a.GetChildren());
}

TEST(ShapeTest, DestroyingAShapeUnlinksItFromParentAndChildren) {
  C2DObject root(C2DPos(100, 0));
  C2DObject child(C2DPos(1, 2));
  {
    C2DObject middle(C2DPos(10, 0));
    ASSERT_TRUE(middle.SetParent(&root));
    ASSERT_TRUE(child.SetParent(&middle));
    EXPECT_TRUE(Near(child.AbsolutePosition(), 111, 2));
  }
  EXPECT_EQ(nullptr, child.GetParent()) << "the child of a destroyed shape becomes a root";
  EXPECT_TRUE(Near(child.AbsolutePosition(), 1, 2));
  EXPECT_TRUE(root.GetChildren().empty()) << "the destroyed shape left its parent's list";
}

}  // namespace
