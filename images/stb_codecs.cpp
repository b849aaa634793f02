#include "images/stb_codecs.h"

#include <climits>
#include <cstring>
#include <new>

// The one translation unit that holds stb's code, with only the decoders the program
// may use compiled in: fewer decoders, less code that sees untrusted files. PNG stays in
// the native build too, where the tests read back what the program wrote.
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_JPEG
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

std::string Reason() {
  const char* reason = stbi_failure_reason();
  return reason != nullptr ? reason : "unknown reason";
}

bool IsOutOfMemory() {
  const char* reason = stbi_failure_reason();
  return reason != nullptr && std::strcmp(reason, "outofmem") == 0;
}

// The high bytes as the picture, the blue channel whole as the depth.
bool Split16(const uint16_t* rgb16, size_t pixels, RgbPicture* picture) {
  picture->pixels.reset(static_cast<uint8_t*>(STBI_MALLOC(pixels * 3)));
  if (!picture->pixels) return false;
  picture->depth16.resize(pixels);
  for (size_t i = 0; i < pixels * 3; ++i) picture->pixels.get()[i] = rgb16[i] >> 8;
  for (size_t i = 0; i < pixels; ++i) picture->depth16[i] = rgb16[i * 3 + 2];
  return true;
}

}  // namespace

// stb_image and stb_image_write both allocate with malloc unless told otherwise, and
// neither is told otherwise here.
void StbFree::operator()(uint8_t* p) const { STBI_FREE(p); }

std::string StbSize(std::FILE* file, int32_t* width, int32_t* height) {
  std::fseek(file, 0, SEEK_SET);
  int w = 0;
  int h = 0;
  int channels = 0;
  // stbi_info_from_file puts the file position back.
  if (stbi_info_from_file(file, &w, &h, &channels) == 0) return Reason();
  // stb gives a top-down BMP's height as its header holds it, negative; its decoder
  // then reads the same rows.
  if (h < 0 && h != INT_MIN) h = -h;
  *width = w;
  *height = h;
  return "";
}

std::string StbDecode(std::FILE* file, RgbPicture* picture, bool* out_of_memory) {
  std::fseek(file, 0, SEEK_SET);
  int w = 0;
  int h = 0;
  int channels = 0;
  if (stbi_is_16_bit_from_file(file) != 0) {
    const std::unique_ptr<uint16_t, decltype(&stbi_image_free)> rgb16(
        stbi_load_from_file_16(file, &w, &h, &channels, 3), stbi_image_free);
    if (rgb16 && !Split16(rgb16.get(), static_cast<size_t>(w) * h, picture)) {
      *out_of_memory = true;
      return "outofmem";
    }
    if (!rgb16) {
      *out_of_memory = IsOutOfMemory();
      return Reason();
    }
  } else {
    picture->pixels.reset(stbi_load_from_file(file, &w, &h, &channels, 3));
    if (!picture->pixels) {
      *out_of_memory = IsOutOfMemory();
      return Reason();
    }
    picture->depth16.clear();
  }
  picture->width = w;
  picture->height = h;
  return "";
}

PngBytes StbEncodePng(const uint8_t* pixels, int32_t width, int32_t height, int channels) {
  int length = 0;
  PngBytes png;
  png.data.reset(stbi_write_png_to_mem(pixels, width * channels, width, height, channels, &length));
  if (png.data) png.size = static_cast<size_t>(length);
  return png;
}
