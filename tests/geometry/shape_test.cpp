#include "geometry/shape.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// "x, y, w" to three decimals, so that a position compares in one line.
std::string Rounded(const C2DPos& p) {
  char text[64];
  const auto r = [](float v) { return std::round(v * 1000.0f) / 1000.0f + 0.0f; };
  std::snprintf(text, sizeof text, "%g, %g, %g", r(p.X()), r(p.Y()), p.Get(0, 2));
  return text;
}

TEST(ShapeTest, AChainAddsPositionsAndAnglesDownToTheShape) {
  // An arm: the shoulder at (100, 50) turned a quarter, the elbow 10 along it, the hand
  // 5 further along the elbow's own quarter turn.
  C2DObject shoulder(C2DPos(100, 50), 0.0f, kPi / 2);
  C2DObject elbow;
  ASSERT_TRUE(elbow.Place(&shoulder, C2DPos(10, 0)));
  elbow.SetTurnAngle(kPi / 2);
  C2DObject hand;
  ASSERT_TRUE(hand.Place(&elbow, C2DPos(5, 0)));
  float angle = 0.0f;
  EXPECT_EQ("95, 60, 1", Rounded(hand.AbsolutePosition(nullptr, angle)));
  EXPECT_NEAR(kPi, angle, 1e-5f);
  angle = 0.0f;
  EXPECT_EQ("10, 5, 1", Rounded(hand.AbsolutePosition(&shoulder, angle)))
      << "relative to the shoulder, which adds neither its place nor its turn";
  C2DObject finger;
  ASSERT_TRUE(finger.Place(&hand, C2DPos(2, 0), kPi / 6));
  angle = 0.0f;
  EXPECT_EQ("1.732, 1, 1", Rounded(finger.AbsolutePosition(&hand, angle)))
      << "under the stop shape the offset turns by the placement angle alone";
}

TEST(ShapeTest, LinksThatWouldMakeALoopAreRefusedAndDestructionUnlinks) {
  C2DObject a, b, c;
  ASSERT_TRUE(b.SetParent(&a));
  ASSERT_TRUE(c.SetParent(&b));
  EXPECT_FALSE(a.SetParent(&c)) << "a below its own grandchild";
  EXPECT_FALSE(a.SetParent(&a));
  EXPECT_FALSE(b.Place(&c, C2DPos(9, 9), 1.0f));
  EXPECT_EQ(&a, b.GetParent()) << "a refused Place keeps the old parent";
  EXPECT_TRUE(C2DPos() == b.GetOffset()) << "and the old offset";
  {
    C2DObject middle(C2DPos(10, 0));
    ASSERT_TRUE(middle.SetParent(&a));
    ASSERT_TRUE(c.SetParent(&middle));
    EXPECT_EQ((std::vector<C2DObject*>{&b, &middle}), a.GetChildren());
  }
  EXPECT_EQ(nullptr, c.GetParent()) << "the child of a destroyed shape becomes a root";
  EXPECT_EQ(std::vector<C2DObject*>{&b}, a.GetChildren());
}

}  // namespace
