#include "still/commands.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "animation/animation_writer.h"
#include "images/image_file.h"
#include "images/replace_file.h"
#include "reveal/reveal.h"
#include "still/frame_run.h"
#include "still/picture_input.h"
#include "still/progress_line.h"

namespace {

using still_exit::kBadInput;
using still_exit::kFailed;
using still_exit::kWritten;

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

// The frames of `run` into `writer`; the progress line tells how far it is unless
// `quiet`.
bool EncodeFrames(FrameRun& run, const StillOptions& options, AnimationWriter& writer,
                  CommandEnd* end) {
  std::vector<uint8_t> frame(static_cast<size_t>(run.width()) * run.height() * 3);
  const RgbView view{run.width(), run.height(), frame.data()};
  const uint64_t frames = *options.frames;
  std::string error;
  bool added = true;
  {
    ShownProgress progress("frame", options.quiet);
    for (uint64_t k = 0; added && k < frames; ++k) {
      added = run.Next(view, end);
      if (!added) break;
      added = writer.AddFrame(view, &error);
      if (!added) *end = {kFailed, error};
      if (added) progress(k + 1, frames);
    }
  }
  if (added && !writer.Finish(&error)) {
    *end = {kFailed, error};
    return false;
  }
  return added;
}

}  // namespace

CommandEnd RunStill(const StillOptions& options) {
  // A still is a PNG, whatever its name; under an animation's name it would mislead.
  if (NamesAnimation(options.out_path)) {
    return {kBadInput, "'" + options.out_path + "' names an animation: give --frames N, or " +
                           "write the still to a .png"};
  }
  FrameRun run;
  CommandEnd end;
  if (!run.Open(options, &end)) return end;
  RgbView picture;
  if (!run.Last(&picture, &end)) return end;
  return WritePng(options.out_path, picture);
}

CommandEnd RunAnimation(const StillOptions& options) {
  std::string error;
  const std::optional<AnimationFormat> format = AnimationFormatOf(options.out_path, &error);
  if (!format) return {kBadInput, error};
  FrameRun run;
  CommandEnd end;
  if (!run.Open(options, &end)) return end;
  if (const std::string why = SizeRefused(*format, run.width(), run.height()); !why.empty()) {
    return {kBadInput, "'" + options.out_path + "': " + why};
  }
  ReplacementFile out(options.out_path);
  if (!out.Open(&error)) return {kFailed, error};
  const std::unique_ptr<AnimationWriter> writer = OpenAnimationWriter(
      *format, {run.width(), run.height(), run.grey(), options.fps}, &out, &error);
  if (!writer) return {kFailed, error};
  if (!EncodeFrames(run, options, *writer, &end)) return end;
  if (!out.Commit(&error)) return {kFailed, error};
  return {};
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
  settings.oversample = options.oversample;
  ShownProgress progress("reading row", options.quiet);
  settings.progress = std::ref(progress);

  std::vector<uint8_t> depth_pixels(static_cast<size_t>(stereogram.width) *
                                    static_cast<size_t>(stereogram.height) * 3);
  const RgbView depth{stereogram.width, stereogram.height, depth_pixels.data()};
  const RevealResult result = RevealDepth(stereogram.view(), settings, depth);
  if (!result.revealed) return {kFailed, "'" + options.depth_path + "' " + result.why};
  end = WritePng(options.out_path, depth);
  if (end.code == kWritten) std::fputs(DescribeReading(result.reading).c_str(), stdout);
  return end;
}
