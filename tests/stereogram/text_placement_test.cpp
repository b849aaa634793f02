#include "stereogram/text_placement.h"

#include <gtest/gtest.h>

namespace {

// A 960 x 320 picture and a text of 2618 x 200, the board's default.
TEST(TextPlacementTest, TextScrollsAPixelPer10MsAndRestartsOnceItHasLeft) {
  EXPECT_EQ(PlaceText(0, 960, 320, 2618, 200).x, 960);
  EXPECT_EQ(PlaceText(19, 960, 320, 2618, 200).x, 959);  // whole steps only
  const TextPlacement middle = PlaceText(66 * 45, 960, 320, 2618, 200);
  EXPECT_EQ(middle.clock, 66u * 45);
  EXPECT_EQ(middle.x, 960 - 297);
  EXPECT_EQ(middle.y, 60);
  // Its right end at column 0 is still in; one step further it starts again at the edge.
  EXPECT_EQ(PlaceText(35780, 960, 320, 2618, 200).x, -2618);
  const TextPlacement again = PlaceText(35790, 960, 320, 2618, 200);
  EXPECT_EQ(again.clock, 0u);
  EXPECT_EQ(again.x, 960);
  // A clock long past the end (a frame after a long pause) restarts too.
  EXPECT_EQ(PlaceText(0xFFFFFFF0u, 960, 320, 2618, 200).x, 960);
}

}  // namespace
