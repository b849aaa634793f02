// One 960 x 320 frame of the stereogram, production code beside the plain rendition
// (a division per pixel), for flat and text-like depth, grey and colour dots.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdint>
#include <vector>

#include "stereogram/stereogram.h"
#include "tests/stereogram/stereogram_reference.h"

namespace {

constexpr int32_t kWidth = 960;
constexpr int32_t kHeight = 320;

enum class Depth { kFlat, kText };

struct Frame {
  std::vector<uint32_t> depth = std::vector<uint32_t>(kWidth * kHeight, 0);
  std::vector<uint32_t> text = std::vector<uint32_t>(kWidth * kHeight, 0);
  std::vector<uint32_t> out = std::vector<uint32_t>(kWidth * kHeight, 0);
};

// Text-like depth: a 200-pixel line of glyphs at depth 200 on black, strokes 20 to 30
// pixels wide with gaps, as the board's text layer gives it.
Frame MakeFrame(Depth kind) {
  Frame f;
  if (kind == Depth::kText) {
    DotGenerator g(99);
    for (int32_t glyph = 0; glyph < 9; ++glyph) {
      const int32_t x0 = 40 + glyph * 100;
      for (int32_t stroke = 0; stroke < 3; ++stroke) {
        const int32_t sx = x0 + static_cast<int32_t>(g.NextValue() % 70);
        const int32_t sw = 20 + static_cast<int32_t>(g.NextValue() % 10);
        const int32_t sy = 60 + static_cast<int32_t>(g.NextValue() % 100);
        const int32_t sh = 20 + static_cast<int32_t>(g.NextValue() % 100);
        for (int32_t y = sy; y < sy + sh && y < kHeight; ++y) {
          for (int32_t x = sx; x < sx + sw && x < kWidth; ++x) f.text[y * kWidth + x] = 0xC8C8C8;
        }
      }
    }
  }
  return f;
}

StereogramParams Params(uint32_t dot_mode) {
  StereogramParams p;
  p.dot_mode = dot_mode;
  return p;
}

void BM_Synthesize(benchmark::State& state, Depth kind, uint32_t dot_mode) {
  Frame f = MakeFrame(kind);
  DotGenerator g(1);
  for (auto _ : state) {
    SynthesizeStereogram(kWidth, kHeight, f.depth.data(), f.text.data(), f.out.data(),
                         Params(dot_mode), g);
    benchmark::DoNotOptimize(f.out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_Plain(benchmark::State& state, Depth kind, uint32_t dot_mode) {
  Frame f = MakeFrame(kind);
  uint32_t seed = 1;
  for (auto _ : state) {
    reference::Synthesize(kWidth, kHeight, f.depth.data(), f.text.data(), f.out.data(),
                          Params(dot_mode), seed);
    benchmark::DoNotOptimize(f.out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

// Both renditions one after the other in every iteration, each timed on its own: on a
// shared machine whose speed drifts, their ratio is steadier than that of two separate
// benchmarks run a second apart.
double Seconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_Speedup(benchmark::State& state, Depth kind, uint32_t dot_mode) {
  Frame f = MakeFrame(kind);
  DotGenerator g(1);
  uint32_t seed = 1;
  double plain = 0;
  double fast = 0;
  for (auto _ : state) {
    const double t0 = Seconds();
    reference::Synthesize(kWidth, kHeight, f.depth.data(), f.text.data(), f.out.data(),
                          Params(dot_mode), seed);
    benchmark::ClobberMemory();
    const double t1 = Seconds();
    SynthesizeStereogram(kWidth, kHeight, f.depth.data(), f.text.data(), f.out.data(),
                         Params(dot_mode), g);
    benchmark::ClobberMemory();
    const double t2 = Seconds();
    plain += t1 - t0;
    fast += t2 - t1;
  }
  state.counters["plain_us"] = 1e6 * plain / static_cast<double>(state.iterations());
  state.counters["synthesis_us"] = 1e6 * fast / static_cast<double>(state.iterations());
  state.counters["speedup"] = plain / fast;
}

BENCHMARK_CAPTURE(BM_Synthesize, flat_grey, Depth::kFlat, 1u)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Plain, flat_grey, Depth::kFlat, 1u)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Synthesize, flat_colour, Depth::kFlat, 2u)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Plain, flat_colour, Depth::kFlat, 2u)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Synthesize, text_grey, Depth::kText, 1u)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Plain, text_grey, Depth::kText, 1u)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Synthesize, text_colour, Depth::kText, 2u)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Plain, text_colour, Depth::kText, 2u)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Speedup, flat_grey, Depth::kFlat, 1u)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Speedup, flat_colour, Depth::kFlat, 2u)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Speedup, text_grey, Depth::kText, 1u)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Speedup, text_colour, Depth::kText, 2u)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
