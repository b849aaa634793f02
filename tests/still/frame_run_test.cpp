// Frames made from depth that moves, or under text that scrolls: each frame takes its
// depth from the matching picture of a numbered sequence, or its text from where the
// board puts it at that frame's time; read back it shows that depth; and a run that
// starts at frame K gives the frames a run from frame 1 gives there.
#include "still/frame_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "images/replace_file.h"
#include "reveal/reveal.h"
#include "text/text_mask.h"

namespace {

constexpr int32_t kW = 240, kH = 60, kFrames = 12;

// Right of the first period, where the dots hold no repeats to read.
double SphereCentre(int frame) { return 70 + frame * 120.0 / (kFrames - 1); }

// depth_0001.png ... : a sphere crossing the picture from left to right.
void WriteSequence(const std::string& folder) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  for (int f = 0; f < kFrames; ++f) {
    std::vector<uint8_t> rgb(kW * kH * 3, 0);
    for (int32_t y = 0; y < kH; ++y) {
      for (int32_t x = 0; x < kW; ++x) {
        const double d = std::hypot(x - SphereCentre(f), y - kH / 2.0) / 25.0;
        if (d < 1) std::fill_n(&rgb[(y * kW + x) * 3], 3, uint8_t(255 * std::sqrt(1 - d * d)));
      }
    }
    const PngBytes png = EncodePng({kW, kH, rgb.data()});
    char name[32];
    std::snprintf(name, sizeof name, "/depth_%04d.png", f + 1);
    std::string error;
    ASSERT_TRUE(ReplaceFileContents(folder + name, png.data.get(), png.size, &error)) << error;
  }
}

std::vector<std::vector<uint8_t>> Frames(const StillOptions& options, int count, int32_t w = kW,
                                         int32_t h = kH) {
  FrameRun run;
  CommandEnd end;
  EXPECT_TRUE(run.Open(options, &end)) << end.message;
  std::vector<std::vector<uint8_t>> frames;
  for (int k = 0; k < count; ++k) {
    frames.emplace_back(static_cast<size_t>(w) * h * 3);
    EXPECT_TRUE(run.Next({w, h, frames.back().data()}, &end)) << end.message;
  }
  return frames;
}

// The board's default text as each build takes it: UTF-8 natively, the ANSI code page
// (932 under the tests' Wine) on Windows, where narrow literals are compiled to it.
#ifdef _WIN32
const std::string kText = "テキストを入力してください。";
#else
const std::string kText = reinterpret_cast<const char*>(u8"テキストを入力してください。");
#endif

TEST(FrameRunTest, EachFrameShowsItsOwnDepthAndSkippingLandsOnTheSameFrames) {
  WriteSequence("frame_run_test");
  StillOptions options;
  options.depth_path = "frame_run_test/depth_%04d.png";
  options.parallax_width = 40;
  options.seed = 77;
  const auto frames = Frames(options, kFrames + 3);
  for (int f = 0; f < kFrames; ++f) {
    std::vector<uint8_t> depth(kW * kH * 3);
    const RevealResult read = RevealDepth({kW, kH, const_cast<uint8_t*>(frames[f].data())},
                                          {40, false, 4}, {kW, kH, depth.data()});
    ASSERT_TRUE(read.revealed) << "frame " << f + 1 << ": " << read.why;
    // Where the sphere stands out on its middle line, right of the first period, whose
    // dots repeat nothing and so tell no depth.
    double sum = 0, count = 0;
    for (int32_t x = 40; x < kW; ++x) {
      if (depth[(kH / 2 * kW + x) * 3] > 128) sum += x, ++count;
    }
    EXPECT_NEAR(sum / count, SphereCentre(f), 3) << "frame " << f + 1;
  }
  // From frame 3, and from a frame past a whole cycle of the depth.
  for (const uint64_t first : {3, kFrames + 2}) {
    options.frame = first;
    EXPECT_TRUE(Frames(options, 1)[0] == frames[first - 1]) << "from frame " << first;
  }
}

TEST(FrameRunTest, TextStandsWhereTheBoardPutsItAtEachFramesTimeAndSkippingFollowsIt) {
  StillOptions options;
  options.text = kText;
  options.parallax_width = 100;
  options.seed = 9;
  options.frame = 60;  // 66 ms a frame at 15 a second: the text's left edge at 564
  const auto frames = Frames(options, 3, 960, 320);
  // A still is the same frame, made over the picture the run holds: here the black one
  // that stands in for a depth picture.
  FrameRun still;
  CommandEnd end;
  RgbView picture;
  ASSERT_TRUE(still.Open(options, &end) && still.Last(&picture, &end)) << end.message;
  ASSERT_EQ(960, picture.width);
  EXPECT_TRUE(std::equal(frames[0].begin(), frames[0].end(), picture.pixels));
  TextMask mask;
  std::string error;
  ASSERT_TRUE(DrawTextMask(kText, 200, "", &mask, &error)) << error;
  std::vector<uint32_t> text(960 * 320);
  std::vector<uint8_t> depth(960 * 320 * 3);
  for (int k = 0; k < 3; ++k) {
    const uint32_t clock = 66u * (60 + k);
    FillTextImage(mask, PlaceText(clock, 960, 320, mask.width, mask.height), 960, 320, text.data());
    ASSERT_TRUE(RevealDepth({960, 320, const_cast<uint8_t*>(frames[k].data())}, {100, false, 4},
                            {960, 320, depth.data()})
                    .revealed);
    // The text as read back against where it was drawn (bottom line first), right of the
    // first period, whose dots repeat nothing: 96 % of it agrees, 6 pixels (a frame) off 89 %.
    int both = 0, either = 0;
    for (int32_t y = 0; y < 320; ++y) {
      for (int32_t x = 100; x < 960; ++x) {
        const bool drawn = text[static_cast<size_t>(319 - y) * 960 + x] == 200 * 0x010101u;
        const bool read = depth[(static_cast<size_t>(y) * 960 + x) * 3] > 100;
        both += drawn && read;
        either += drawn || read;
      }
    }
    EXPECT_GT(both, 0.94 * either) << "frame " << 60 + k << " at clock " << clock;
  }
  // At one frame a second the text crosses a 240-pixel picture in 29 frames and starts
  // again: frame 31 comes after a whole cycle of the text.
  WriteSequence("frame_run_text");
  options.depth_path = "frame_run_text/depth_0001.png";
  options.parallax_width = 40;
  options.fps = 1;
  options.frame = 1;
  const auto run = Frames(options, 32);
  for (const uint64_t first : {3, 31}) {
    options.frame = first;
    EXPECT_TRUE(Frames(options, 1)[0] == run[first - 1]) << "from frame " << first;
  }
}

}  // namespace
