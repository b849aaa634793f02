// An animation written by the program, read back by libwebp's own animation decoder:
// every WebP frame is the frame FrameRun makes, bit for bit, grey dots and colour, in
// order and with its time; the GIF passed on to the file as giflib makes it is the GIF
// made whole in memory.
#include <gtest/gtest.h>
#include <webp/demux.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "animation/gif_writer.h"
#include "animation/palette.h"
#include "images/replace_file.h"
#include "still/frame_run.h"

namespace {

constexpr int32_t kW = 120, kH = 40, kFrames = 5;

std::vector<uint8_t> Read(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

// A raised rectangle, so that the frames hold repeats broken by fresh dots.
StillOptions Options(const std::string& out, uint32_t dot_mode) {
  std::filesystem::create_directories("animation_run");
  std::vector<uint8_t> rgb(kW * kH * 3, 0);
  for (int32_t y = 10; y < 30; ++y) std::fill_n(&rgb[(y * kW + 50) * 3], 40 * 3, uint8_t{200});
  const PngBytes png = EncodePng({kW, kH, rgb.data()});
  std::string error;
  EXPECT_TRUE(ReplaceFileContents("animation_run/depth.png", png.data.get(), png.size, &error))
      << error;
  StillOptions options;
  options.depth_path = "animation_run/depth.png";
  options.out_path = "animation_run/" + out;
  options.parallax_width = 20;
  options.seed = 5;
  options.dot_mode = dot_mode;
  options.frames = kFrames;
  options.quiet = true;
  return options;
}

std::vector<std::vector<uint8_t>> Frames(const StillOptions& options) {
  FrameRun run;
  CommandEnd end;
  EXPECT_TRUE(run.Open(options, &end)) << end.message;
  std::vector<std::vector<uint8_t>> frames(kFrames, std::vector<uint8_t>(kW * kH * 3));
  for (auto& frame : frames) EXPECT_TRUE(run.Next({kW, kH, frame.data()}, &end)) << end.message;
  return frames;
}

TEST(AnimationRunTest, WebpFramesAreTheStillsBitForBit) {
  for (const uint32_t dot_mode : {1u, 2u}) {
    const StillOptions options = Options("dots.webp", dot_mode);
    const CommandEnd end = RunAnimation(options);
    ASSERT_EQ(end.code, 0) << end.message;
    const std::vector<uint8_t> file = Read(options.out_path);
    const WebPData data{file.data(), file.size()};
    WebPAnimDecoderOptions decoding;
    ASSERT_TRUE(WebPAnimDecoderOptionsInit(&decoding));
    decoding.color_mode = MODE_RGBA;
    const std::unique_ptr<WebPAnimDecoder, decltype(&WebPAnimDecoderDelete)> decoder(
        WebPAnimDecoderNew(&data, &decoding), WebPAnimDecoderDelete);
    ASSERT_NE(decoder, nullptr) << "not an animated WebP";
    WebPAnimInfo info{};
    ASSERT_TRUE(WebPAnimDecoderGetInfo(decoder.get(), &info));
    EXPECT_EQ(info.canvas_width * 1000 + info.canvas_height, uint32_t(kW * 1000 + kH));
    EXPECT_EQ(info.frame_count, uint32_t(kFrames));
    EXPECT_EQ(info.loop_count, 0u) << "loops for ever";
    const auto frames = Frames(options);
    for (int k = 0; k < kFrames; ++k) {
      uint8_t* rgba = nullptr;
      int ms = 0;
      ASSERT_TRUE(WebPAnimDecoderGetNext(decoder.get(), &rgba, &ms)) << "frame " << k;
      // At 15 frames a second, 66.7 ms each, rounded where each frame ends.
      EXPECT_EQ(ms, ((k + 1) * 2000 + 15) / 30) << "frame " << k;
      size_t wrong = 0, coloured = 0;
      for (size_t i = 0; i < size_t(kW * kH); ++i) {
        const uint8_t* made = &frames[k][i * 3];
        wrong += !std::equal(made, made + 3, rgba + i * 4) || rgba[i * 4 + 3] != 255;
        coloured += made[0] != made[1] || made[1] != made[2];
      }
      EXPECT_EQ(wrong, 0u) << "dot mode " << dot_mode << ", frame " << k;
      EXPECT_EQ(coloured > 0, dot_mode != 1) << "dot mode " << dot_mode << ", frame " << k;
    }
  }
}

TEST(AnimationRunTest, GifWrittenAsMadeIsTheGifMadeWhole) {
  const StillOptions options = Options("dots.gif", 1);
  const CommandEnd end = RunAnimation(options);
  ASSERT_EQ(end.code, 0) << end.message;
  GifWriter whole;
  std::string error;
  std::vector<uint8_t> bytes, indices(kW * kH);
  ASSERT_TRUE(whole.Begin(kW, kH, GreyPalette(), FrameDelay(15), &error)) << error;
  for (const auto& frame : Frames(options)) {
    FrameIndices({kW, kH, const_cast<uint8_t*>(frame.data())}, true, indices.data());
    ASSERT_TRUE(whole.AddFrame(indices.data(), &error)) << error;
  }
  ASSERT_TRUE(whole.Finish(&bytes, &error)) << error;
  EXPECT_TRUE(Read(options.out_path) == bytes);
}

}  // namespace
