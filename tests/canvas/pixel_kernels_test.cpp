#include "canvas/pixel_kernels.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using kernels::Region;

TEST(PixelKernelsTest, RectanglesBecomeBottomUpRegionsClippedIntoTheBuffer) {
  // Picture lines 10 to 19 of a 100-line buffer are buffer rows 80 to 89.
  EXPECT_EQ((Region{5, 80, 15, 90}), kernels::RegionFromRect(5, 10, 15, 20, 960, 100));
  EXPECT_EQ((Region{0, 0, 960, 320}), kernels::RegionFromRect(-50, -50, 5000, 5000, 960, 320));
  EXPECT_TRUE(kernels::RegionFromRect(20, 0, 10, 320, 960, 320).empty()) << "inverted";
  EXPECT_TRUE(kernels::RegionFromRect(0, 400, 960, 500, 960, 320).empty()) << "below";
  EXPECT_TRUE(
      kernels::RegionFromRect(INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, 960, 320).empty());
}

}  // namespace
