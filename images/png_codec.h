// PNG reading behind one interface, with one implementation a build: libspng where
// the build has it (the image data of 8- and 16-bit pictures without a palette or
// interlacing read past it, see png_image_data.h), stb_image where it does not (the
// Windows cross build). The writer, EncodePng, is declared in image_file.h and defined
// beside these: through zlib natively (png_writer_zlib.cpp), through stb in the cross
// build.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "images/image_file.h"

// The size from the header of the PNG `file`, read from its start; the position is put
// back there. Empty when the header reads, otherwise why not.
std::string PngSize(std::FILE* file, int32_t* width, int32_t* height);

// The pixels of the PNG `file` as 8-bit RGB (grey spread, alpha dropped); a 16-bit file
// also fills `depth16` from its blue (or grey) channel. Empty on success, otherwise why
// not, with `out_of_memory` saying whether the machine rather than the file was at fault.
std::string DecodePng(std::FILE* file, RgbPicture* picture, bool* out_of_memory);
