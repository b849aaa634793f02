// One 960 x 320 frame of the stereogram for every kind of depth picture, grey and colour
// dots, reversed and not: the production code beside the plain rendition (a division
// per pixel), both in the same iteration.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdint>
#include <string>
#include <vector>

#include "stereogram/stereogram.h"
#include "tests/stereogram/depth_pictures.h"
#include "tests/stereogram/stereogram_reference.h"

namespace {

constexpr int32_t kWidth = 960;
constexpr int32_t kHeight = 320;

// The processor time of this thread: on a machine shared with other work, the time the
// thread was not running counts for neither rendition.
double Seconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Both renditions one after the other in every iteration, each timed on its own: on a
// shared machine whose speed drifts, their ratio is steadier than that of two separate
// benchmarks run a second apart. The depth image is rebuilt from the background before
// each, as the board does every frame.
void BM_Speedup(benchmark::State& state, depth_pictures::Kind kind, uint32_t dot_mode,
                bool reverse) {
  const size_t n = static_cast<size_t>(kWidth) * kHeight;
  std::vector<uint32_t> background(n), text(n), depth(n), out(n);
  depth_pictures::Make(kind, kWidth, kHeight, background.data(), text.data());
  StereogramParams p;
  p.dot_mode = dot_mode;
  p.reverse = reverse;
  DotGenerator g(1);
  uint32_t seed = 1;
  double plain = 0;
  double fast = 0;
  for (auto _ : state) {
    depth = background;
    const double t0 = Seconds();
    reference::Synthesize(kWidth, kHeight, depth.data(), text.data(), out.data(), p, seed);
    benchmark::ClobberMemory();
    const double t1 = Seconds();
    depth = background;
    const double t2 = Seconds();
    SynthesizeStereogram(kWidth, kHeight, depth.data(), text.data(), out.data(), p, g);
    benchmark::ClobberMemory();
    const double t3 = Seconds();
    plain += t1 - t0;
    fast += t3 - t2;
  }
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["plain_us"] = 1e6 * plain / iterations;
  state.counters["synthesis_us"] = 1e6 * fast / iterations;
  state.counters["speedup"] = plain / fast;
}

}  // namespace

int main(int argc, char** argv) {
  for (size_t k = 0; k < std::size(depth_pictures::kKinds); ++k) {
    for (uint32_t mode : {1u, 2u}) {
      for (bool reverse : {false, true}) {
        const std::string name = std::string("BM_Speedup/") + depth_pictures::kNames[k] +
                                 (mode == 1 ? "_grey" : "_colour") + (reverse ? "_reversed" : "");
        benchmark::RegisterBenchmark(name.c_str(), BM_Speedup, depth_pictures::kKinds[k], mode,
                                     reverse)
            ->Unit(benchmark::kMicrosecond);
      }
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
