// A still as parallux-still makes it, phase by phase: the depth picture decoded, the
// stereogram synthesised (the board's picture, four sub-pixels a pixel, and dots from a
// pattern), and the PNG encoded, with the file's size. Meant for real depth maps, such
// as a 3840 x 2160 16-bit PNG (tools/make_depth16.py makes one).
//   still_bench DEPTH_IMAGE PATTERN_IMAGE [benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "images/image_file.h"
#include "render/pattern.h"
#include "render/still_frame.h"

namespace {

bool Read(const std::string& path, RgbPicture* picture, std::string* why) {
  ImageFile file;
  ImageError error;
  if (file.Open(path, &error) && file.Decode(picture, &error)) return true;
  *why = error.message;
  return false;
}

DepthSource SourceOf(const RgbPicture& picture) {
  return {picture.view(), picture.depth16.empty() ? nullptr : picture.depth16.data()};
}

StillFrame Settings(uint32_t oversample, const Pattern* pattern) {
  StillFrame still;
  still.seed = 1;
  still.oversample = oversample;
  still.pattern = pattern;
  return still;
}

void BM_Decode(benchmark::State& state, const std::string& path) {
  std::string why;
  for (auto _ : state) {
    RgbPicture picture;
    if (!Read(path, &picture, &why)) state.SkipWithError(why.c_str());
    benchmark::DoNotOptimize(picture.pixels.get());
  }
}

// Synthesis, then the PNG of what it made: the two phases a still spends after decoding.
void BM_Still(benchmark::State& state, const RgbPicture* depth, uint32_t oversample,
              const Pattern* pattern, bool encode) {
  std::vector<uint8_t> pixels(static_cast<size_t>(depth->width) * depth->height * 3);
  const RgbView out{depth->width, depth->height, pixels.data()};
  const StillFrame still = Settings(oversample, pattern);
  RenderStill(SourceOf(*depth), still, out);
  size_t bytes = 0;
  for (auto _ : state) {
    if (encode) {
      bytes = EncodePng(out).size;
    } else {
      RenderStill(SourceOf(*depth), still, out);
    }
    benchmark::ClobberMemory();
  }
  if (encode) state.counters["png_bytes"] = static_cast<double>(bytes);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc < 3) {
    std::fputs("usage: still_bench DEPTH_IMAGE PATTERN_IMAGE [benchmark flags]\n", stderr);
    return 2;
  }
  static RgbPicture depth;
  static RgbPicture texture;
  std::string why;
  if (!Read(argv[1], &depth, &why) || !Read(argv[2], &texture, &why)) {
    std::fprintf(stderr, "still_bench: %s\n", why.c_str());
    return 2;
  }
  static const Pattern pattern(texture.view(), FramePeriod(StereogramParams{}, depth.width),
                               depth.height);
  benchmark::RegisterBenchmark("decode", BM_Decode, std::string(argv[1]))
      ->Unit(benchmark::kMillisecond);
  const struct {
    const char* name;
    uint32_t oversample;
    const Pattern* pattern;
  } ways[] = {{"oversample_1", 1, nullptr}, {"oversample_4", 4, nullptr}, {"pattern", 1, &pattern}};
  for (const auto& way : ways) {
    for (const bool encode : {false, true}) {
      benchmark::RegisterBenchmark(
          (std::string(encode ? "encode/" : "synthesis/") + way.name).c_str(), BM_Still, &depth,
          way.oversample, way.pattern, encode)
          ->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
