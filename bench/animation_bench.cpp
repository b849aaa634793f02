// The animation as parallux-still writes it, GIF and WebP, grey dots and colour: the
// file's size and the wall time of the whole run (depth read, frames made, encoded and
// written), as a user waits for it. The depth picture is the argument: the board's
// hidden text, a line of IPA Gothic at 80 points in grey 200 on 960 x 320 black, made
// with ImageMagick's convert (-annotate '立体視の隠し文字' -depth 8).
//   animation_bench depth.png [--frames N] [benchmark flags]
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "still/commands.h"

namespace {

double WallSeconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_Animation(benchmark::State& state, const std::string& depth, uint64_t frames,
                  const char* out, uint32_t dot_mode) {
  StillOptions options;
  options.depth_path = depth;
  options.out_path = out;
  options.parallax_width = 100;
  options.seed = 1;
  options.dot_mode = dot_mode;
  options.frames = frames;
  options.quiet = true;
  double seconds = 0;
  for (auto _ : state) {
    const double start = WallSeconds();
    const CommandEnd end = RunAnimation(options);
    seconds += WallSeconds() - start;
    if (end.code != still_exit::kWritten) state.SkipWithError(end.message.c_str());
  }
  const auto bytes = static_cast<double>(std::filesystem::file_size(out));
  state.counters["MB"] = bytes / 1e6;  // 10^6 bytes
  state.counters["s"] = seconds / static_cast<double>(state.iterations());
  state.counters["KB_per_frame"] = bytes / 1e3 / static_cast<double>(frames);
  std::filesystem::remove(out);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  uint64_t frames = 150;  // 10 seconds at the board's 15 frames a second
  if (argc >= 4 && std::strcmp(argv[2], "--frames") == 0) frames = std::stoull(argv[3]);
  if (argc < 2) {
    std::fprintf(stderr, "usage: animation_bench DEPTH_IMAGE [--frames N] [benchmark flags]\n");
    return 2;
  }
  const std::string depth = argv[1];
  for (const char* out : {"animation_bench.gif", "animation_bench.webp"}) {
    for (const uint32_t dot_mode : {1u, 2u}) {
      const std::string name =
          std::string("BM_Animation/") + (out + 16) + (dot_mode == 1 ? "_grey" : "_colour");
      benchmark::RegisterBenchmark(name.c_str(), BM_Animation, depth, frames, out, dot_mode)
          ->Iterations(1)
          ->UseRealTime()
          ->Unit(benchmark::kSecond);
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
