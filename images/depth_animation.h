// Depth that moves: a numbered sequence of picture files, as renderers write them
// (depth_%04d.png), or an animated GIF, read a frame at a time so that memory holds a
// few frames however many there are.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "images/gif_frames.h"
#include "images/image_file.h"

class DepthAnimation {
 public:
  DepthAnimation() = default;
  DepthAnimation(const DepthAnimation&) = delete;
  DepthAnimation& operator=(const DepthAnimation&) = delete;
  ~DepthAnimation();

  // Whether `path` names a depth animation rather than one picture: a name with a
  // frame-number field (%d, or %0Nd for numbers padded to N digits), or a GIF file.
  static bool Names(const std::string& path);

  // Finds the frames and checks what can be checked before a pixel is decoded: a
  // sequence has no gap in its numbers, and every file of it is whole and of the first
  // one's size; a GIF is whole. The error names the frame at fault.
  bool Open(const std::string& path, ImageError* error);
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  uint64_t frames() const { return frames_; }

  // The next frame, starting at the first; after the last comes the first again.
  bool Next(RgbPicture* frame, ImageError* error);

 private:
  bool OpenSequence(const std::string& path, ImageError* error);
  bool OpenGif(const std::string& path, ImageError* error);

  std::string path_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  uint64_t frames_ = 0;
  uint64_t next_ = 0;
  std::vector<std::string> files_;  // a sequence's files, in order
  std::FILE* gif_file_ = nullptr;
  std::unique_ptr<GifFrames> gif_;
};
