// Reading the depth back: stereograms made by the synthesis, revealed again, must give
// each linked pixel its shift level.
#include "app/reveal.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/board_rules.h"
#include "app/mode_commands.h"
#include "app/stereogram.h"
#include "canvas/pixel_kernels.h"

namespace {

enum class Scene { kSteps, kRamp, kDome, kText, kTiles };
const char* const kSceneNames[] = {"steps", "ramp", "dome", "text", "tiles"};

// Grey depth pictures with black, the far plane, in each.
std::vector<uint32_t> MakeDepth(Scene scene, int32_t w, int32_t h) {
  std::vector<uint32_t> d(static_cast<size_t>(w) * h);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      uint32_t v = 0;
      switch (scene) {
        case Scene::kSteps:  // rises and falls of several sizes
          v = std::vector<uint32_t>{0, 192, 64, 255, 128, 0}[static_cast<size_t>(x * 6 / w)];
          break;
        case Scene::kRamp:
          v = x < w * 3 / 4 ? static_cast<uint32_t>((x * 4 / 3 + y) * 255 / (w + h)) : 0;
          break;
        case Scene::kDome: {
          const double r = std::hypot(x - w / 2.0, y - h / 2.0) / (h * 0.45);
          v = r < 1 ? static_cast<uint32_t>(255 * std::sqrt(1 - r * r)) : 0;
          break;
        }
        case Scene::kText:  // strokes of letters at the board's text depth
          v = (x % 90 < 22 && x > 40 && y > h / 5 && y < h - h / 5) ||
                      (x % 180 < 90 && x > 40 && std::abs(y - h / 2) < 10)
                  ? 200
                  : 0;
          break;
        case Scene::kTiles:
          v = ((x / 128 + y / 40) % 2) * 255;
          break;
      }
      d[static_cast<size_t>(y) * w + x] = v * 0x010101u;
    }
  }
  return d;
}

bool Exists(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f != nullptr) std::fclose(f);
  return f != nullptr;
}

uint32_t ShiftOf(uint32_t depth_byte, const StereogramParams& p, uint32_t period) {
  const uint32_t b = p.reverse ? depth_byte ^ 0xFF : depth_byte;
  return ((b * period) >> 8) / 4;
}

struct Stereogram {
  int32_t w;
  int32_t h;
  std::vector<uint32_t> depth;
  std::vector<uint32_t> dots;  // as made, before anything is drawn over them
  std::vector<uint8_t> rgb;    // as the picture holds them
  uint32_t period;
  RgbView view() { return {w, h, rgb.data()}; }
};

Stereogram Make(std::vector<uint32_t> depth, int32_t w, int32_t h, const StereogramParams& p,
                const std::vector<uint32_t>& text) {
  Stereogram s{w,
               h,
               std::move(depth),
               std::vector<uint32_t>(static_cast<size_t>(w) * h),
               std::vector<uint8_t>(static_cast<size_t>(w) * h * 3),
               0};
  DotGenerator dots(12345);
  s.period = SynthesizeStereogram(w, h, s.depth.data(), text.data(), s.dots.data(), p, dots);
  return s;
}

void Store(Stereogram& s, const std::vector<uint32_t>& pixels) {
  for (int32_t r = 0; r < s.h; ++r)
    WriteBufferRow(s.view(), r, &pixels[static_cast<size_t>(r) * s.w]);
}

// Of the pixels that repeat the dot one true local period to their left (all but the
// first period of a row and the hidden surfaces), the share given their shift level.
double Accuracy(Stereogram& s, const StereogramParams& p, const RgbView& revealed) {
  std::vector<uint32_t> row(static_cast<size_t>(s.w));
  uint64_t linked = 0;
  uint64_t right = 0;
  for (int32_t r = 0; r < s.h; ++r) {
    ReadBufferRow(revealed, r, row.data());
    const uint32_t* d = &s.depth[static_cast<size_t>(r) * s.w];
    const uint32_t* o = &s.dots[static_cast<size_t>(r) * s.w];
    for (int32_t x = 0; x < s.w; ++x) {
      const uint32_t shift = ShiftOf(d[x] & 0xFF, p, s.period);
      const auto local = static_cast<int32_t>(s.period - shift);
      if (x < local || o[x] != o[x - local]) continue;
      ++linked;
      right += ShiftOf(row[x] & 0xFF, p, s.period) == shift ? 1 : 0;
    }
  }
  return static_cast<double>(right) / static_cast<double>(linked);
}

TEST(RevealTest, GivesLinkedPixelsTheirShiftLevel) {
  constexpr int32_t kW = 640;
  constexpr int32_t kH = 120;
  const std::vector<uint32_t> black(static_cast<size_t>(kW) * kH, 0);
  for (int scene = 0; scene < 5; ++scene) {
    for (const int32_t width : {10, 100, 320}) {
      for (const uint32_t dot_mode : {1u, 2u}) {
        for (const bool reverse : {false, true}) {
          const StereogramParams p{width, reverse, 4, dot_mode, 200};
          Stereogram s = Make(MakeDepth(static_cast<Scene>(scene), kW, kH), kW, kH, p, black);
          Store(s, s.dots);
          // Unreversed, everything is found; a reversal cannot be (see RevealSettings),
          // and with it the parallax width is given as a user who knows it would.
          RevealSettings given;
          given.reverse = reverse;
          if (reverse) given.parallax_width = width;
          std::vector<uint8_t> out(s.rgb.size());
          const RgbView revealed{kW, kH, out.data()};
          const RevealResult result = RevealDepth(s.view(), given, revealed);
          const std::string what = std::string(kSceneNames[scene]) + ", width " +
                                   std::to_string(width) + (dot_mode == 1 ? ", grey" : ", colour") +
                                   (reverse ? ", reversed" : "");
          ASSERT_TRUE(result.revealed) << what << ": " << result.why;
          EXPECT_EQ(result.reading.period, s.period) << what;
          EXPECT_GE(Accuracy(s, p, revealed), 0.98) << what;
        }
      }
    }
  }
}

// A picture copied from the board: the text view blends the text over the dots, the
// guide marks are black, both as the board composes them.
TEST(RevealTest, ReadsPictureCopiedWithGuidesAndTextView) {
  constexpr int32_t kW = 960;
  constexpr int32_t kH = 320;
  for (const uint32_t dot_mode : {1u, 2u}) {
    const StereogramParams p{100, false, 4, dot_mode, 200};
    const std::vector<uint32_t> text = MakeDepth(Scene::kText, kW, kH);
    Stereogram s = Make(MakeDepth(Scene::kDome, kW, kH), kW, kH, p, text);
    std::vector<uint32_t> composed = s.dots;
    kernels::AlphaBlend(text.data(), composed.data(), kW, kernels::Region{0, 0, kW, kH}, 0,
                        board::kTextViewTransparency);
    Store(s, composed);
    for (const GuideRect& m : GuideMarkRects(kW, s.period, p.text_depth, p.reverse, 4)) {
      FillBlack(s.view(), m.left, m.top, m.right, m.bottom);
    }
    std::vector<uint8_t> out(s.rgb.size());
    const RgbView revealed{kW, kH, out.data()};
    const RevealResult result = RevealDepth(s.view(), {}, revealed);
    ASSERT_TRUE(result.revealed) << result.why;
    EXPECT_EQ(result.reading.text_view_grey, 200u);
    EXPECT_GE(Accuracy(s, p, revealed), 0.98) << "dot mode " << dot_mode;
  }
}

// A photo and noise hold no stereogram: the run ends with exit code 1 and one line,
// and writes nothing.
TEST(RevealTest, RefusesPicturesWithoutStereogram) {
  constexpr int32_t kW = 480;
  constexpr int32_t kH = 160;
  std::mt19937 random(7);
  for (const char* kind : {"photo", "grey noise", "colour noise"}) {
    std::vector<uint8_t> rgb(static_cast<size_t>(kW) * kH * 3);
    for (int32_t y = 0; y < kH; ++y) {
      for (int32_t x = 0; x < kW; ++x) {
        uint8_t* q = &rgb[(static_cast<size_t>(y) * kW + x) * 3];
        if (std::string(kind) == "photo") {  // soft light over a gradient, a little grain
          const double light = std::exp(-std::hypot(x - 300.0, y - 60.0) / 90.0);
          for (int c = 0; c < 3; ++c) {
            q[c] = static_cast<uint8_t>(40 + 30 * c + 0.1 * x + 120 * light + random() % 3);
          }
        } else {
          const uint32_t v = random();
          for (int c = 0; c < 3; ++c)
            q[c] = static_cast<uint8_t>(kind[0] == 'g' ? v : v >> (8 * c));
        }
      }
    }
    const std::string in = std::string("reveal_refused_") + kind[0] + ".png";
    const std::string out = in + ".depth.png";
    std::remove(out.c_str());
    ASSERT_NE(stbi_write_png(in.c_str(), kW, kH, 3, rgb.data(), kW * 3), 0);
    StillOptions options;
    options.reveal = true;
    options.depth_path = in;
    options.out_path = out;
    const CommandEnd end = RunReveal(options);
    EXPECT_EQ(end.code, still_exit::kFailed) << kind;
    EXPECT_NE(end.message.find("no stereogram"), std::string::npos) << kind << ": " << end.message;
    EXPECT_EQ(end.message.find('\n'), std::string::npos) << kind;
    EXPECT_FALSE(Exists(out)) << kind << ": " << out << " was written";
  }
}

}  // namespace
