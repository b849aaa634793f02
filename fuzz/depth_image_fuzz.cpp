// The depth-image readers on arbitrary bytes, as parallux-still uses them: for one
// picture (PNG, BMP, JPEG, PGM) the header, then the pixels when the header is
// acceptable; for a GIF the walk over its blocks, then its frames one by one. A crash,
// a sanitizer report or a picture smaller than its size is a finding; so is a PNG that
// the reader and libspng on its own do not read alike.
#include <spng.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "images/gif_frames.h"
#include "images/image_file.h"
#include "images/image_integrity.h"

namespace {

// Random changes almost never keep a PNG chunk's checksum right, and a wrong one stops
// the reader before the decoder: each chunk gets its right checksum back, so the
// decoder sees the mutations. The checksum test itself is covered by the corpus.
void MendPngChecksums(std::vector<uint8_t>& bytes) {
  for (size_t at = 8; at + 12 <= bytes.size();) {
    const uint32_t length = uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 |
                            uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
    if (length > bytes.size() - at - 12) return;
    const uint32_t crc = PngCrc(&bytes[at + 4], length + 4);
    for (int i = 0; i < 4; ++i)
      bytes[at + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    at += 12 + length;
  }
}

// Every pixel must be there: AddressSanitizer catches a buffer shorter than the size.
void Touch(const RgbPicture& picture) {
  const size_t pixels = static_cast<size_t>(picture.width) * picture.height;
  volatile uint8_t touch = picture.pixels.get()[pixels * 3 - 1];
  if (!picture.depth16.empty()) touch = static_cast<uint8_t>(picture.depth16.at(pixels - 1));
  (void)touch;
}

// As DepthAnimation reads a GIF, but only small ones and a few frames: the fuzzer's
// memory limit is not the program's, and a frame costs its whole picture.
void ReadGif(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return;
  GifLayout layout;
  if (WalkGif(file, &layout).empty() && layout.width >= 1 && layout.height >= 1 &&
      int64_t{layout.width} * layout.height <= (1 << 20)) {
    std::fseek(file, 0, SEEK_SET);
    GifFrames frames;
    frames.Start(file, path);
    RgbPicture frame;
    ImageError error;
    for (uint64_t i = 0; i < layout.frames && i < 8 && frames.Next(&frame, &error); ++i) {
      if (frame.width != layout.width || frame.height != layout.height) __builtin_trap();
      Touch(frame);
    }
  }
  std::fclose(file);
}

// The picture libspng alone makes of a PNG that passed the damage walk, with the reader's
// settings, or nothing when it refuses it. Most PNGs have their image data read past
// libspng; the two must agree on every file, and on every pixel.
bool SpngAlone(const std::string& path, std::vector<uint8_t>* rgb, bool* out_of_memory) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  spng_ctx* context = spng_ctx_new(0);
  spng_set_png_file(context, file);
  spng_set_crc_action(context, SPNG_CRC_USE, SPNG_CRC_USE);
  spng_set_image_limits(context, kMaxImageSide, kMaxImageSide);
  spng_set_chunk_limits(context, size_t{1} << 24, size_t{1} << 24);
  size_t size = 0;
  int result = spng_decoded_image_size(context, SPNG_FMT_RGB8, &size);
  if (result == 0) {
    rgb->resize(size);
    result = spng_decode_image(context, rgb->data(), size, SPNG_FMT_RGB8, 0);
  }
  *out_of_memory = result == SPNG_EMEM;
  spng_ctx_free(context);
  std::fclose(file);
  return result == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  if (size >= 8 && std::memcmp(data, "\x89PNG", 4) == 0) MendPngChecksums(bytes);
  static const std::string path = "depth_image_fuzz." + std::to_string(getpid()) + ".img";
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return 0;
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);

  if (size >= 6 && std::memcmp(data, "GIF8", 4) == 0) {
    ReadGif(path);
    return 0;
  }
  ImageFile file;
  ImageError error;
  if (!file.Open(path, &error)) return 0;
  RgbPicture picture;
  const bool read = file.Decode(&picture, &error);
  if (read) Touch(picture);
  if (size >= 8 && std::memcmp(data, "\x89PNG", 4) == 0) {
    std::vector<uint8_t> rgb;
    bool out_of_memory = false;
    const bool alone = SpngAlone(path, &rgb, &out_of_memory);
    if (!out_of_memory && !error.out_of_memory &&
        (alone != read ||
         (read && (rgb.size() != static_cast<size_t>(picture.width) * picture.height * 3 ||
                   std::memcmp(rgb.data(), picture.pixels.get(), rgb.size()) != 0)))) {
      __builtin_trap();
    }
  }
  return 0;
}
