// stb_image and stb_image_write behind a few calls, so that one translation unit holds
// their code: BMP and JPEG in both builds, PNG where the build has no PNG library.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "images/image_file.h"

// The size from `file`'s header; the position is put back. Empty when the header reads,
// otherwise why not.
std::string StbSize(std::FILE* file, int32_t* width, int32_t* height);

// The pixels of `file` as 8-bit RGB (grey spread, alpha dropped), from its start; a
// 16-bit file also fills `depth16` from its blue (or grey) channel. Empty on success.
std::string StbDecode(std::FILE* file, RgbPicture* picture, bool* out_of_memory);

// `pixels` (`channels` bytes a pixel: 1 grey, 3 RGB) as PNG file bytes; null when stb
// cannot get the memory.
PngBytes StbEncodePng(const uint8_t* pixels, int32_t width, int32_t height, int channels);
