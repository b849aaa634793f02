#include "still/picture_input.h"

using still_exit::kBadInput;
using still_exit::kFailed;

std::string TooNarrow(const std::optional<int32_t>& asked, int32_t needed, int32_t width) {
  if (needed <= width) return {};
  const std::string pixels = std::to_string(width);
  if (!asked.has_value()) {
    return "the image is " + pixels + " pixels wide, narrower than the default parallax width " +
           std::to_string(needed) + "; give --parallax-width 1 to " + pixels;
  }
  return "--parallax-width " + std::to_string(needed) + " is wider than the image (" + pixels +
         " pixels)";
}

bool DecodePicture(ImageFile& file, RgbPicture* picture, CommandEnd* end) {
  ImageError error;
  if (!file.Decode(picture, &error)) {
    *end = {error.out_of_memory ? kFailed : kBadInput, error.message};
    return false;
  }
  return true;
}

bool ReadPicture(const std::string& path, const std::optional<int32_t>& asked, int32_t needed,
                 RgbPicture* picture, CommandEnd* end) {
  ImageFile file;
  ImageError error;
  if (!file.Open(path, &error)) {
    *end = {kBadInput, error.message};
    return false;
  }
  if (const std::string narrow = TooNarrow(asked, needed, file.width()); !narrow.empty()) {
    *end = {kBadInput, narrow};
    return false;
  }
  return DecodePicture(file, picture, end);
}
