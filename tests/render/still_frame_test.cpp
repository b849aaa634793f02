// A still frame against the board's synthesis of the whole picture, written out here
// directly (whole frames drawn one after another from one generator, the rows turned
// bottom-up by hand) rather than row by row and skipped as the renderer does.
#include "render/still_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

// The picture, and in `next` the generator's state after it.
std::vector<uint8_t> Expected(const std::vector<uint8_t>& rgb, int32_t w, int32_t h,
                              const StillFrame& still, uint32_t* next = nullptr) {
  const auto at = [w, h](int32_t x, int32_t y) { return static_cast<size_t>(h - 1 - y) * w + x; };
  std::vector<uint32_t> depth(rgb.size() / 3), out(depth.size()), text(depth.size(), 0);
  DotGenerator g(still.seed);
  uint32_t period = 0;
  for (uint64_t f = 0; f < still.frame; ++f) {
    for (int32_t i = 0; i < w * h; ++i)
      depth[at(i % w, i / w)] = rgb[i * 3] * 65536u + rgb[i * 3 + 1] * 256u + rgb[i * 3 + 2];
    period = SynthesizeStereogram(w, h, depth.data(), text.data(), out.data(), still.params, g);
  }
  if (next != nullptr) *next = g.State();
  const auto marks = GuideMarkRects(w, period, still.params.text_depth, still.params.reverse,
                                    still.params.depth_divisor);
  std::vector<uint8_t> picture;
  for (int32_t i = 0; i < w * h; ++i) {
    const bool mark =
        still.guides && std::any_of(marks.begin(), marks.end(), [&](GuideRect m) {
          return i % w >= m.left && i % w < m.right && i / w >= m.top && i / w < m.bottom;
        });
    const uint32_t v = mark ? 0 : out[at(i % w, i / w)];
    picture.insert(picture.end(), {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
  }
  return picture;
}

TEST(RenderStillTest, EqualsTheBoardsSynthesisOfTheWholePicture) {
  const struct {
    int32_t w, h, parallax_width;
    bool reverse;
    uint32_t dot_mode, text_depth;
    bool guides;
    uint64_t frame;
  } cases[] = {
      {97, 13, 40, false, 1, 200, false, 1},
      {97, 13, 97, true, 2, 0, true, 1},
      {200, 31, 100, false, 0xFFFFFFFF, 255, true, 1},
      // Guide marks placed for the middle of a picture far wider than these.
      {1, 1, 1, false, 1, 200, true, 1},
      {20, 16, 20, false, 1, 0, true, 1},
      {9, 16, 5, true, 1, 200, true, 1},
      // Later frames: the skip must land where drawing every frame would.
      {97, 13, 40, true, 2, 100, true, 3},
      {64, 20, 30, false, 5, 200, false, 7},
  };
  for (const auto& k : cases) {
    // Flat rectangles on a dark ground (rises and falls of depth; red and green vary
    // too, which must not matter).
    std::mt19937 rng(k.parallax_width + k.frame);
    std::vector<uint8_t> depth(k.w * k.h * 3, 30);
    for (int n = 0; n < 6; ++n) {
      const int32_t x0 = rng() % k.w, y0 = rng() % k.h, x1 = rng() % k.w, y1 = rng() % k.h;
      const uint8_t rgb[3] = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
      for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x) std::copy_n(rgb, 3, &depth[(y * k.w + x) * 3]);
    }
    const auto seed = static_cast<uint32_t>(rng());
    const StillFrame still{
        {k.parallax_width, k.reverse, 4, k.dot_mode, k.text_depth}, k.guides, seed, k.frame};
    std::vector<uint8_t> picture = depth;
    const RgbView view{k.w, k.h, picture.data()};
    const uint32_t next = RenderStill({view}, still, view);
    uint32_t expected_next = 0;
    EXPECT_TRUE(Expected(depth, k.w, k.h, still, &expected_next) == picture) << k.w << "x" << k.h;
    // The next frame of an animation starts from it.
    EXPECT_EQ(expected_next, next) << k.w << "x" << k.h;
  }
}

TEST(RenderStillTest, TheLastPossibleFrameComesAtOnce) {
  // Frames before it are skipped, not drawn: a grey dot takes one generator step a
  // frame, a colour dot three, and the generator repeats after 2^32 steps, so the last
  // frame of 2^64 - 1 starts two frames' steps before the seed.
  for (const uint32_t dot_mode : {1u, 2u}) {
    StillFrame still{{1, false, 4, dot_mode, 200}, false, 2024, UINT64_MAX};
    std::vector<uint8_t> pixel(3, 0);
    const RgbView view{1, 1, pixel.data()};
    RenderStill({view}, still, view);
    // One step back: the multiplier's inverse modulo 2^32, by Newton's iteration.
    uint32_t inverse = DotGenerator::kMultiplier;
    for (int i = 0; i < 5; ++i) inverse *= 2u - DotGenerator::kMultiplier * inverse;
    for (uint32_t n = 0; n < (dot_mode == 1 ? 2u : 6u); ++n)
      still.seed = (still.seed - DotGenerator::kIncrement) * inverse;
    still.frame = 1;
    EXPECT_EQ(Expected({0, 0, 0}, 1, 1, still), pixel) << "dot mode " << dot_mode;
  }
}

}  // namespace

namespace {

// The frame of `depth`, as RGB bytes.
std::vector<uint8_t> Frame(const std::vector<uint8_t>& depth, int32_t w, int32_t h,
                           const uint16_t* depth16, const StillFrame& still) {
  std::vector<uint8_t> out(depth.size());
  std::vector<uint8_t> in = depth;
  RenderStill({{w, h, in.data()}, depth16}, still, {w, h, out.data()});
  return out;
}

TEST(RenderStillTest, SixteenBitDepthCountsOnlyWhenOversampling) {
  constexpr int32_t kW = 300, kH = 4;
  std::vector<uint8_t> depth(kW * kH * 3);
  std::vector<uint16_t> depth16(kW * kH);
  for (int32_t i = 0; i < kW * kH; ++i) {
    depth16[i] = static_cast<uint16_t>((i % kW) * 200 + i % 7 * 31);
    std::fill_n(&depth[i * 3], 3, static_cast<uint8_t>(depth16[i] >> 8));
  }
  for (const uint32_t n : {1u, 4u}) {
    StillFrame still{{60, false, 4, 1, 200}, false, 5, 1, n};
    // One sub-pixel a pixel keeps the board's levels: the low bytes change nothing.
    EXPECT_EQ(n == 1,
              Frame(depth, kW, kH, depth16.data(), still) == Frame(depth, kW, kH, nullptr, still))
        << "oversample " << n;
  }
}

TEST(RenderStillTest, APatternTilesTheFarPlaneAtAnyOversampling) {
  constexpr int32_t kW = 130, kH = 30;
  std::mt19937 rng(3);
  std::vector<uint8_t> texture(16 * 12 * 3);
  for (uint8_t& v : texture) v = static_cast<uint8_t>(rng());
  const Pattern pattern({16, 12, texture.data()}, 40, kH);
  for (const uint32_t n : {1u, 3u}) {
    StillFrame still{{40, false, 4, 1, 200}, false, 5, 1, n, &pattern};
    const std::vector<uint8_t> out =
        Frame(std::vector<uint8_t>(kW * kH * 3, 0), kW, kH, nullptr, still);
    size_t wrong = 0;
    for (int32_t y = 0; y < kH; ++y) {
      for (int32_t x = 0; x < kW; ++x) {
        const uint8_t* p = &out[(y * kW + x) * 3];
        wrong += PackPixel(p[0], p[1], p[2]) != pattern.Row(y)[x % 40];
      }
    }
    EXPECT_EQ(wrong, 0u) << "oversample " << n;
  }
}

}  // namespace
