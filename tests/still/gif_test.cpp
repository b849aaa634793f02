// The animation as a GIF: decoded by the library that wrote it, every frame is the
// still of that frame (its colours quantized), with the delay and the loop asked for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "still/animation.h"
#include "still/still_options.h"
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

TEST(GifTest, ProgressShowsWhileMoreThanASecondRemains) {
  ProgressLine progress;
  // 10 frames at 300 ms each: 2.7 s left after the first, 0.9 s after the seventh.
  EXPECT_EQ(progress.Update(1, 10, 300), "\rparallux-still: frame 1 of 10, about 3 s left");
  EXPECT_EQ(progress.Update(6, 10, 1800), "\rparallux-still: frame 6 of 10, about 2 s left");
  EXPECT_EQ(progress.Update(7, 10, 2100), "\r" + std::string(45, ' ') + "\r");
  EXPECT_EQ(progress.Update(8, 10, 2400) + progress.Clear(), "");
}

TEST(GifTest, RefusesOptionsThatDoNotGoTogether) {
  for (const std::vector<const char*>& args :
       std::vector<std::vector<const char*>>{{"--reveal", "a.png", "b.png", "--seed", "1"},
                                             {"--reveal", "a.png", "b.png", "--frames", "2"},
                                             {"a.png", "b.png", "--depth-divisor", "4"},
                                             {"a.png", "b.gif", "--fps", "10"},
                                             {"a.png", "b.gif", "--frames", "1001"},
                                             {"a.png", "b.gif", "--frames", "2", "--fps", "51"}}) {
    EXPECT_EQ(ParseStillCommand(args).kind, StillCommand::Kind::kError)
        << args[2] << " " << args[3];
  }
}

}  // namespace
