// Binary PGM (P5) depth maps: a text header (width, height, the largest sample value),
// then the samples, one byte each up to a maxval of 255 and two (big-endian) above.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "images/image_file.h"

// The size from the header of the PGM `file`, read from its start; the position is put
// back there. Empty when the header is well-formed, otherwise what is wrong with it.
std::string PgmSize(std::FILE* file, int32_t* width, int32_t* height);

// Empty when `file` holds every sample its header promises; otherwise what is wrong.
std::string FindPgmDamage(std::FILE* file);

// The samples scaled to the full range as grey 8-bit RGB, and for a maxval above 255
// to 16 bits in `depth16` too. Empty on success, otherwise why not.
std::string DecodePgm(std::FILE* file, RgbPicture* picture, bool* out_of_memory);
