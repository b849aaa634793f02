#include "canvas/pixel_kernels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using kernels::Region;

std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return r << 16 | g << 8 | b;
}

TEST(PixelKernelsTest, ColorValuesBecomePixelsWithRedAndBlueSwapped) {
  EXPECT_EQ(0x00FF00FFu, kernels::PixelFromColor(0x00FF00FF)) << "magenta is symmetric";
  EXPECT_EQ(0x00112233u, kernels::PixelFromColor(0x00332211));
  EXPECT_EQ(0x00FF0000u, kernels::PixelFromColor(0x000000FF)) << "GDI red (red in the low byte)";
  EXPECT_EQ(0x00000000u, kernels::PixelFromColor(0xFF000000));
}

TEST(PixelKernelsTest, AlphaBlendMixesByThePercentageAndLeavesTheKeyAlone) {
  const std::uint32_t key = 0;
  std::vector<std::uint32_t> layer = {0x000000FF, key, Rgb(200, 100, 10), 0x000000FF};
  std::vector<std::uint32_t> picture = {0x00FF0000, Rgb(1, 2, 3), Rgb(100, 100, 250), 0x00FF0000};
  const Region all{0, 0, 4, 1};
  kernels::AlphaBlend(layer.data(), picture.data(), 4, all, key, 60);
  EXPECT_EQ(0x00990066u, picture[0]) << "blue over red at 60: red 153, green 0, blue 102";
  EXPECT_EQ(Rgb(1, 2, 3), picture[1]) << "a key pixel is never blended";
  // (200*40 + 100*60)/100 = 140, (100*40+100*60)/100 = 100, (10*40+250*60)/100 = 154.
  EXPECT_EQ(Rgb(140, 100, 154), picture[2]);

  std::vector<std::uint32_t> opaque = {0x00FF0000};
  kernels::AlphaBlend(layer.data(), opaque.data(), 1, Region{0, 0, 1, 1}, key, 0);
  EXPECT_EQ(0x000000FFu, opaque[0]) << "transparency 0 replaces the picture";
  for (std::uint32_t above : {100u, 101u, 0xFFFFFFFFu}) {
    std::vector<std::uint32_t> kept = {0x00FF0000};
    kernels::AlphaBlend(layer.data(), kept.data(), 1, Region{0, 0, 1, 1}, key, above);
    EXPECT_EQ(0x00FF0000u, kept[0]) << "transparency " << above << " keeps the picture";
  }
}

TEST(PixelKernelsTest, AdditiveSaturatesEachChannel) {
  std::vector<std::uint32_t> layer = {Rgb(200, 100, 10), 0x00FF00FF};
  std::vector<std::uint32_t> picture = {Rgb(100, 100, 250), Rgb(7, 8, 9)};
  kernels::AddSaturate(layer.data(), picture.data(), 2, Region{0, 0, 2, 1}, 0x00FF00FF);
  EXPECT_EQ(Rgb(255, 200, 255), picture[0]);
  EXPECT_EQ(Rgb(7, 8, 9), picture[1]) << "the key colour is never added";
}

TEST(PixelKernelsTest, KeyCopyAndStencilPassOnlyNonKeyPixels) {
  const std::uint32_t key = 0x00FF00FF;
  std::vector<std::uint32_t> layer = {key, 0, Rgb(9, 9, 9), key};
  std::vector<std::uint32_t> picture = {1, 2, 3, 4};
  kernels::KeyCopy(layer.data(), picture.data(), 4, key);
  EXPECT_EQ((std::vector<std::uint32_t>{1, 0, Rgb(9, 9, 9), 4}), picture);

  std::vector<std::uint32_t> source = {10, 20, 30, 40};
  std::vector<std::uint32_t> stencilled = {1, 2, 3, 4};
  kernels::Stencil(layer.data(), source.data(), stencilled.data(), 4, key);
  EXPECT_EQ((std::vector<std::uint32_t>{1, 20, 30, 4}), stencilled);
}

TEST(PixelKernelsTest, SourceRectanglesMapToBottomUpRowsWithGdiEdges) {
  // The whole canvas is every pixel.
  EXPECT_EQ((Region{0, 0, 960, 320}), kernels::RegionFromRect(0, 0, 960, 320, 960, 320));
  // Picture lines 10 to 19 of a 100-line buffer are buffer rows 80 to 89.
  EXPECT_EQ((Region{5, 80, 15, 90}), kernels::RegionFromRect(5, 10, 15, 20, 960, 100));
  // Clipped into the buffer; an inverted or outside rectangle is empty.
  EXPECT_EQ((Region{0, 0, 960, 320}), kernels::RegionFromRect(-50, -50, 5000, 5000, 960, 320));
  EXPECT_TRUE(kernels::RegionFromRect(20, 0, 10, 320, 960, 320).empty());
  EXPECT_TRUE(kernels::RegionFromRect(0, 400, 960, 500, 960, 320).empty());
  EXPECT_TRUE(
      kernels::RegionFromRect(INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, 960, 320).empty());

  // A blend touches exactly the region.
  const int w = 4;
  const int h = 3;
  std::vector<std::uint32_t> layer(w * h, Rgb(0, 0, 200));
  std::vector<std::uint32_t> picture(w * h, 0);
  // Picture line 0 (the top) columns 1 and 2: buffer row 2.
  kernels::AddSaturate(layer.data(), picture.data(), w, kernels::RegionFromRect(1, 0, 3, 1, w, h),
                       0x00FF00FF);
  for (int row = 0; row < h; ++row) {
    for (int x = 0; x < w; ++x) {
      const bool inside = row == 2 && (x == 1 || x == 2);
      EXPECT_EQ(inside ? 200u : 0u, picture[row * w + x]) << "row " << row << " column " << x;
    }
  }
}

}  // namespace
