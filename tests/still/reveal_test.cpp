// Reading the depth back: stereograms made by the synthesis, revealed again, must give
// their linked pixels their shift level.
#include "still/reveal.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cmath>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "canvas/pixel_kernels.h"
#include "stereogram/stereogram.h"
#include "stereogram/text_view.h"
#include "still/mode_commands.h"

namespace {

const char* const kScenes[] = {"steps", "ramp", "dome", "text", "tiles"};

// Grey depth pictures, each with linked black (the far plane) in it.
std::vector<uint32_t> MakeDepth(int scene, int32_t w, int32_t h) {
  std::vector<uint32_t> d(static_cast<size_t>(w) * h);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const double r = std::hypot(x - w / 2.0, y - h / 2.0) / (h * 0.45);
      const uint32_t v[] = {
          std::vector<uint32_t>{0, 192, 64, 255, 128, 0}[static_cast<size_t>(x * 6 / w)],
          x < w * 3 / 4 ? static_cast<uint32_t>((x * 4 / 3 + y) * 255 / (w + h)) : 0u,
          r < 1 ? static_cast<uint32_t>(255 * std::sqrt(1 - r * r)) : 0u,
          // Strokes of letters at the board's text depth.
          (x > 40 && ((x % 90 < 22 && std::abs(y - h / 2) < h * 3 / 10) ||
                      (x % 180 < 90 && std::abs(y - h / 2) < 10)))
              ? 200u
              : 0u,
          ((x / 128 + y / 40) % 2) * 255u};
      d[static_cast<size_t>(y) * w + x] = v[scene] * 0x010101u;
    }
  }
  return d;
}

struct Stereogram {
  int32_t w, h;
  std::vector<uint32_t> depth, dots;  // the dots as made, before anything is drawn over them
  std::vector<uint8_t> rgb;           // the picture as a file holds it
  uint32_t period = 0;
  RgbView view() { return {w, h, rgb.data()}; }
  void Store(const std::vector<uint32_t>& pixels) {
    for (int32_t r = 0; r < h; ++r) WriteBufferRow(view(), r, &pixels[static_cast<size_t>(r) * w]);
  }
};

Stereogram Make(int scene, int32_t w, int32_t h, const StereogramParams& p,
                const std::vector<uint32_t>& text) {
  const size_t n = static_cast<size_t>(w) * h;
  Stereogram s{w, h, MakeDepth(scene, w, h), std::vector<uint32_t>(n), std::vector<uint8_t>(n * 3)};
  DotGenerator dots(12345);
  s.period = SynthesizeStereogram(w, h, s.depth.data(), text.data(), s.dots.data(), p, dots);
  return s;
}

// Of the pixels that repeat the dot one true local period to their left (all but the
// first period of each row and the hidden surfaces), the share revealed at their level.
double Accuracy(const Stereogram& s, const StereogramParams& p, const RgbView& revealed) {
  const auto shift = [&](uint32_t byte) {
    return (((p.reverse ? byte ^ 0xFF : byte) * s.period) >> 8) / 4;
  };
  std::vector<uint32_t> row(static_cast<size_t>(s.w));
  uint64_t linked = 0, right = 0;
  for (int32_t r = 0; r < s.h; ++r) {
    ReadBufferRow(revealed, r, row.data());
    const uint32_t* d = &s.depth[static_cast<size_t>(r) * s.w];
    const uint32_t* o = &s.dots[static_cast<size_t>(r) * s.w];
    for (int32_t x = 0; x < s.w; ++x) {
      const auto local = static_cast<int32_t>(s.period - shift(d[x] & 0xFF));
      if (x < local || o[x] != o[x - local]) continue;
      ++linked;
      right += shift(row[x] & 0xFF) == shift(d[x] & 0xFF);
    }
  }
  return static_cast<double>(right) / static_cast<double>(linked);
}

TEST(RevealTest, GivesLinkedPixelsTheirShiftLevel) {
  const std::vector<uint32_t> black(640 * 80, 0);
  for (int scene = 0; scene < 5; ++scene) {
    for (const int32_t width : {10, 100, 320}) {
      for (const uint32_t dot_mode : {1u, 2u}) {
        for (const bool reverse : {false, true}) {
          const StereogramParams p{width, reverse, 4, dot_mode, 200};
          Stereogram s = Make(scene, 640, 80, p, black);
          s.Store(s.dots);
          // Unreversed, everything is found. Reversal cannot be (see RevealSettings), and
          // with it the width is given, as a user who knows the one would know the other.
          const RevealSettings given{
              reverse ? std::optional<int32_t>(width) : std::nullopt, reverse, {}};
          std::vector<uint8_t> out(s.rgb.size());
          const RevealResult result = RevealDepth(s.view(), given, {640, 80, out.data()});
          const std::string what = std::string(kScenes[scene]) + ", width " +
                                   std::to_string(width) + (dot_mode == 1 ? ", grey" : ", colour") +
                                   (reverse ? ", reversed" : "");
          ASSERT_TRUE(result.revealed) << what << ": " << result.why;
          EXPECT_EQ(result.reading.period, s.period) << what;
          EXPECT_GE(Accuracy(s, p, {640, 80, out.data()}), 0.98) << what;
        }
      }
    }
  }
}

// A picture copied from the board: the text view blends the text over the dots and the
// guide marks are black, both by the rules the board composes them with.
TEST(RevealTest, ReadsPictureCopiedWithGuidesAndTextView) {
  for (const uint32_t dot_mode : {1u, 2u}) {
    const StereogramParams p{100, false, 4, dot_mode, 200};
    const std::vector<uint32_t> text = MakeDepth(3, 960, 320);
    Stereogram s = Make(2, 960, 320, p, text);
    std::vector<uint32_t> composed = s.dots;
    kernels::AlphaBlend(text.data(), composed.data(), 960, {0, 0, 960, 320}, 0,
                        board::kTextViewTransparency);
    s.Store(composed);
    for (const GuideRect& m : GuideMarkRects(960, s.period, p.text_depth, p.reverse, 4)) {
      FillBlack(s.view(), m.left, m.top, m.right, m.bottom);
    }
    std::vector<uint8_t> out(s.rgb.size());
    const RevealResult result = RevealDepth(s.view(), {}, {960, 320, out.data()});
    ASSERT_TRUE(result.revealed) << result.why;
    EXPECT_EQ(result.reading.text_view_grey, 200u);
    EXPECT_GE(Accuracy(s, p, {960, 320, out.data()}), 0.98) << "dot mode " << dot_mode;
  }
}

// A photo or noise holds no stereogram: exit code 1, one line, nothing written.
TEST(RevealTest, RefusesPicturesWithoutStereogram) {
  std::mt19937 random(7);
  for (const std::string kind : {"photo", "noise"}) {
    std::vector<uint8_t> rgb(480 * 160 * 3);
    for (size_t i = 0; i < rgb.size(); ++i) {
      const double x = static_cast<double>(i / 3 % 480), y = static_cast<double>(i / 3 / 480);
      // The photo: soft light over a gradient, with a little grain.
      const double light =
          40 + 30.0 * (i % 3) + 0.1 * x + 120 * std::exp(-std::hypot(x - 300, y - 60) / 90);
      rgb[i] = static_cast<uint8_t>(kind == "photo" ? light + random() % 3 : random());
    }
    const std::string in = "reveal_refused_" + kind.substr(0, 1) + ".png", out = in + ".depth.png";
    std::remove(out.c_str());
    ASSERT_NE(stbi_write_png(in.c_str(), 480, 160, 3, rgb.data(), 480 * 3), 0);
    StillOptions options;
    options.reveal = true;
    options.depth_path = in;
    options.out_path = out;
    const CommandEnd end = RunReveal(options);
    EXPECT_EQ(end.code, still_exit::kFailed) << kind;
    EXPECT_NE(end.message.find("no stereogram"), std::string::npos) << kind << ": " << end.message;
    EXPECT_EQ(end.message.find('\n'), std::string::npos) << kind;
    EXPECT_FALSE(std::ifstream(out).good()) << kind << ": " << out << " was written";
  }
}

}  // namespace
