// The kinds of depth picture the synthesis is given, for the equivalence test and the
// benchmark alike: each fills a background image and a text image of any size.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace depth_pictures {

enum class Kind { kFlat, kTextOnFlat, kGradient, kScene, kBackgroundText, kNoise };

inline constexpr Kind kKinds[] = {Kind::kFlat,  Kind::kTextOnFlat,     Kind::kGradient,
                                  Kind::kScene, Kind::kBackgroundText, Kind::kNoise};
inline constexpr const char* kNames[] = {"flat", "text", "gradient", "scene", "background_text",
                                         "noise"};

inline uint32_t Grey(uint32_t v) { return v * 0x010101u; }

// A fixed pseudo-random sequence, so that every run draws the same pictures.
struct Lcg {
  uint32_t state;
  uint32_t operator()(uint32_t bound) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % bound;
  }
};

// Strokes 20 to 30 pixels wide at depth 200, as the board's text layer gives a line of
// glyphs, with gaps between them.
inline void DrawText(int32_t w, int32_t h, uint32_t* text) {
  Lcg rng{99};
  for (int32_t x0 = 40; x0 < w; x0 += 100) {
    for (int stroke = 0; stroke < 3; ++stroke) {
      const auto sx = static_cast<int32_t>(x0 + rng(70));
      const auto sw = static_cast<int32_t>(20 + rng(10));
      const auto sy = static_cast<int32_t>(rng(static_cast<uint32_t>(h)));
      const auto sh = static_cast<int32_t>(1 + rng(static_cast<uint32_t>(h)) / 2);
      for (int32_t y = sy; y < std::min(h, sy + sh); ++y) {
        for (int32_t x = sx; x < std::min(w, sx + sw); ++x) text[y * w + x] = Grey(200);
      }
    }
  }
}

// A ramp from far left to nearer right, flat steps, and raised discs, some domed.
inline uint32_t SceneDepth(int32_t x, int32_t y, int32_t w, int32_t h) {
  uint32_t v = static_cast<uint32_t>(x) * 120u / static_cast<uint32_t>(w);
  if (x % 300 > 200 && y % 120 > 40) v = 90 + static_cast<uint32_t>(x % 300 / 50) * 30;
  for (int32_t i = 0; i < 4; ++i) {
    const double dx = x - (w / 8 + i * w / 4);
    const double dy = y - h / 2;
    const double r = std::min(w / 10, h / 3);
    const double q = 1 - (dx * dx + dy * dy) / (r * r);
    if (q > 0) v = i % 2 == 0 ? 160 : 140 + static_cast<uint32_t>(100 * std::sqrt(q));
  }
  return v;
}

inline void Make(Kind kind, int32_t w, int32_t h, uint32_t* depth, uint32_t* text) {
  Lcg rng{7};
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      uint32_t v = 0;
      if (kind == Kind::kGradient) {
        // Gentle hills, as a depth map from a renderer or a camera gives them.
        v = static_cast<uint32_t>(128 + 60 * std::sin(x * 0.013) +
                                  60 * std::cos(y * 0.021 + x * 0.004));
      } else if (kind == Kind::kScene || kind == Kind::kBackgroundText) {
        v = SceneDepth(x, y, w, h);
      } else if (kind == Kind::kNoise) {
        v = rng(256);
      }
      depth[y * w + x] = Grey(v);
      text[y * w + x] = 0;
    }
  }
  if (kind == Kind::kTextOnFlat || kind == Kind::kBackgroundText) DrawText(w, h, text);
}

}  // namespace depth_pictures
