// The frames of an animated GIF, decoded one at a time: only the frame being built and
// the two before it are held, however many frames the file has.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "images/image_file.h"

// Whether the file starts as a GIF does; puts the position back to the start.
bool IsGif(std::FILE* file);

// The frame count and size of a GIF, from a walk over its blocks that decodes nothing:
// a file that is cut short or whose blocks are malformed is refused here, so that the
// decoder never reads past its end. Empty when the file is whole; otherwise what is
// wrong with it, to follow its name in a message.
struct GifLayout {
  int32_t width = 0;
  int32_t height = 0;
  uint64_t frames = 0;
};
std::string WalkGif(std::FILE* file, GifLayout* layout);

class GifFrames {
 public:
  GifFrames();
  GifFrames(const GifFrames&) = delete;
  GifFrames& operator=(const GifFrames&) = delete;
  ~GifFrames();

  // Starts at the first frame of `file` (left open by the caller, which WalkGif found
  // whole), named `path` in messages.
  void Start(std::FILE* file, const std::string& path);
  // The next frame as the animation shows it (earlier frames' pixels kept or restored
  // as their disposal says), transparent pixels black.
  bool Next(RgbPicture* frame, ImageError* error);

 private:
  struct Decoder;
  std::unique_ptr<Decoder> decoder_;
};
