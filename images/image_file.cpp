#include "images/image_file.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include "images/gif_frames.h"
#include "images/image_integrity.h"
#include "images/png_codec.h"
#include "images/pnm_reader.h"
#include "images/stb_codecs.h"

namespace {

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// The still picture format a file's first bytes name, decided strictly: stb's own
// tests of a format are looser (a JPEG may start with fill bytes), and a file they took
// would reach its decoder unchecked.
std::optional<ImageFile::Format> FormatOf(std::FILE* file) {
  uint8_t magic[8] = {};
  const size_t got = std::fread(magic, 1, sizeof magic, file);
  std::fseek(file, 0, SEEK_SET);
  if (got >= 4 && std::memcmp(magic, "\x89PNG", 4) == 0) return ImageFile::Format::kPng;
  if (got < 2) return std::nullopt;
  if (magic[0] == 0xFF && magic[1] == 0xD8) return ImageFile::Format::kJpeg;
  if (magic[0] == 'P' && magic[1] == '5') return ImageFile::Format::kPgm;
  if (magic[0] == 'B' && magic[1] == 'M') return ImageFile::Format::kBmp;
  return std::nullopt;
}

}  // namespace

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
  const std::optional<Format> format = FormatOf(file_);
  if (!format.has_value()) {
    error->message = Quoted(path) + " is not a PNG, BMP, JPEG or PGM image";
    return false;
  }
  format_ = *format;
  // Before any decoder reads a header: stb builds a JPEG's Huffman tables while it
  // looks for the size, and some tables would write past its arrays.
  const std::string damage = FindImageDamage(file_);
  if (!damage.empty()) {
    error->message = Quoted(path) + " " + damage;
    return false;
  }
  int32_t w = 0;
  int32_t h = 0;
  // Every reader puts the file position back at the start, so Decode reads the same
  // file again: no second open that could find another file under the name.
  const std::string unread = format_ == Format::kPng   ? PngSize(file_, &w, &h)
                             : format_ == Format::kPgm ? PgmSize(file_, &w, &h)
                                                       : StbSize(file_, &w, &h);
  if (!unread.empty()) {
    error->message =
        Quoted(path) + " is not a PNG, BMP, JPEG or PGM image that can be read (" + unread + ")";
    return false;
  }
  if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide) {
    error->message = Quoted(path) + " is " + std::to_string(w) + " x " + std::to_string(h) +
                     " pixels; at most " + std::to_string(kMaxImageSide) + " a side is accepted";
    return false;
  }
  width_ = w;
  height_ = h;
  return true;
}

bool HoldsDepthPicture(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  const bool picture = FormatOf(file).has_value() || IsGif(file);
  std::fclose(file);
  return picture;
}

bool ImageFile::Decode(RgbPicture* picture, ImageError* error) {
  error->out_of_memory = false;
  const std::string failure =
      format_ == Format::kPng   ? DecodePng(file_, picture, &error->out_of_memory)
      : format_ == Format::kPgm ? DecodePgm(file_, picture, &error->out_of_memory)
                                : StbDecode(file_, picture, &error->out_of_memory);
  if (!failure.empty()) {
    error->message = error->out_of_memory ? "not enough memory to decode " + Quoted(path_)
                                          : "cannot decode " + Quoted(path_) + " (" + failure + ")";
    return false;
  }
  // The header was read from this same open file; a decoder that disagreed with it
  // would make every row index below wrong.
  if (picture->width != width_ || picture->height != height_) {
    error->message = "cannot decode " + Quoted(path_) + " (its size differs from its header)";
    return false;
  }
  return true;
}
