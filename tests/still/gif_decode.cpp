#include "tests/still/gif_decode.h"

#include <gif_lib.h>

#include <fstream>
#include <stdexcept>

DecodedGif DecodeGif(const std::vector<uint8_t>& bytes) {
  // Through a file: giflib's own reader, no input callback of the test's.
  std::ofstream("gif_test.gif", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  int code = 0;
  GifFileType* file = DGifOpenFileName("gif_test.gif", &code);
  if (file == nullptr || DGifSlurp(file) == GIF_ERROR)
    throw std::runtime_error("giflib cannot decode it");
  DecodedGif gif{file->SWidth, file->SHeight, {}, {}};
  for (int i = 0; i < file->ImageCount; ++i) {
    const SavedImage& image = file->SavedImages[i];
    const ColorMapObject* map =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : file->SColorMap;
    std::vector<uint32_t> frame(static_cast<size_t>(image.ImageDesc.Width) *
                                image.ImageDesc.Height);
    for (size_t k = 0; k < frame.size(); ++k) {
      const GifColorType c = map->Colors[image.RasterBits[k]];
      frame[k] = static_cast<uint32_t>(c.Red) << 16 | static_cast<uint32_t>(c.Green) << 8 | c.Blue;
    }
    gif.frames.push_back(std::move(frame));
    GraphicsControlBlock control{};
    DGifSavedExtensionToGCB(file, i, &control);  // leaves the delay 0 without an extension
    gif.delays.push_back(static_cast<uint32_t>(control.DelayTime));
  }
  DGifCloseFile(file, &code);
  return gif;
}
