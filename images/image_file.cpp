#include "images/image_file.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

#include "images/image_integrity.h"

// The one translation unit that holds stb's code. Only the two formats the program
// reads are compiled in: fewer decoders, less code that sees untrusted files.
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
// The PNG writer only asserts that its buffers grew, and in a release build it would
// write past a buffer that did not: out of memory there is an allocation failure.
#define STBIW_ASSERT(condition)               \
  do {                                        \
    if (!(condition)) throw std::bad_alloc(); \
  } while (0)
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

bool IsOutOfMemory() {
  const char* reason = stbi_failure_reason();
  return reason != nullptr && std::strcmp(reason, "outofmem") == 0;
}

std::string Reason() {
  const char* reason = stbi_failure_reason();
  return reason != nullptr ? reason : "unknown reason";
}

}  // namespace

// stb_image and stb_image_write both allocate with malloc unless told otherwise, and
// neither is told otherwise here.
void StbFree::operator()(uint8_t* p) const { STBI_FREE(p); }

ImageFile::~ImageFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool ImageFile::Open(const std::string& path, ImageError* error) {
  path_ = path;
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) {
    error->message = "cannot open " + Quoted(path) + ": " + std::strerror(errno);
    return false;
  }
  int w = 0;
  int h = 0;
  int channels = 0;
  // stbi_info_from_file puts the file position back, so Decode reads the same file
  // from its start: no second open that could find another file under the name.
  if (stbi_info_from_file(file_, &w, &h, &channels) == 0) {
    error->message =
        Quoted(path) + " is not a PNG or BMP image that can be read (" + Reason() + ")";
    return false;
  }
  // stb gives a top-down BMP's height as its header holds it, negative; its decoder
  // then reads the same rows.
  if (h < 0 && h != INT_MIN) h = -h;
  if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide) {
    error->message = Quoted(path) + " is " + std::to_string(w) + " x " + std::to_string(h) +
                     " pixels; at most " + std::to_string(kMaxImageSide) + " a side is accepted";
    return false;
  }
  const std::string damage = FindImageDamage(file_);
  if (!damage.empty()) {
    error->message = Quoted(path) + " " + damage;
    return false;
  }
  width_ = w;
  height_ = h;
  return true;
}

bool ImageFile::Decode(RgbPicture* picture, ImageError* error) {
  int w = 0;
  int h = 0;
  int channels = 0;
  StbBytes pixels(stbi_load_from_file(file_, &w, &h, &channels, 3));
  if (!pixels) {
    error->out_of_memory = IsOutOfMemory();
    error->message = error->out_of_memory
                         ? "not enough memory to decode " + Quoted(path_)
                         : "cannot decode " + Quoted(path_) + " (" + Reason() + ")";
    return false;
  }
  // The header was read from this same open file; a decoder that disagreed with it
  // would make every row index below wrong.
  if (w != width_ || h != height_) {
    error->message = "cannot decode " + Quoted(path_) + " (its size differs from its header)";
    return false;
  }
  picture->width = w;
  picture->height = h;
  picture->pixels = std::move(pixels);
  return true;
}

PngBytes EncodePng(const RgbView& picture) {
  int length = 0;
  PngBytes png;
  png.data.reset(stbi_write_png_to_mem(picture.pixels, picture.width * 3, picture.width,
                                       picture.height, 3, &length));
  if (png.data) png.size = static_cast<size_t>(length);
  return png;
}
