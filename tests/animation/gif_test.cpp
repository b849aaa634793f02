// The animated GIF: decoded, every frame is the picture it was given (colours through
// the fixed palette), with the delay and the loop asked for. stb's decoder reads it,
// apart from both writers (giflib natively, the Windows Imaging Component on Windows);
// its functions are this file's own, the program's stb holds no GIF reader.
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
#include <random>
#include <string>
#include <vector>

#include "animation/palette.h"

namespace {

TEST(GifTest, FramesDecodeToThePicturesGiven) {
  constexpr int32_t kW = 120, kH = 40, kFrames = 4;
  std::mt19937 rng(2026);
  for (const bool grey : {true, false}) {
    // Random dots, and a stretch of one dot repeated, as a stereogram has.
    std::vector<std::vector<uint8_t>> pictures(kFrames, std::vector<uint8_t>(kW * kH * 3));
    for (auto& picture : pictures) {
      for (size_t i = 0; i < picture.size(); i += 3) {
        const uint32_t v = rng();
        picture[i] = static_cast<uint8_t>(grey ? v : v >> 16);
        picture[i + 1] = static_cast<uint8_t>(grey ? v : v >> 8);
        picture[i + 2] = static_cast<uint8_t>(v);
      }
      std::fill_n(picture.begin() + 300, 900, picture[0]);
    }
    GifWriter writer;
    std::string error;
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> indices(kW * kH);
    ASSERT_TRUE(
        writer.Begin(kW, kH, grey ? GreyPalette() : ColourPalette(), FrameDelay(15), &error))
        << error;
    for (auto& picture : pictures) {
      FrameIndices({kW, kH, picture.data()}, grey, indices.data());
      ASSERT_TRUE(writer.AddFrame(indices.data(), &error)) << error;
    }
    ASSERT_TRUE(writer.Finish(&bytes, &error)) << error;

    int* delays = nullptr;
    int w = 0, h = 0, frames = 0, channels = 0;
    const std::unique_ptr<stbi_uc[], decltype(&stbi_image_free)> decoded(
        stbi_load_gif_from_memory(bytes.data(), static_cast<int>(bytes.size()), &delays, &w, &h,
                                  &frames, &channels, 3),
        stbi_image_free);
    const std::unique_ptr<int[], decltype(&stbi_image_free)> delay_ms(delays, stbi_image_free);
    ASSERT_NE(decoded, nullptr) << stbi_failure_reason();
    ASSERT_EQ(frames, kFrames) << (grey ? "grey" : "colour");
    EXPECT_EQ(w * 1000 + h, kW * 1000 + kH);
    const std::string loop("NETSCAPE2.0\x03\x01\x00\x00\x00", 16);
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), loop.begin(), loop.end()), bytes.end())
        << "no loop";
    for (int k = 0; k < frames; ++k) {
      EXPECT_EQ(delay_ms[k], 70) << "frame " << k << ": 15 frames a second are 7/100 s each";
      const std::vector<uint8_t>& picture = pictures[k];
      size_t wrong = 0;
      for (size_t i = 0; i < picture.size() / 3; ++i) {
        const uint32_t made = PackPixel(picture[i * 3], picture[i * 3 + 1], picture[i * 3 + 2]);
        const uint8_t* got = &decoded[k * picture.size() + i * 3];
        // Colour dots through the fixed quantization, grey ones as they are.
        wrong +=
            PackPixel(got[0], got[1], got[2]) != (grey ? made : ColourPalette()[ColourIndex(made)]);
      }
      EXPECT_EQ(wrong, 0u) << (grey ? "grey" : "colour") << ", frame " << k;
    }
  }
}

}  // namespace
