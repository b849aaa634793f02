#include "still/commands.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "animation/gif_writer.h"
#include "animation/palette.h"
#include "images/image_file.h"
#include "images/replace_file.h"
#include "render/still_frame.h"
#include "reveal/reveal.h"
#include "still/progress_line.h"
#include "still/still_clock.h"

namespace {

using still_exit::kBadInput;
using still_exit::kFailed;
using still_exit::kWritten;

// Why a picture `width` pixels wide cannot take the parallax width asked for, or empty.
std::string TooNarrow(const std::optional<int32_t>& asked, int32_t needed, int32_t width) {
  if (needed <= width) return {};
  const std::string pixels = std::to_string(width);
  if (!asked.has_value()) {
    return "the image is " + pixels + " pixels wide, narrower than the default parallax width " +
           std::to_string(needed) + "; give --parallax-width 1 to " + pixels;
  }
  return "--parallax-width " + std::to_string(needed) + " is wider than the image (" + pixels +
         " pixels)";
}

bool Decode(ImageFile& file, RgbPicture* picture, CommandEnd* end) {
  ImageError error;
  if (!file.Decode(picture, &error)) {
    *end = {error.out_of_memory ? kFailed : kBadInput, error.message};
    return false;
  }
  return true;
}

// Opens and decodes the input picture, or says why not. A picture narrower than
// `needed` is refused from its header, before its pixels cost anything.
bool ReadPicture(const std::string& path, const std::optional<int32_t>& asked, int32_t needed,
                 RgbPicture* picture, CommandEnd* end) {
  ImageFile file;
  ImageError error;
  if (!file.Open(path, &error)) {
    *end = {kBadInput, error.message};
    return false;
  }
  if (const std::string narrow = TooNarrow(asked, needed, file.width()); !narrow.empty()) {
    *end = {kBadInput, narrow};
    return false;
  }
  return Decode(file, picture, end);
}

// The pattern picture, or why it cannot serve.
bool ReadPattern(const std::string& path, RgbPicture* picture, CommandEnd* end) {
  ImageFile file;
  ImageError error;
  if (!file.Open(path, &error)) {
    *end = {kBadInput, "--pattern: " + error.message};
    return false;
  }
  if (file.width() < kMinPatternSide || file.height() < kMinPatternSide) {
    *end = {kBadInput, "--pattern '" + path + "' is " + std::to_string(file.width()) + " x " +
                           std::to_string(file.height()) + " pixels; it needs at least " +
                           std::to_string(kMinPatternSide) + " a side"};
    return false;
  }
  return Decode(file, picture, end);
}

CommandEnd WriteOut(const std::string& path, const uint8_t* data, size_t size) {
  std::string error;
  if (!ReplaceFileContents(path, data, size, &error)) return {kFailed, error};
  return {};
}

CommandEnd WritePng(const std::string& path, const RgbView& picture) {
  const PngBytes png = EncodePng(picture);
  if (!png.data) return {kFailed, "not enough memory to encode the PNG"};
  return WriteOut(path, png.data.get(), png.size);
}

// The settings of the first frame a rendering command makes.
StillFrame FirstFrame(const StillOptions& options) {
  StillFrame still;
  still.params.parallax_width = options.parallax_width.value_or(kDefaultParallaxWidth);
  still.params.reverse = options.reverse;
  still.params.dot_mode = options.dot_mode;
  still.params.text_depth = options.text_depth;
  still.params.depth_divisor = options.depth_divisor.value_or(still.params.depth_divisor);
  still.guides = options.guides;
  still.seed = options.seed.has_value() ? *options.seed : MillisecondTicks();
  still.frame = options.frame;
  still.oversample = options.oversample;
  return still;
}

// What a rendering command draws from: the depth picture and, if asked for, the pattern
// scaled to the frame's period.
struct Inputs {
  RgbPicture depth;
  RgbPicture pattern_picture;
  std::optional<Pattern> pattern;

  DepthSource Source() const {
    return {depth.view(), depth.depth16.empty() ? nullptr : depth.depth16.data()};
  }
};

bool ReadInputs(const StillOptions& options, StillFrame* still, Inputs* in, CommandEnd* end) {
  if (!ReadPicture(options.depth_path, options.parallax_width, still->params.parallax_width,
                   &in->depth, end)) {
    return false;
  }
  if (!options.pattern_path.empty()) {
    if (!ReadPattern(options.pattern_path, &in->pattern_picture, end)) return false;
    in->pattern.emplace(in->pattern_picture.view(), FramePeriod(still->params, in->depth.width),
                        in->depth.height);
    in->pattern_picture = {};
    still->pattern = &*in->pattern;
  }
  return true;
}

std::string Percent(double share) {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", share * 100.0);
  return text;
}

// The line that tells how the stereogram was read.
std::string DescribeReading(const RevealReading& r) {
  std::string line = "read with period " + std::to_string(r.period);
  if (r.parallax_width != 0) line += " (parallax width " + std::to_string(r.parallax_width) + ")";
  line += ", depth divisor " + std::to_string(r.depth_divisor) +
          (r.reverse ? ", reversed" : ", not reversed");
  if (r.text_view_grey.has_value()) {
    line += ", the text view blended in grey " + std::to_string(*r.text_view_grey);
  }
  return line + "; " + Percent(r.repeating) + " % of the dots repeat\n";
}

// Frames from `first` on, each with fresh dots, into the GIF `gif`; the progress line
// tells how far it is unless `quiet`.
bool EncodeFrames(const DepthSource& depth, StillFrame first, const StillOptions& options,
                  std::vector<uint8_t>* gif, std::string* error) {
  const bool grey = first.pattern != nullptr ? first.pattern->grey() : first.params.dot_mode == 1;
  GifWriter writer;
  const RgbView& picture = depth.picture;
  if (!writer.Begin(picture.width, picture.height, grey ? GreyPalette() : ColourPalette(),
                    FrameDelay(options.fps), error)) {
    return false;
  }
  const size_t pixels = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
  std::vector<uint8_t> frame(pixels * 3);
  std::vector<uint8_t> indices(pixels);
  const RgbView view{picture.width, picture.height, frame.data()};
  ProgressLine progress;
  const uint32_t start = MillisecondTicks();
  const uint64_t frames = *options.frames;
  bool added = true;
  for (uint64_t k = 0; added && k < frames; ++k) {
    // Each frame starts where the one before left the generator.
    first.seed = RenderStill(depth, first, view);
    first.frame = 1;
    FrameIndices(view, grey, indices.data());
    added = writer.AddFrame(indices.data(), error);
    if (added && !options.quiet) {
      std::fputs(progress.Update(k + 1, frames, MillisecondTicks() - start).c_str(), stderr);
    }
  }
  std::fputs(progress.Clear().c_str(), stderr);
  return added && writer.Finish(gif, error);
}

}  // namespace

CommandEnd RunStill(const StillOptions& options) {
  StillFrame still = FirstFrame(options);
  CommandEnd end;
  Inputs in;
  if (!ReadInputs(options, &still, &in, &end)) return end;
  RenderStill(in.Source(), still, in.depth.view());
  return WritePng(options.out_path, in.depth.view());
}

CommandEnd RunAnimation(const StillOptions& options) {
  StillFrame first = FirstFrame(options);
  CommandEnd end;
  Inputs in;
  if (!ReadInputs(options, &first, &in, &end)) return end;
  std::vector<uint8_t> gif;
  std::string error;
  if (!EncodeFrames(in.Source(), first, options, &gif, &error)) return {kFailed, error};
  return WriteOut(options.out_path, gif.data(), gif.size());
}

CommandEnd RunReveal(const StillOptions& options) {
  CommandEnd end;
  RgbPicture stereogram;
  if (!ReadPicture(options.depth_path, options.parallax_width, options.parallax_width.value_or(1),
                   &stereogram, &end)) {
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
  end = WritePng(options.out_path, depth);
  if (end.code == kWritten) std::fputs(DescribeReading(result.reading).c_str(), stdout);
  return end;
}
