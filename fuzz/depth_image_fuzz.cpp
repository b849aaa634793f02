// The depth-image readers on arbitrary bytes, as parallux-still uses them: for one
// picture (PNG, BMP, JPEG, PGM) the header, then the pixels when the header is
// acceptable; for a GIF the walk over its blocks, then its frames one by one. A crash,
// a sanitizer report or a picture smaller than its size is a finding.
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
  if (file.Decode(&picture, &error)) Touch(picture);
  return 0;
}
