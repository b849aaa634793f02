#include "stereogram/stereogram.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// Pixels four at a time, and 16-bit words eight at a time, in the compiler's portable
// vector types: SSE2 on every x86 target, the same code elsewhere.
using Pixels4 = uint32_t __attribute__((vector_size(16)));
using Signed4 = int32_t __attribute__((vector_size(16)));
using Words8 = uint16_t __attribute__((vector_size(16)));
using SignedWords8 = int16_t __attribute__((vector_size(16)));

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

// The upper 16 bits of each 16 x 16-bit product: one instruction on SSE2.
Words8 MulHigh(Words8 a, Words8 b) {
#if defined(__SSE2__)
  return reinterpret_cast<Words8>(__builtin_ia32_pmulhuw128(reinterpret_cast<SignedWords8>(a),
                                                            reinterpret_cast<SignedWords8>(b)));
#else
  Words8 high;
  for (int i = 0; i < 8; ++i) high[i] = static_cast<uint16_t>((uint32_t{a[i]} * b[i]) >> 16);
  return high;
#endif
}

// The dots come in batches formed from one generator state s by jump-ahead: step k from
// s is A_k * s + C_k (mod 2^32), so the steps of a batch are independent of each other
// instead of one chain, and the sequence is exactly DotGenerator's.
constexpr int32_t kBatch = 128;  // dots, a multiple of 8

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

// A dot byte is bits 16-23 of a state, and those depend only on the low 24 bits of
// A_k, s and C_k. Split each into a low 16-bit half and the byte above it:
//   bits 16-23 of A_k * s + C_k = hi16(aL * sL) + carry(lo16(aL * sL) + cL)
//                                 + aL * sH + aH * sL + cH   (mod 256)
// so eight steps take a few 16-bit vector multiplications. Eight steps side by side,
// each word of the table in the order its lanes are used: cL is kept with its top bit
// flipped, which turns the unsigned carry test into SSE2's signed compare.
struct StepLanes {
  uint16_t a_low[8];
  uint16_t a_high[8];
  uint16_t c_low_flipped[8];
  uint16_t c_high[8];
};

// Grey dots take steps 1, 2, 3, ... of a batch; colour dots take three steps each, so
// the blue, green and red bytes of eight dots are three sets of lanes.
constexpr int32_t kGreyLanes = kBatch / 8;
constexpr int32_t kColourLanes = 3 * kBatch / 8;

template <int32_t kSets>
struct StepTable {
  StepLanes set[kSets];
};

template <int32_t kSets>
constexpr StepTable<kSets> MakeStepTable(bool colour) {
  StepTable<kSets> t{};
  for (int32_t n = 0; n < kSets; ++n) {
    for (int32_t lane = 0; lane < 8; ++lane) {
      // Colour: set 3g + q holds byte q (blue, green, red) of dots 8g to 8g + 7.
      const int32_t step = colour ? 3 * (8 * (n / 3) + lane) + n % 3 + 1 : 8 * n + lane + 1;
      const uint32_t a = kJump.a[step];
      const uint32_t c = kJump.c[step];
      t.set[n].a_low[lane] = static_cast<uint16_t>(a);
      t.set[n].a_high[lane] = static_cast<uint16_t>((a >> 16) & 0xFF);
      t.set[n].c_low_flipped[lane] = static_cast<uint16_t>(c ^ 0x8000u);
      t.set[n].c_high[lane] = static_cast<uint16_t>((c >> 16) & 0xFF);
    }
  }
  return t;
}

constexpr StepTable<kGreyLanes> kGreySteps = MakeStepTable<kGreyLanes>(false);
constexpr StepTable<kColourLanes> kColourSteps = MakeStepTable<kColourLanes>(true);

Words8 LoadWords(const uint16_t* p) {
  Words8 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Eight dot bytes, each in the low byte of its word (the byte above is not cleared).
Words8 DotBytes(const StepLanes& steps, Words8 s_low, Words8 s_high) {
  const Words8 a_low = LoadWords(steps.a_low);
  const Words8 c_low_flipped = LoadWords(steps.c_low_flipped);
  const Words8 sum_flipped = a_low * s_low + c_low_flipped;
  const auto carry = reinterpret_cast<Words8>(reinterpret_cast<SignedWords8>(c_low_flipped) >
                                              reinterpret_cast<SignedWords8>(sum_flipped));
  return MulHigh(a_low, s_low) + a_low * s_high + LoadWords(steps.a_high) * s_low +
         LoadWords(steps.c_high) - carry;
}

// Pixels from the low words of `low` and the low bytes of `high`: low | high << 16.
void StorePixels(uint32_t* out, Words8 low, Words8 high) {
  high &= 0xFF;
  Store4(out,
         reinterpret_cast<Pixels4>(__builtin_shufflevector(low, high, 0, 8, 1, 9, 2, 10, 3, 11)));
  Store4(out + 4,
         reinterpret_cast<Pixels4>(__builtin_shufflevector(low, high, 4, 12, 5, 13, 6, 14, 7, 15)));
}

// The frame's fresh dots in generator order: grey ones take one step each, colour ones
// three (blue, then green, then red).
class DotStream {
 public:
  DotStream(uint32_t state, bool grey) : base_(state), grey_(grey) { Fill(); }

  const uint32_t* Batch() const { return batch_; }

  // Starts a new batch after the first `used` dots of this one, which were taken. The
  // dots not taken come again at the head of the new batch, so none are lost.
  void Refill(int32_t used) {
    base_ = State(used);
    Fill();
  }

  // The generator's state after the first `used` dots of the batch.
  uint32_t State(int32_t used) const {
    const int32_t k = grey_ ? used : 3 * used;
    return kJump.a[k] * base_ + kJump.c[k];
  }

 private:
  void Fill() {
    const Words8 s_low = Words8{} + static_cast<uint16_t>(base_);
    const Words8 s_high = Words8{} + static_cast<uint16_t>((base_ >> 16) & 0xFF);
    for (int32_t g = 0; g < kBatch / 8; ++g) {
      if (grey_) {
        const Words8 v = DotBytes(kGreySteps.set[g], s_low, s_high) & 0xFF;
        StorePixels(batch_ + 8 * g, v | v << 8, v);
      } else {
        const Words8 blue = DotBytes(kColourSteps.set[3 * g], s_low, s_high) & 0xFF;
        const Words8 green = DotBytes(kColourSteps.set[3 * g + 1], s_low, s_high);
        const Words8 red = DotBytes(kColourSteps.set[3 * g + 2], s_low, s_high);
        StorePixels(batch_ + 8 * g, blue | green << 8, red);
      }
    }
  }

  uint32_t base_;
  bool grey_;
  alignas(16) uint32_t batch_[kBatch];
};

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

// The run of pixels that share the shift of one depth byte: the shift, and the interval
// of bytes that give it (a shift is monotonic in the byte) in a form that takes one add
// and one signed compare to test, four pixels at a time: a byte b lies outside it
// exactly when b + bias > limit, with bias = INT_MIN - low and limit = INT_MIN + (high -
// low), wrapping. Built once per frame for every byte, lanes already filled, so that a
// new run costs one lookup.
struct Run {
  Pixels4 bias;
  Signed4 limit;
  uint32_t shift;

  // Lanes set for each of the four pixels from d on that lie outside the run.
  Signed4 Outside(const uint32_t* d) const {
    return reinterpret_cast<Signed4>((Load4(d) & 0xFF) + bias) > limit;
  }
  bool Contains(uint32_t pixel) const {
    return static_cast<int32_t>((pixel & 0xFF) + bias[0]) <= limit[0];
  }
};

// Per frame, for every depth byte.
struct ShiftTable {
  uint32_t shift[256];
  Run run[256];
};

// A row, with e = x + s(x) for each pixel and `far` the largest e of the pixels left of
// x (or W - 1 if that is larger): pixel x is fresh if e <= far (hidden behind a nearer
// pixel to its left, or within one local period of the left edge), else it repeats the
// pixel at e - W. This is the hold rule, with the hold stated as how far the row's
// pixels already reach.
class RowSynthesis {
 public:
  RowSynthesis(const uint32_t* d, uint32_t* row, int32_t width, uint32_t period,
               const ShiftTable& table, DotStream& dots, int32_t used)
      : d_(d),
        row_(row),
        width_(width),
        period_(period),
        table_(table),
        dots_(dots),
        batch_(dots.Batch()),
        used_(used),
        far_(period - 1) {}

  int32_t Used() const { return used_; }

  // The row as runs of pixels that share a shift s. Within a run e grows by one a
  // pixel, so a run is some fresh dots and then one stretch of repeats: both are
  // written several pixels at a time while the run is scanned for its end.
  void Synthesize() {
    int32_t runs = 0;
    int32_t x = 0;
    while (x < width_) {
      if (++runs > 16 && runs * 4 > x) {
        // Runs of a pixel or two (noise): pixel by pixel is cheaper.
        Pixels(x, width_);
        return;
      }
      const Run& run = table_.run[d_[x] & 0xFF];
      const auto local = static_cast<int32_t>(period_ - run.shift);
      // The pixels from x on that are fresh while the run lasts (e <= far). Row-wide
      // values stay far below 2^31, so the difference is taken signed.
      const auto hidden = static_cast<int32_t>(far_ + 1 - (static_cast<uint32_t>(x) + run.shift));
      if (hidden > 0) {
        x = Fresh(run, x, std::min(width_, x + hidden));
        if (x == width_ || !run.Contains(d_[x])) continue;
      }
      x = local >= 4 ? Repeats(run, x, local) : Pixels(x, x + 1);
    }
  }

 private:
  void Reserve(int32_t count) {
    if (used_ > kBatch - count) {
      dots_.Refill(used_);
      used_ = 0;
    }
  }

  // Fresh dots from x while the run lasts, up to `to`; returns where they end. Four at a
  // time: those past the end are written again in their turn.
  int32_t Fresh(const Run& run, int32_t x, int32_t to) {
    for (; x + 4 <= to; x += 4) {
      const uint32_t outside = LaneBits(run.Outside(d_ + x));
      Reserve(4);
      Store4(row_ + x, Load4(batch_ + used_));
      if (outside != 0) {
        const auto n = static_cast<int32_t>(__builtin_ctz(outside));
        used_ += n;
        return x + n;
      }
      used_ += 4;
    }
    Reserve(4);
    for (; x < to && run.Contains(d_[x]); ++x) row_[x] = batch_[used_++];
    return x;
  }

  // The run from x on repeats the pixels one local period (4 or more) to the left: eight
  // are copied as they are scanned, before they are known to belong to the run; those
  // past its end are written again in their turn. Returns where the run ends.
  int32_t Repeats(const Run& run, int32_t x, int32_t local) {
    // Locals, not members: stores to the row could alias those.
    const uint32_t* d = d_;
    uint32_t* row = row_;
    const int32_t width = width_;
    const Run r = run;
    for (; x + 8 <= width; x += 8) {
      const Signed4 low = r.Outside(d + x);
      const Signed4 high = r.Outside(d + x + 4);
      Store4(row + x, Load4(row + x - local));
      Store4(row + x + 4, Load4(row + x + 4 - local));
      if (LaneBits(low | high) != 0) {
        x += static_cast<int32_t>(__builtin_ctz(LaneBits(low) | LaneBits(high) << 4));
        far_ = static_cast<uint32_t>(x - 1) + r.shift;
        return x;
      }
    }
    for (; x < width && r.Contains(d[x]); ++x) row[x] = row[x - local];
    far_ = static_cast<uint32_t>(x - 1) + r.shift;
    return x;
  }

  // Pixel by pixel from x to `to`, with no branch that depends on the picture: where
  // the pixels alternate between fresh and linked at random, a branch would be
  // mispredicted half the time.
  int32_t Pixels(int32_t x, int32_t to) {
    const uint32_t* d = d_;
    uint32_t* row = row_;
    const uint32_t* shift = table_.shift;
    // Pointer-sized, so that the dot cursor moves by a mask with no widening.
    const auto period = static_cast<intptr_t>(period_);
    auto far = static_cast<intptr_t>(far_);
    const uint32_t* next = nullptr;
    auto pixel = [&](intptr_t at) {
      const intptr_t e = at + static_cast<intptr_t>(shift[d[at] & 0xFF]);
      // All ones where e lies beyond far: a repeat.
      const intptr_t keep = (far - e) >> (sizeof(intptr_t) * CHAR_BIT - 1);
      far = std::max(far, e);
      const uint32_t dot = *next;
      row[at] = dot ^ ((row[(e - period) & keep] ^ dot) & static_cast<uint32_t>(keep));
      next += keep + 1;
    };
    while (x < to) {
      Reserve(8);
      next = batch_ + used_;
      if (x + 8 <= to) {
#pragma GCC unroll 8
        for (int32_t i = 0; i < 8; ++i) pixel(x + i);
        x += 8;
      } else {
        for (; x < to; ++x) pixel(x);
      }
      used_ = static_cast<int32_t>(next - batch_);
    }
    far_ = static_cast<uint32_t>(far);
    return x;
  }

  const uint32_t* d_;
  uint32_t* row_;
  int32_t width_;
  uint32_t period_;
  const ShiftTable& table_;
  DotStream& dots_;
  const uint32_t* batch_;
  int32_t used_;
  uint32_t far_;
};

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
  const uint32_t q = period - DepthShift(t << 8, period, divisor);
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
  int32_t low[256];
  for (int32_t d = 0; d < 256; ++d) {
    const uint32_t byte =
        params.reverse ? static_cast<uint32_t>(d) ^ 0xFFu : static_cast<uint32_t>(d);
    table.shift[d] = DepthShift(byte << 8, period, divisor);
    low[d] = d > 0 && table.shift[d - 1] == table.shift[d] ? low[d - 1] : d;
  }
  int32_t high = 255;
  for (int32_t d = 255; d >= 0; --d) {
    if (d < 255 && table.shift[d + 1] != table.shift[d]) high = d;
    table.run[d].bias =
        Pixels4{} + (static_cast<uint32_t>(INT_MIN) - static_cast<uint32_t>(low[d]));
    table.run[d].limit = Signed4{} + (INT_MIN + (high - low[d]));
    table.run[d].shift = table.shift[d];
  }

  DotStream dots(generator.State(), params.dot_mode == 1);
  int32_t used = 0;
  const size_t stride = static_cast<size_t>(width);
  for (int32_t r = 0; r < height; ++r) {
    uint32_t* d = depth + static_cast<size_t>(r) * stride;
    const uint32_t* t = text + static_cast<size_t>(r) * stride;
    uint32_t* s = out + static_cast<size_t>(r) * stride;
    MergeRow(d, t, width);
    RowSynthesis row(d, s, width, period, table, dots, used);
    row.Synthesize();
    used = row.Used();
  }
  generator.Seed(dots.State(used));
  return period;
}
