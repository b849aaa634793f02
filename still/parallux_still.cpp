// parallux-still: one frame of the board's stereogram from a depth image, as a PNG
// (or the animation as a GIF, or the depth read back from a stereogram).
// Exit codes: 0 written; 2 bad arguments or a bad image (nothing written); 1 the
// picture could not be made or written (nothing written either).
#include <cstdio>
#include <new>
#include <string>
#include <string_view>

#include "still/image_file.h"
#include "still/mode_commands.h"
#include "still/still_clock.h"
#include "still/still_options.h"
#include "still/still_output.h"
#include "still/still_render.h"

namespace {

using still_exit::kBadInput;
using still_exit::kFailed;
using still_exit::kWritten;

int Complain(int code, const std::string& message) {
  std::fprintf(stderr, "parallux-still: %s\n", message.c_str());
  return code;
}

int Run(const StillOptions& options) {
  StillFrame still;
  still.params.parallax_width = options.parallax_width.value_or(kDefaultParallaxWidth);
  still.params.reverse = options.reverse;
  still.params.dot_mode = options.dot_mode;
  still.params.text_depth = options.text_depth;
  still.guides = options.guides;
  still.seed = options.seed.has_value() ? *options.seed : MillisecondTicks();
  still.frame = options.frame;

  ImageFile file;
  ImageError error;
  if (!file.Open(options.depth_path, &error)) {
    return Complain(kBadInput, error.message);
  }
  if (still.params.parallax_width > file.width()) {
    const std::string width = std::to_string(file.width());
    if (!options.parallax_width.has_value()) {
      return Complain(kBadInput, "the image is " + width + " pixels wide, narrower than the " +
                                     "default parallax width " +
                                     std::to_string(kDefaultParallaxWidth) +
                                     "; give --parallax-width 1 to " + width);
    }
    return Complain(kBadInput, "--parallax-width " + std::to_string(*options.parallax_width) +
                                   " is wider than the image (" + width + " pixels)");
  }
  RgbPicture picture;
  if (!file.Decode(&picture, &error)) {
    return Complain(error.out_of_memory ? kFailed : kBadInput, error.message);
  }

  RenderStill(picture.view(), still);

  const PngBytes png = EncodePng(picture.view());
  if (!png.data) {
    return Complain(kFailed, "not enough memory to encode the PNG");
  }
  std::string write_error;
  if (!ReplaceFileContents(options.out_path, png.data.get(), png.size, &write_error)) {
    return Complain(kFailed, write_error);
  }
  return kWritten;
}

}  // namespace

int main(int argc, char** argv) {
  const StillCommand command =
      ParseStillCommand({argv + 1, static_cast<size_t>(argc > 0 ? argc - 1 : 0)});
  switch (command.kind) {
    case StillCommand::Kind::kHelp: {
      const std::string_view usage = StillUsage();
      std::fwrite(usage.data(), 1, usage.size(), stdout);
      return std::fflush(stdout) == 0 ? kWritten : kFailed;
    }
    case StillCommand::Kind::kError:
      return Complain(kBadInput, command.error);
    case StillCommand::Kind::kRun:
      break;
  }
  try {
    const StillOptions& options = command.options;
    if (options.reveal || options.frames.has_value()) {
      const CommandEnd end = options.reveal ? RunReveal(options) : RunAnimation(options);
      return end.code == kWritten ? kWritten : Complain(end.code, end.message);
    }
    return Run(options);
  } catch (const std::bad_alloc&) {
    return Complain(kFailed, "not enough memory");
  }
}
