#include <vector>

#include "images/png_codec.h"
#include "images/stb_codecs.h"

std::string PngSize(std::FILE* file, int32_t* width, int32_t* height) {
  return StbSize(file, width, height);
}

std::string DecodePng(std::FILE* file, RgbPicture* picture, bool* out_of_memory) {
  return StbDecode(file, picture, out_of_memory);
}

PngBytes EncodePng(const RgbView& picture) {
  // A grey stereogram as one channel: a third of the data to filter and compress.
  std::vector<uint8_t> grey;
  if (TakeGrey(picture, &grey)) return StbEncodePng(grey.data(), picture.width, picture.height, 1);
  return StbEncodePng(picture.pixels, picture.width, picture.height, 3);
}
