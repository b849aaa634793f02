#include "stereogram/stereogram.h"

#include <algorithm>
#include <cstring>

namespace {

// Four pixels at a time in the compiler's portable vector type: SSE2 on every x86
// target, the same code elsewhere.
using Pixels4 = uint32_t __attribute__((vector_size(16)));
using Signed4 = int32_t __attribute__((vector_size(16)));

Pixels4 Load4(const uint32_t* p) {
  Pixels4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void Store4(uint32_t* p, Pixels4 v) { std::memcpy(p, &v, sizeof v); }

// A bit for each lane that is set (lanes are 0 or all ones): one instruction on SSE2.
uint32_t LaneBits(Signed4 v) {
#if defined(__SSE2__)
  using Float4 = float __attribute__((vector_size(16)));
  return static_cast<uint32_t>(__builtin_ia32_movmskps(reinterpret_cast<Float4>(v)));
#else
  v &= Signed4{1, 2, 4, 8};
  v |= __builtin_shufflevector(v, v, 2, 3, 0, 1);
  v |= __builtin_shufflevector(v, v, 1, 0, 3, 2);
  return static_cast<uint32_t>(v[0]);
#endif
}

// The dots come in batches formed from one generator state by jump-ahead: step k from
// state s is A_k * s + C_k (mod 2^32), so the steps of a batch are independent
// multiplications instead of one chain, and the sequence is exactly DotGenerator's.
constexpr int32_t kBatch = 128;

struct JumpTable {
  uint32_t a[3 * kBatch + 1];
  uint32_t c[3 * kBatch + 1];
};

constexpr JumpTable MakeJumpTable() {
  JumpTable j{};
  j.a[0] = 1;
  for (int k = 1; k <= 3 * kBatch; ++k) {
    j.a[k] = j.a[k - 1] * DotGenerator::kMultiplier;
    j.c[k] = j.c[k - 1] * DotGenerator::kMultiplier + DotGenerator::kIncrement;
  }
  return j;
}

constexpr JumpTable kJump = MakeJumpTable();

inline uint32_t DotByte(uint32_t state) { return (state >> 16) & 0xFF; }

// The frame's fresh dots in generator order: grey ones take one step each, colour ones
// three (blue, then green, then red).
class DotStream {
 public:
  DotStream(uint32_t state, bool grey) : base_(state), steps_(grey ? 1 : 3) { Fill(); }

  // The next `count` dots or more, to be taken with Skip. A batch formed anew from the
  // current state holds the same dots, so none are lost.
  const uint32_t* Reserve(int32_t count) {
    if (used_ + count > kBatch) Next();
    return batch_ + used_;
  }
  void Skip(int32_t count) { used_ += count; }

  void Take(uint32_t* out, int32_t count) {
    if (used_ + count <= kBatch) {
      // Most often one dot or a few, behind a small fall in depth: no call to memcpy.
      for (int32_t i = 0; i < count; ++i) out[i] = batch_[used_ + i];
      used_ += count;
      return;
    }
    while (count > 0) {
      const int32_t n = std::min(count, kBatch - used_);
      std::memcpy(out, batch_ + used_, static_cast<size_t>(n) * sizeof(uint32_t));
      out += n;
      count -= n;
      used_ += n;
      if (used_ == kBatch) Next();
    }
  }

  // The generator's state after the dots taken so far.
  uint32_t State() const {
    const int32_t k = used_ * steps_;
    return kJump.a[k] * base_ + kJump.c[k];
  }

 private:
  void Next() {
    base_ = State();
    used_ = 0;
    Fill();
  }

  // Four chains, each four dots ahead at a time: scalar multiplications, which SSE2
  // has no vector form of for 32 bits.
  void Fill() {
    const int32_t jump = 4 * steps_;
    uint32_t chain[4];
    for (int32_t j = 0; j < 4; ++j) chain[j] = kJump.a[j * steps_] * base_ + kJump.c[j * steps_];
    if (steps_ == 1) {
      for (int32_t i = 0; i < kBatch; i += 4) {
        for (int32_t j = 0; j < 4; ++j) {
          batch_[i + j] = DotByte(kJump.a[1] * chain[j] + kJump.c[1]) * 0x010101u;
          chain[j] = kJump.a[jump] * chain[j] + kJump.c[jump];
        }
      }
      return;
    }
    for (int32_t i = 0; i < kBatch; i += 4) {
      for (int32_t j = 0; j < 4; ++j) {
        const uint32_t s = chain[j];
        batch_[i + j] = DotByte(kJump.a[3] * s + kJump.c[3]) << 16 |
                        DotByte(kJump.a[2] * s + kJump.c[2]) << 8 |
                        DotByte(kJump.a[1] * s + kJump.c[1]);
        chain[j] = kJump.a[jump] * s + kJump.c[jump];
      }
    }
  }

  uint32_t base_;
  int32_t steps_;
  int32_t used_ = 0;
  uint32_t batch_[kBatch];
};

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

// Step 1 for one row, D = max(B, T). Most of a frame has no text, and there the
// background stays as it is: sixteen pixels of text are tested for 0 at a time.
void MergeRow(uint32_t* d, const uint32_t* t, int32_t width) {
  auto merge4 = [&](int32_t x) {
    const Pixels4 dv = Load4(d + x);
    const Pixels4 tv = Load4(t + x);
    Store4(d + x, tv > dv ? tv : dv);
  };
  int32_t x = 0;
  for (; x + 16 <= width; x += 16) {
    const Pixels4 text = Load4(t + x) | Load4(t + x + 4) | Load4(t + x + 8) | Load4(t + x + 12);
    if (LaneBits(reinterpret_cast<Signed4>(text == 0)) == 0xF) continue;
    for (int32_t i = x; i < x + 16; i += 4) merge4(i);
  }
  for (; x + 4 <= width; x += 4) merge4(x);
  for (; x < width; ++x) d[x] = std::max(d[x], t[x]);
}

// Per frame: the shift of every depth byte, and the bytes that share it (a shift is
// monotonic in the byte, so they form one interval).
struct ShiftTable {
  uint32_t shift[256];
  int32_t low[256];
  int32_t high[256];
};

// A bit for each of the four pixels from d on whose depth byte lies outside [low, high].
uint32_t OutsideLanes(const uint32_t* d, Signed4 low, Signed4 high) {
  const auto bytes = reinterpret_cast<Signed4>(Load4(d) & 0xFF);
  return LaneBits((bytes < low) | (bytes > high));
}

// The end of the run of pixels from x on whose depth bytes lie in [low, high], that is
// whose shift is that of pixel x (a shift is monotonic in the byte). With kCopy the run
// is also copied from one local period (4 or more) to the left as it is scanned, four
// pixels before they are known to belong to it: those past its end are written again
// in their turn.
template <bool kCopy>
int32_t ScanRun(const uint32_t* d, uint32_t* row, int32_t x, int32_t width, int32_t low,
                int32_t high, int32_t local) {
  const Signed4 lo = Signed4{} + low;
  const Signed4 hi = Signed4{} + high;
  auto copy4 = [&](int32_t at) {
    if (kCopy) Store4(row + at, Load4(row + at - local));
  };
  // Text and flat ground hold one exact value for long stretches: sixteen pixels are
  // compared with it at a time. A depth map's slopes change value every pixel or few:
  // there the interval is tested four pixels at a time.
  int32_t end = x;
  const Pixels4 value = Pixels4{} + d[x];
  while (end + 16 <= width && d[end + 15] == d[x]) {
    const Pixels4 same = (Load4(d + end) == value) & (Load4(d + end + 4) == value) &
                         (Load4(d + end + 8) == value) & (Load4(d + end + 12) == value);
    if (LaneBits(reinterpret_cast<Signed4>(same)) != 0xF) break;
    for (int32_t i = end; i < end + 16; i += 4) copy4(i);
    end += 16;
  }
  for (; end + 4 <= width; end += 4) {
    const uint32_t lanes = OutsideLanes(d + end, lo, hi);
    copy4(end);
    if (lanes != 0) return end + __builtin_ctz(lanes);
  }
  for (; end < width && static_cast<int32_t>(d[end] & 0xFF) >= low &&
         static_cast<int32_t>(d[end] & 0xFF) <= high;
       ++end) {
    if (kCopy) row[end] = row[end - local];
  }
  return end;
}

// Copies as Repeat does; short stretches four pixels at a time inline, which a call
// to memcpy would cost more than. The last four may reach past `to` (not past the
// row): those pixels are written again in their turn.
void RepeatShort(uint32_t* row, int32_t from, int32_t to, int32_t period, int32_t width) {
  if (period < 4 || to - from >= 64 || to + 3 > width) {
    Repeat(row, from, to, period);
    return;
  }
  for (int32_t x = from; x < to; x += 4) Store4(row + x, Load4(row + x - period));
}

// Pixel by pixel, for rows whose shift changes nearly every pixel (noise): no branch
// depends on the picture. `far` is the farthest e = x + s(x) of the pixels left of x,
// or W - 1 if that is farther.
void PixelRow(const uint32_t* d, uint32_t* row, int32_t from, int32_t width, uint32_t period,
              const ShiftTable& table, DotStream& dots, uint32_t far) {
  for (int32_t x = from; x < width;) {
    // Locals, not the stream's members: stores to the row could alias those.
    const uint32_t* next = dots.Reserve(8);
    int32_t taken = 0;
    auto pixel = [&](int32_t at) {
      const uint32_t e = static_cast<uint32_t>(at) + table.shift[d[at] & 0xFF];
      // far >= e, and max(far, e), without a branch: where the pixels alternate between
      // fresh and linked at random, a branch would be mispredicted half the time.
      // All ones where e lies beyond far (both stay far below 2^31): a repeat.
      const uint32_t keep = static_cast<uint32_t>(static_cast<int32_t>(far - e) >> 31);
      far = std::max(far, e);
      const uint32_t dot = next[taken];
      row[at] = dot ^ ((row[(e - period) & keep] ^ dot) & keep);
      taken += static_cast<int32_t>(keep + 1);
    };
    if (x + 8 <= width) {
#pragma GCC unroll 8
      for (int32_t i = 0; i < 8; ++i) pixel(x + i);
      x += 8;
    } else {
      for (; x < width; ++x) pixel(x);
    }
    dots.Skip(taken);
  }
}

// A row as runs of pixels that share a shift s. With e = x + s, a pixel is fresh if
// e <= far (hidden behind a nearer pixel to its left, or within one local period of
// the left edge), else it repeats the pixel at e - W: this is the hold rule, with the
// hold stated as how far the row's pixels already reach. Within a run e grows by one
// a pixel, so a run is some fresh dots and then one stretch of repeats.
void SynthesizeRow(const uint32_t* d, uint32_t* row, int32_t width, uint32_t period,
                   const ShiftTable& table, DotStream& dots) {
  uint32_t far = period - 1;
  int32_t runs = 0;
  int32_t x = 0;
  while (x < width) {
    if (++runs > 16 && runs * 4 > x) {
      // Runs of a few pixels (noise): pixel by pixel is cheaper.
      PixelRow(d, row, x, width, period, table, dots, far);
      return;
    }
    const uint32_t byte = d[x] & 0xFF;
    const uint32_t shift = table.shift[byte];
    const auto local = static_cast<int32_t>(period - shift);
    const int32_t low = table.low[byte];
    const int32_t high = table.high[byte];
    // The pixels from x on that are fresh while the run lasts (e <= far). Row-wide
    // values stay far below 2^31, so the difference is taken signed.
    const auto hidden = static_cast<int32_t>(far + 1 - (static_cast<uint32_t>(x) + shift));
    if (hidden <= 0 && local >= 4) {
      // Beyond far from its first pixel on: the whole run repeats.
      x = ScanRun<true>(d, row, x, width, low, high, local);
      far = static_cast<uint32_t>(x - 1) + shift;
      continue;
    }
    const int32_t end = ScanRun<false>(d, row, x, width, low, high, local);
    const int32_t fresh = std::clamp(hidden, 0, end - x);
    dots.Take(row + x, fresh);
    x += fresh;
    if (x < end) {
      RepeatShort(row, x, end, local, width);
      far = static_cast<uint32_t>(end - 1) + shift;
      x = end;
    }
  }
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

  ShiftTable table;
  for (int32_t d = 0; d < 256; ++d) {
    const uint32_t byte =
        params.reverse ? static_cast<uint32_t>(d) ^ 0xFFu : static_cast<uint32_t>(d);
    table.shift[d] = ((byte * period) >> 8) / divisor;
    table.low[d] = d > 0 && table.shift[d - 1] == table.shift[d] ? table.low[d - 1] : d;
  }
  for (int32_t d = 255; d >= 0; --d) {
    table.high[d] = d < 255 && table.shift[d + 1] == table.shift[d] ? table.high[d + 1] : d;
  }

  DotStream dots(generator.State(), params.dot_mode == 1);
  const size_t stride = static_cast<size_t>(width);
  for (int32_t r = 0; r < height; ++r) {
    uint32_t* d = depth + static_cast<size_t>(r) * stride;
    const uint32_t* t = text + static_cast<size_t>(r) * stride;
    uint32_t* s = out + static_cast<size_t>(r) * stride;
    MergeRow(d, t, width);
    SynthesizeRow(d, s, width, period, table, dots);
  }
  generator.Seed(dots.State());
  return period;
}
