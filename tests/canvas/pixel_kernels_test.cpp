#include "canvas/pixel_kernels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using kernels::Region;
using Pixels = std::vector<std::uint32_t>;

// One pixel of each kind through the blends: 60 % keeps 60 % of the picture (red 153,
// blue 102 of blue over red), a percentage over 100 counts as 100, additions saturate,
// and the key colour is never applied. The composition tests show the other kernels.
TEST(PixelKernelsTest, BlendsMixByThePercentageAddSaturatingAndSkipTheKey) {
  constexpr std::uint32_t kKey = 0x00FF00FF;
  const Pixels layer = {0x000000FF, kKey, 0x00C8640A};
  const Region row{0, 0, 3, 1};
  const struct {
    std::uint32_t transparency;
    Pixels expected;
  } alphas[] = {{60, {0x00990066, 0x00010203, 0x008C649A}},
                {100, {0x00FF0000, 0x00010203, 0x006464FA}},
                {0xFFFFFFFF, {0x00FF0000, 0x00010203, 0x006464FA}}};
  for (const auto& a : alphas) {
    Pixels picture = {0x00FF0000, 0x00010203, 0x006464FA};
    kernels::AlphaBlend(layer.data(), picture.data(), 3, row, kKey, a.transparency);
    EXPECT_EQ(a.expected, picture) << "transparency " << a.transparency;
  }
  Pixels picture = {0x00FF0000, 0x00010203, 0x006464FA};
  kernels::AddSaturate(layer.data(), picture.data(), 3, row, kKey);
  EXPECT_EQ((Pixels{0x00FF00FF, 0x00010203, 0x00FFC8FF}), picture);
}

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
