// Makes one stereogram through the installed libraries and writes it as a PNG:
//   consumer OUT.png
// Exit code 0 when written and every row repeats with the period on the flat ground.
#include <cstdio>
#include <vector>

#include "images/image_file.h"
#include "stereogram/stereogram.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  constexpr int32_t kWidth = 320;
  constexpr int32_t kHeight = 120;
  // A raised square in the middle of flat ground.
  std::vector<uint32_t> depth(kWidth * kHeight, 0);
  for (int32_t y = 40; y < 80; ++y) {
    for (int32_t x = 140; x < 180; ++x) depth[y * kWidth + x] = 200;
  }
  const std::vector<uint32_t> text(depth.size(), 0);
  std::vector<uint32_t> out(depth.size());
  DotGenerator generator(1);
  const uint32_t period = SynthesizeStereogram(kWidth, kHeight, depth.data(), text.data(),
                                               out.data(), StereogramParams{}, generator);
  // The bottom row is all ground: each dot repeats one period to its right.
  for (int32_t x = 0; x + static_cast<int32_t>(period) < kWidth; ++x) {
    if (period == 0 || out[x] != out[x + period]) return 1;
  }
  std::vector<uint8_t> rgb;
  for (int32_t y = kHeight - 1; y >= 0; --y) {  // PNG rows go top down
    for (int32_t x = 0; x < kWidth; ++x) {
      const uint32_t pixel = out[y * kWidth + x];
      rgb.insert(rgb.end(), {static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                             static_cast<uint8_t>(pixel)});
    }
  }
  const PngBytes png = EncodePng({kWidth, kHeight, rgb.data()});
  std::FILE* file = std::fopen(argv[1], "wb");
  if (png.size == 0 || file == nullptr) return 1;
  const bool written = std::fwrite(png.data.get(), 1, png.size, file) == png.size;
  if (std::fclose(file) != 0 || !written) return 1;
  std::printf("stereogram %dx%d, period %u: %s\n", kWidth, kHeight, period, argv[1]);
  return 0;
}
