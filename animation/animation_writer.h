// An animation written frame by frame into a file as it is made, in the format its
// name's extension gives: .gif, or .webp where the build has a WebP encoder. At most a
// few frames are held at a time, whatever the count (the Windows build's GIF encoder
// keeps its encoded file until the end).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "images/image_rows.h"
#include "images/replace_file.h"

enum class AnimationFormat { kGif, kWebp };

struct AnimationShape {
  int32_t width = 0;
  int32_t height = 0;
  bool grey = false;  // every frame grey: the GIF's palette is then the 256 greys
  uint32_t fps = 15;
};

class AnimationWriter {
 public:
  virtual ~AnimationWriter() = default;
  // The next frame, of the shape's size; it is copied before the call returns. False
  // with `error` set (one line) when encoding or writing fails; the writer is then of
  // no further use.
  virtual bool AddFrame(const RgbView& frame, std::string* error) = 0;
  // Writes the rest of the file; the caller then commits it.
  virtual bool Finish(std::string* error) = 0;
};

// The format `path` names (its extension, in either case); nothing, with `error` set to
// one line, when it names none this build writes.
std::optional<AnimationFormat> AnimationFormatOf(const std::string& path, std::string* error);

// Whether `path` is named as an animation (.gif or .webp), in any build.
bool NamesAnimation(const std::string& path);

// Why `format` cannot hold frames of `width` x `height` (one line); empty when it can.
std::string SizeRefused(AnimationFormat format, int32_t width, int32_t height);

// A writer into `out`, which must outlive it; false with `error` set when the encoder
// cannot start.
std::unique_ptr<AnimationWriter> OpenAnimationWriter(AnimationFormat format,
                                                     const AnimationShape& shape,
                                                     ReplacementFile* out, std::string* error);
