// Reading depth images (PNG or BMP) and encoding PNG files, through stb_image.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "images/image_rows.h"

// Larger pictures are refused before their pixels are decoded: a header can claim any
// size. stb's own sizes and offsets are int; up to this side an 8-bit picture keeps
// them from overflow (a 16-bit RGBA PNG of the largest size does not fit, and is
// refused as too large for memory).
constexpr int32_t kMaxImageSide = 16384;

struct ImageError {
  bool out_of_memory = false;  // the input was fine, the machine was not
  std::string message;         // one line naming the file and the problem
};

// Memory from stb's allocator, handed back to it.
struct StbFree {
  void operator()(uint8_t* p) const;
};
using StbBytes = std::unique_ptr<uint8_t, StbFree>;

// An 8-bit RGB picture decoded from a file.
struct RgbPicture {
  int32_t width = 0;
  int32_t height = 0;
  StbBytes pixels;
  // 16-bit files only: each pixel's blue channel at its full 16 bits, top line first.
  std::vector<uint16_t> depth16;
  RgbView view() const { return {width, height, pixels.get()}; }
};

// An image file whose size is known and whose pixels are not decoded yet, so that a
// picture too large, or too narrow for the settings, costs nothing to refuse.
class ImageFile {
 public:
  ImageFile() = default;
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;
  ~ImageFile();

  // Opens `path` and reads its header; a file of another format, or no image at
  // all, fails here.
  bool Open(const std::string& path, ImageError* error);
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }

  // The pixels as 8-bit RGB: grey is spread to red, green and blue, alpha dropped,
  // 16-bit channels cut to their high byte.
  bool Decode(RgbPicture* picture, ImageError* error);

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

// The picture as the bytes of an 8-bit RGB PNG file; empty (null) when stb cannot
// get the memory.
struct PngBytes {
  StbBytes data;
  size_t size = 0;
};
PngBytes EncodePng(const RgbView& picture);
