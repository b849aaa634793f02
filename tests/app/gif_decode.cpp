#include "tests/app/gif_decode.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace {

struct Source {
  const std::vector<uint8_t>* bytes;
  size_t at = 0;
};

int Read(GifFileType* file, GifByteType* into, int size) {
  auto* source = static_cast<Source*>(file->UserData);
  const size_t n = std::min(static_cast<size_t>(size), source->bytes->size() - source->at);
  std::memcpy(into, source->bytes->data() + source->at, n);
  source->at += n;
  return static_cast<int>(n);
}

}  // namespace

bool DecodeGif(const std::vector<uint8_t>& bytes, DecodedGif* gif, std::string* error) {
  Source source{&bytes};
  int code = 0;
  GifFileType* file = DGifOpen(&source, &Read, &code);
  if (file == nullptr || DGifSlurp(file) == GIF_ERROR) {
    *error = GifErrorString(file != nullptr ? file->Error : code);
    if (file != nullptr) DGifCloseFile(file, &code);
    return false;
  }
  gif->width = file->SWidth;
  gif->height = file->SHeight;
  for (int i = 0; i < file->ImageCount; ++i) {
    const SavedImage& image = file->SavedImages[i];
    const ColorMapObject* map =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : file->SColorMap;
    const size_t n = static_cast<size_t>(image.ImageDesc.Width) * image.ImageDesc.Height;
    std::vector<uint32_t> frame(n);
    for (size_t k = 0; k < n; ++k) {
      const GifColorType c = map->Colors[image.RasterBits[k]];
      frame[k] = static_cast<uint32_t>(c.Red) << 16 | static_cast<uint32_t>(c.Green) << 8 | c.Blue;
    }
    gif->frames.push_back(std::move(frame));
    GraphicsControlBlock control{};
    DGifSavedExtensionToGCB(file, i, &control);
    gif->delays.push_back(static_cast<uint32_t>(control.DelayTime));
  }
  DGifCloseFile(file, &code);
  return true;
}
