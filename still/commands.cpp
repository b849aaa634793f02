#include "still/mode_commands.h"

#include <cstdio>
#include <vector>

#include "still/animation.h"
#include "still/image_file.h"
#include "still/reveal.h"
#include "still/still_clock.h"
#include "still/still_output.h"

namespace {

using still_exit::kBadInput;
using still_exit::kFailed;
using still_exit::kWritten;

// Opens and decodes the input picture, or says why not.
bool ReadPicture(const std::string& path, RgbPicture* picture, CommandEnd* end,
                 int32_t narrowest = 1, const std::string& why_narrow = {}) {
  ImageFile file;
  ImageError error;
  if (!file.Open(path, &error)) {
    *end = {kBadInput, error.message};
    return false;
  }
  if (file.width() < narrowest) {
    *end = {kBadInput,
            why_narrow + " is wider than the image (" + std::to_string(file.width()) + " pixels)"};
    return false;
  }
  if (!file.Decode(picture, &error)) {
    *end = {error.out_of_memory ? kFailed : kBadInput, error.message};
    return false;
  }
  return true;
}

CommandEnd WriteOut(const std::string& path, const uint8_t* data, size_t size) {
  std::string error;
  if (!ReplaceFileContents(path, data, size, &error)) return {kFailed, error};
  return {};
}

std::string Percent(double share) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", share * 100.0);
  return text;
}

}  // namespace

CommandEnd RunReveal(const StillOptions& options) {
  CommandEnd end;
  RgbPicture stereogram;
  const int32_t narrowest = options.parallax_width.value_or(1);
  if (!ReadPicture(options.depth_path, &stereogram, &end, narrowest,
                   "--parallax-width " + std::to_string(narrowest))) {
    return end;
  }
  RevealSettings settings;
  settings.parallax_width = options.parallax_width;
  settings.reverse = options.reverse;
  settings.depth_divisor = options.depth_divisor;

  std::vector<uint8_t> depth_pixels(static_cast<size_t>(stereogram.width) *
                                    static_cast<size_t>(stereogram.height) * 3);
  const RgbView depth{stereogram.width, stereogram.height, depth_pixels.data()};
  const RevealResult result = RevealDepth(stereogram.view(), settings, depth);
  if (!result.revealed) return {kFailed, "'" + options.depth_path + "' " + result.why};

  const PngBytes png = EncodePng(depth);
  if (!png.data) return {kFailed, "not enough memory to encode the PNG"};
  end = WriteOut(options.out_path, png.data.get(), png.size);
  if (end.code != kWritten) return end;

  const RevealReading& r = result.reading;
  std::string line = "read with period " + std::to_string(r.period);
  if (r.parallax_width != 0) line += " (parallax width " + std::to_string(r.parallax_width) + ")";
  line += ", depth divisor " + std::to_string(r.depth_divisor) +
          (r.reverse ? ", reversed" : ", not reversed");
  if (r.text_view_grey.has_value()) {
    line += ", the text view blended in grey " + std::to_string(*r.text_view_grey);
  }
  line += "; " + Percent(r.repeating) + " % of the dots repeat\n";
  std::fputs(line.c_str(), stdout);
  return {};
}

CommandEnd RunAnimation(const StillOptions& options) {
  CommandEnd end;
  RgbPicture depth;
  const int32_t parallax = options.parallax_width.value_or(kDefaultParallaxWidth);
  if (!ReadPicture(options.depth_path, &depth, &end, parallax,
                   "--parallax-width " + std::to_string(parallax))) {
    return end;
  }
  Animation animation;
  animation.first.params.parallax_width = parallax;
  animation.first.params.reverse = options.reverse;
  animation.first.params.dot_mode = options.dot_mode;
  animation.first.params.text_depth = options.text_depth;
  animation.first.guides = options.guides;
  animation.first.seed = options.seed.has_value() ? *options.seed : MillisecondTicks();
  animation.first.frame = options.frame;
  animation.frames = *options.frames;
  animation.fps = options.fps;

  ProgressLine progress;
  const uint32_t start = MillisecondTicks();
  if (!options.quiet) {
    animation.after_frame = [&](uint64_t done) {
      const std::string text = progress.Update(done, animation.frames, MillisecondTicks() - start);
      std::fputs(text.c_str(), stderr);
    };
  }
  std::vector<uint8_t> gif;
  std::string error;
  const bool encoded = EncodeAnimation(depth.view(), animation, &gif, &error);
  std::fputs(progress.Clear().c_str(), stderr);
  if (!encoded) return {kFailed, error};
  return WriteOut(options.out_path, gif.data(), gif.size());
}
