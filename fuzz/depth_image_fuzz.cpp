// The depth-image reader on arbitrary bytes, as parallux-still uses it: the header,
// then the pixels when the header is acceptable. A crash, a sanitizer report or a
// picture smaller than its size is a finding.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  if (size >= 8 && std::memcmp(data, "\x89PNG", 4) == 0) MendPngChecksums(bytes);
  static const std::string path = "depth_image_fuzz." + std::to_string(getpid()) + ".img";
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return 0;
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);

  ImageFile file;
  ImageError error;
  if (!file.Open(path, &error)) return 0;
  RgbPicture picture;
  if (!file.Decode(&picture, &error)) return 0;
  // Every pixel must be there: AddressSanitizer catches a buffer shorter than the size.
  const size_t last = static_cast<size_t>(picture.width) * picture.height * 3 - 1;
  volatile uint8_t touch = picture.pixels.get()[last];
  (void)touch;
  return 0;
}
