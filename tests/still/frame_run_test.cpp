// Frames made from depth that moves: each frame takes its depth from the matching
// picture of a numbered sequence, read back it shows that picture's depth, and a run
// that starts at frame K gives the frames a run from frame 1 gives there.
#include "still/frame_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "images/replace_file.h"
#include "reveal/reveal.h"

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

std::vector<std::vector<uint8_t>> Frames(const StillOptions& options, int count) {
  FrameRun run;
  CommandEnd end;
  EXPECT_TRUE(run.Open(options, &end)) << end.message;
  std::vector<std::vector<uint8_t>> frames;
  for (int k = 0; k < count; ++k) {
    frames.emplace_back(kW * kH * 3);
    EXPECT_TRUE(run.Next({kW, kH, frames.back().data()}, &end)) << end.message;
  }
  return frames;
}

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

}  // namespace
