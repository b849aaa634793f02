// Whether an image file holds everything its own structure promises. stb_image reads
// past the end of a file as zeros and never tests a PNG checksum, so without this a
// file cut short or damaged in transit would become a picture of made-up pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Reads `file` from its start and puts the position back there. Empty when the file is
// whole; otherwise what is wrong with it, to follow its name in a message. A PNG must
// reach its IEND chunk with every chunk's checksum right; a BMP and a PGM must hold
// every pixel row their header claims; a JPEG must reach its end marker through
// well-formed segments. Other files pass: the decoder refuses them itself.
std::string FindImageDamage(std::FILE* file);

// The CRC-32 that PNG chunks carry, over `size` bytes.
uint32_t PngCrc(const uint8_t* bytes, size_t size);
