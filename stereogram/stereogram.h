// Random-dot stereogram synthesis: a depth image in, one frame of dots out.
// Portable: no platform calls, no allocation; runs on the frame thread.
#pragma once

#include <array>
#include <cstdint>

// The dots' source: a 32-bit linear congruential generator whose every step yields
// a 15-bit value; a dot byte is the low byte of that value. The sequence is part of
// the picture (a seed reproduces a frame), so it must not change.
class DotGenerator {
 public:
  explicit DotGenerator(uint32_t seed = 0) noexcept : state_(seed) {}

  void Seed(uint32_t seed) { state_ = seed; }
  uint32_t State() const { return state_; }

  uint32_t NextValue() {
    state_ = state_ * kMultiplier + kIncrement;
    return (state_ >> 16) & 0x7FFF;
  }
  uint32_t NextByte() { return NextValue() & 0xFF; }

  static constexpr uint32_t kMultiplier = 214013;
  static constexpr uint32_t kIncrement = 2531011;

 private:
  uint32_t state_;
};

// The board's settings that shape a frame. Passed by value: one frame uses one
// snapshot, so its period, shifts and guide marks always agree even while the
// window's thread changes the settings.
struct StereogramParams {
  int32_t parallax_width = 100;
  bool reverse = false;
  int32_t depth_divisor = 4;
  uint32_t dot_mode = 1;  // 1 grey-scale, anything else random colour
  uint32_t text_depth = 200;
};

// Left, top, right, bottom in picture coordinates; right and bottom excluded.
struct GuideRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
  bool operator==(const GuideRect&) const = default;
};

// The one rule from depth to shift, for every picture made or read back: a pixel at
// `depth` repeats the dot (period - shift) pixels to its left, so the nearer it is, the
// shorter its local period. Depth counts in 16 bits, brighter nearer; a depth byte b is
// b << 8, which gives the board's ((b * period) >> 8) / divisor. `divisor` is at least 1
// (see FitDivisor).
constexpr uint32_t DepthShift(uint32_t depth, uint32_t period, uint32_t divisor) {
  return static_cast<uint32_t>((uint64_t{depth} * period) >> 16) / divisor;
}

// The period W of a frame as the settings give it, before it is fitted to a width.
uint32_t StereogramPeriod(const StereogramParams& params);

// The period a frame of `width` pixels is synthesised with. W from 1 to width is
// used as it is. Only an unchecked settings file can give anything else: a period of
// 0 would make every pixel repeat itself (the picture would keep stale or
// uninitialised pixels), one above the width would overflow the shift arithmetic,
// so W is clamped into 1 .. width. A width below 1 gives 0 (nothing to draw).
uint32_t FitPeriod(uint32_t period, int32_t width);

// The depth divisor in use: a divisor below 1 (again only from an unchecked
// settings file) would divide by zero or flip the shifts' sign, so it counts as 1.
int32_t FitDivisor(int32_t depth_divisor);

// The two guide marks: centred one local period apart (the local period at the text
// depth) about the middle of the picture, 8 x 10 pixels, 5 pixels below the top.
std::array<GuideRect, 2> GuideMarkRects(int32_t width, uint32_t period, uint32_t text_depth,
                                        bool reverse, int32_t depth_divisor);

// One frame. `depth` holds the background image on entry and the depth image
// (per pixel the larger of background and text, as unsigned values) on return;
// `text` is read only; every pixel of `out` is written, with a fourth byte of 0.
// All three are width x height pixels, rows bottom-up, and must not overlap.
// Returns the period W the frame was made with (see FitPeriod), 0 if nothing was
// drawn; pass it to GuideMarkRects so the marks match the dots.
uint32_t SynthesizeStereogram(int32_t width, int32_t height, uint32_t* depth, const uint32_t* text,
                              uint32_t* out, StereogramParams params, DotGenerator& generator);
