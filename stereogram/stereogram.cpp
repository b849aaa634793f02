#include "stereogram/stereogram.h"

#include <algorithm>
#include <cstring>

namespace {

// Several generator steps at once: state n+k = A_k * state n + C_k (mod 2^32). The
// products are independent, so a run of fresh dots is not bound to the latency of
// one multiplication per dot; the sequence is exactly that of DotGenerator.
struct Jump {
  uint32_t a[24];
  uint32_t c[24];
};

constexpr Jump MakeJump() {
  Jump j{};
  uint32_t a = 1;
  uint32_t c = 0;
  for (int k = 0; k < 24; ++k) {
    a = a * DotGenerator::kMultiplier;
    c = c * DotGenerator::kMultiplier + DotGenerator::kIncrement;
    j.a[k] = a;
    j.c[k] = c;
  }
  return j;
}

constexpr Jump kJump = MakeJump();

inline uint32_t DotByte(uint32_t state) { return (state >> 16) & 0xFF; }

inline uint32_t Step(uint32_t state) {
  return state * DotGenerator::kMultiplier + DotGenerator::kIncrement;
}

// Grey dots: one generator step each, the byte in blue, green and red.
uint32_t FreshGrey(uint32_t* out, int32_t count, uint32_t state) {
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    for (int k = 0; k < 8; ++k) {
      out[i + k] = DotByte(kJump.a[k] * state + kJump.c[k]) * 0x010101u;
    }
    state = kJump.a[7] * state + kJump.c[7];
  }
  for (; i < count; ++i) {
    state = Step(state);
    out[i] = DotByte(state) * 0x010101u;
  }
  return state;
}

// Colour dots: three steps each, drawn blue first, then green, then red; eight dots
// (24 steps) are formed from one state.
uint32_t FreshColour(uint32_t* out, int32_t count, uint32_t state) {
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    uint32_t s[24];
    for (int k = 0; k < 24; ++k) {
      s[k] = kJump.a[k] * state + kJump.c[k];
    }
    for (int k = 0; k < 8; ++k) {
      out[i + k] = DotByte(s[3 * k + 2]) << 16 | DotByte(s[3 * k + 1]) << 8 | DotByte(s[3 * k]);
    }
    state = s[23];
  }
  for (; i < count; ++i) {
    const uint32_t sb = Step(state);
    const uint32_t sg = Step(sb);
    state = Step(sg);
    out[i] = DotByte(state) << 16 | DotByte(sg) << 8 | DotByte(sb);
  }
  return state;
}

// out[x] = out[x - period] for x in [from, to): each pixel repeats the one a local
// period to its left, which this pass wrote before. A stretch of up to one period lies
// wholly right of the pixels it repeats, so it moves in one copy. Every written pixel
// has a fourth byte of 0, so the copies need no mask.
void Repeat(uint32_t* row, int32_t from, int32_t to, int32_t period) {
  for (int32_t x = from; x < to;) {
    const int32_t count = std::min(period, to - x);
    std::memcpy(row + x, row + x - period, static_cast<size_t>(count) * sizeof(uint32_t));
    x += count;
  }
}

// The end of the run of pixels from x on whose shift is `sh`. Depth images are mostly
// long stretches of one exact pixel value (black, the text's grey, a flat
// background), so whole values are compared a block at a time (a fixed-size block
// the compiler turns into vector compares) before the shift table decides at the
// first pixel that differs.
int32_t RunEnd(const uint32_t* d, int32_t x, int32_t width, const uint32_t* shift, uint32_t sh) {
  constexpr int32_t kBlock = 16;
  const uint32_t v = d[x];
  int32_t end = x + 1;
  for (;;) {
    while (end + kBlock <= width) {
      uint32_t differ = 0;
      for (int32_t k = 0; k < kBlock; ++k) {
        differ |= d[end + k] ^ v;
      }
      if (differ != 0) {
        break;
      }
      end += kBlock;
    }
    while (end < width && d[end] == v) {
      ++end;
    }
    if (end == width || shift[d[end] & 0xFF] != sh) {
      return end;
    }
    ++end;
  }
}

// Step 1 for one row, D = max(B, T), which also tells whether the whole row is one
// value: such a row (all of a flat picture, most rows of a text line) is one run.
bool MergeRow(uint32_t* d, const uint32_t* t, int32_t width) {
  const uint32_t first = std::max(d[0], t[0]);
  uint32_t differ = 0;
  for (int32_t x = 0; x < width; ++x) {
    // A select by mask rather than std::max, which GCC leaves as a branch for
    // unsigned values on plain SSE2 instead of vectorising it.
    const uint32_t take_text = 0u - static_cast<uint32_t>(t[x] > d[x]);
    const uint32_t v = (d[x] & ~take_text) | (t[x] & take_text);
    d[x] = v;
    differ |= v ^ first;
  }
  return differ == 0;
}

}  // namespace

uint32_t StereogramPeriod(const StereogramParams& params) {
  const int32_t pw = params.parallax_width;
  if (!params.reverse) {
    return static_cast<uint32_t>(pw);
  }
  const int32_t divisor = FitDivisor(params.depth_divisor);
  // Signed arithmetic, truncating toward zero, as the stored settings were always
  // interpreted; the product is formed in 64 bits so that no parallax width from a
  // settings file can overflow it, and then taken modulo 2^32 like the period itself.
  const int64_t shift = (static_cast<int64_t>(pw) * 255 / 256) / divisor;
  return static_cast<uint32_t>(static_cast<int64_t>(pw) - shift);
}

uint32_t FitPeriod(uint32_t period, int32_t width) {
  if (width < 1) {
    return 0;
  }
  return std::clamp<uint32_t>(period, 1, static_cast<uint32_t>(width));
}

int32_t FitDivisor(int32_t depth_divisor) { return depth_divisor < 1 ? 1 : depth_divisor; }

std::array<GuideRect, 2> GuideMarkRects(int32_t width, uint32_t period, uint32_t text_depth,
                                        bool reverse, int32_t depth_divisor) {
  const uint32_t divisor = static_cast<uint32_t>(FitDivisor(depth_divisor));
  const uint32_t t = reverse ? text_depth ^ 0xFFu : text_depth;
  const uint32_t q = period - ((t * period) >> 8) / divisor;
  const uint32_t w = static_cast<uint32_t>(width);
  const auto left = static_cast<int32_t>((w - q) >> 1);
  const auto right = static_cast<int32_t>((w + q) >> 1);
  return {GuideRect{left - 4, 5, left + 4, 15}, GuideRect{right - 4, 5, right + 4, 15}};
}

uint32_t SynthesizeStereogram(int32_t width, int32_t height, uint32_t* depth, const uint32_t* text,
                              uint32_t* out, StereogramParams params, DotGenerator& generator) {
  if (width < 1 || height < 1) {
    return 0;
  }
  const uint32_t period = FitPeriod(StereogramPeriod(params), width);
  const auto divisor = static_cast<uint32_t>(FitDivisor(params.depth_divisor));
  const bool grey = params.dot_mode == 1;

  // The shift of every depth byte, reversal included: one table per frame instead of
  // a multiplication and a division per pixel.
  uint32_t shift[256];
  for (uint32_t d = 0; d < 256; ++d) {
    const uint32_t byte = params.reverse ? d ^ 0xFFu : d;
    shift[d] = ((byte * period) >> 8) / divisor;
  }

  uint32_t state = generator.State();
  const size_t stride = static_cast<size_t>(width);
  for (int32_t r = 0; r < height; ++r) {
    uint32_t* d = depth + static_cast<size_t>(r) * stride;
    const uint32_t* t = text + static_cast<size_t>(r) * stride;
    uint32_t* s = out + static_cast<size_t>(r) * stride;

    const bool uniform = MergeRow(d, t, width);

    // The row as runs of equal shift. Within a run the rule is fixed: while the hold
    // is above the shift the pixels get fresh dots (the surface behind a fall is
    // hidden), then pixels closer to the left edge than one local period get fresh
    // dots, and the rest repeat the pixel one local period to their left.
    uint32_t hold = shift[d[0] & 0xFF];
    int32_t x = 0;
    while (x < width) {
      const uint32_t sh = shift[d[x] & 0xFF];
      const int32_t end = uniform ? width : RunEnd(d, x, width, shift, sh);
      if (hold > sh) {
        const int32_t hidden =
            static_cast<int32_t>(std::min<uint32_t>(hold - sh, static_cast<uint32_t>(end - x)));
        state = grey ? FreshGrey(s + x, hidden, state) : FreshColour(s + x, hidden, state);
        hold -= static_cast<uint32_t>(hidden);
        x += hidden;
      }
      if (x < end) {
        hold = sh;
        const auto local = static_cast<int32_t>(period - sh);
        const int32_t fresh_end = std::min(end, std::max(x, local));
        if (fresh_end > x) {
          state = grey ? FreshGrey(s + x, fresh_end - x, state)
                       : FreshColour(s + x, fresh_end - x, state);
        }
        Repeat(s, fresh_end, end, local);
        x = end;
      }
    }
  }
  generator.Seed(state);
  return period;
}
