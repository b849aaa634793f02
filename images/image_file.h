// Reading depth images (PNG, BMP, JPEG or binary PGM) and encoding PNG files.
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

// Memory from malloc, the allocator of stb and of libspng, handed back to it.
struct StbFree {
  void operator()(uint8_t* p) const;
};
using StbBytes = std::unique_ptr<uint8_t, StbFree>;

// An 8-bit RGB picture decoded from a file.
struct RgbPicture {
  int32_t width = 0;
  int32_t height = 0;
  StbBytes pixels;
  // 16-bit files only: each pixel's blue (or grey) channel at its full 16 bits, top
  // line first.
  std::vector<uint16_t> depth16;
  RgbView view() const { return {width, height, pixels.get()}; }
};

// An image file whose size is known and whose pixels are not decoded yet, so that a
// picture too large, or too narrow for the settings, costs nothing to refuse.
class ImageFile {
 public:
  enum class Format { kPng, kBmp, kJpeg, kPgm };

  ImageFile() = default;
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;
  ~ImageFile();

  // Opens `path` and reads its header, and checks that the file is whole; a file of
  // another format, or no image at all, fails here.
  bool Open(const std::string& path, ImageError* error);
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }

  // The pixels as 8-bit RGB: grey is spread to red, green and blue, alpha dropped,
  // 16-bit channels cut to their high byte (and the depth kept whole in depth16).
  bool Decode(RgbPicture* picture, ImageError* error);

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  Format format_ = Format::kPng;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

// Whether the file at `path` begins as a picture a depth can be read from (PNG, BMP,
// JPEG, PGM or GIF), whole or not; false when there is no such file.
bool HoldsDepthPicture(const std::string& path);

// The picture as the bytes of an 8-bit PNG file, grey when every pixel is grey and RGB
// otherwise; empty (null) when the encoder cannot get the memory.
struct PngBytes {
  StbBytes data;
  size_t size = 0;
};
PngBytes EncodePng(const RgbView& picture);
