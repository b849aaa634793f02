// The animation as a GIF: decoded by the library that wrote it, every frame is the
// still of that frame (its colours quantized), with the delay and the loop asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "still/animation.h"
#include "tests/still/gif_decode.h"

namespace {

TEST(GifTest, FramesDecodeToTheStillsOfTheirFrames) {
  constexpr int32_t kW = 120;
  constexpr int32_t kH = 40;
  std::vector<uint8_t> depth(static_cast<size_t>(kW) * kH * 3, 0);
  for (int32_t y = 10; y < 30; ++y)
    std::fill_n(&depth[(static_cast<size_t>(y) * kW + 40) * 3], 150, 200);
  for (const uint32_t dot_mode : {1u, 2u}) {
    Animation animation{{StereogramParams{30, false, 4, dot_mode, 200}, true, 99, 2}, 4, 15, {}};
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(EncodeAnimation({kW, kH, depth.data()}, animation, &bytes, &error)) << error;
    const DecodedGif gif = DecodeGif(bytes);
    ASSERT_EQ(gif.frames.size(), 4u) << "dot mode " << dot_mode;
    EXPECT_EQ(gif.width * 1000 + gif.height, kW * 1000 + kH);
    const std::string loop("NETSCAPE2.0\x03\x01\x00\x00\x00", 16);
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), loop.begin(), loop.end()), bytes.end())
        << "no loop";

    for (size_t k = 0; k < gif.frames.size(); ++k) {
      EXPECT_EQ(gif.delays[k], 7u) << "frame " << k << ": 15 frames a second are 7/100 s each";
      std::vector<uint8_t> still = depth;
      StillFrame frame = animation.first;
      frame.frame = 2 + k;
      RenderStill({kW, kH, still.data()}, frame);
      size_t wrong = 0;
      for (size_t i = 0; i < gif.frames[k].size(); ++i) {
        const uint32_t made = PackPixel(still[i * 3], still[i * 3 + 1], still[i * 3 + 2]);
        const uint32_t got = gif.frames[k][i];
        // Colour: the fixed quantization, and no further from the dot than it promises.
        const auto off = [&](int c) {
          return std::abs(int((got >> c) & 0xFF) - int((made >> c) & 0xFF));
        };
        wrong += dot_mode == 1 ? got != made
                               : got != ColourPalette()[ColourIndex(made)] || off(16) > 18 ||
                                     off(8) > 18 || off(0) > 42;
      }
      EXPECT_EQ(wrong, 0u) << "dot mode " << dot_mode << ", frame " << k;
    }
  }
}

}  // namespace
