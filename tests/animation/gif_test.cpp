// The animation as a GIF: decoded, every frame is the still of that frame (its colours
// quantized), with the delay and the loop asked for. stb's decoder reads it, apart from
// both writers (giflib natively, the Windows Imaging Component on Windows); its functions
// are this file's own, the program's stb holds no GIF reader.
#include <gtest/gtest.h>
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_GIF
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "still/animation.h"

namespace {

TEST(GifTest, FramesDecodeToTheStillsOfTheirFrames) {
  constexpr int32_t kW = 120, kH = 40;
  std::vector<uint8_t> depth(static_cast<size_t>(kW) * kH * 3, 0);
  for (int32_t y = 10; y < 30; ++y)
    std::fill_n(&depth[(static_cast<size_t>(y) * kW + 40) * 3], 150, 200);
  for (const uint32_t dot_mode : {1u, 2u}) {
    Animation animation{{StereogramParams{30, false, 4, dot_mode, 200}, true, 99, 2}, 4, 15, {}};
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(EncodeAnimation({kW, kH, depth.data()}, animation, &bytes, &error)) << error;
    int* delays = nullptr;
    int w = 0, h = 0, frames = 0, channels = 0;
    const std::unique_ptr<stbi_uc[], decltype(&stbi_image_free)> decoded(
        stbi_load_gif_from_memory(bytes.data(), static_cast<int>(bytes.size()), &delays, &w, &h,
                                  &frames, &channels, 3),
        stbi_image_free);
    const std::unique_ptr<int[], decltype(&stbi_image_free)> delay_ms(delays, stbi_image_free);
    ASSERT_NE(decoded, nullptr) << stbi_failure_reason();
    ASSERT_EQ(frames, 4) << "dot mode " << dot_mode;
    EXPECT_EQ(w * 1000 + h, kW * 1000 + kH);
    const std::string loop("NETSCAPE2.0\x03\x01\x00\x00\x00", 16);
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), loop.begin(), loop.end()), bytes.end())
        << "no loop";

    for (int k = 0; k < frames; ++k) {
      EXPECT_EQ(delay_ms[k], 70) << "frame " << k << ": 15 frames a second are 7/100 s each";
      std::vector<uint8_t> still = depth;
      StillFrame frame = animation.first;
      frame.frame = 2 + k;
      RenderStill({kW, kH, still.data()}, frame);
      size_t wrong = 0;
      for (size_t i = 0; i < still.size() / 3; ++i) {
        const uint32_t made = PackPixel(still[i * 3], still[i * 3 + 1], still[i * 3 + 2]);
        const uint8_t* got = &decoded[(k * still.size()) + i * 3];
        // Colour dots through the fixed quantization, grey ones as they are.
        wrong += PackPixel(got[0], got[1], got[2]) !=
                 (dot_mode == 1 ? made : ColourPalette()[ColourIndex(made)]);
      }
      EXPECT_EQ(wrong, 0u) << "dot mode " << dot_mode << ", frame " << k;
    }
  }
}

}  // namespace
