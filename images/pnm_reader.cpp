#include "images/pnm_reader.h"

#include <climits>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

struct PgmHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t maxval = 0;
  long samples_at = 0;  // where the first sample is
  size_t bytes = 1;     // a sample's
};

bool IsSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// A decimal number after whitespace and comments, ended by one whitespace character.
// Nine digits at most: every number the reader accepts has fewer, and none overflows.
bool ReadNumber(std::FILE* file, uint32_t* value) {
  int c = std::fgetc(file);
  while (IsSpace(c) || c == '#') {
    if (c == '#') {
      while (c != EOF && c != '\n' && c != '\r') c = std::fgetc(file);
    }
    c = std::fgetc(file);
  }
  *value = 0;
  int digits = 0;
  for (; c >= '0' && c <= '9'; c = std::fgetc(file)) {
    if (++digits > 9) return false;
    *value = *value * 10 + static_cast<uint32_t>(c - '0');
  }
  return digits > 0 && IsSpace(c);
}

std::string ReadHeader(std::FILE* file, PgmHeader* header) {
  std::fseek(file, 0, SEEK_SET);
  char magic[2] = {};
  const bool read = std::fread(magic, 1, sizeof magic, file) == sizeof magic && magic[0] == 'P' &&
                    magic[1] == '5' && ReadNumber(file, &header->width) &&
                    ReadNumber(file, &header->height) && ReadNumber(file, &header->maxval);
  header->samples_at = std::ftell(file);
  std::fseek(file, 0, SEEK_SET);
  if (!read) return "has a malformed or cut header";
  if (header->maxval == 0 || header->maxval > 65535) {
    return "has a maxval of " + std::to_string(header->maxval) + "; 1 to 65535 are accepted";
  }
  header->bytes = header->maxval > 255 ? 2 : 1;
  return "";
}

// One line of samples, scaled to 16 bits, into the picture's line `line`.
bool SpreadLine(const std::vector<uint8_t>& samples, const PgmHeader& header, size_t line,
                RgbPicture* picture) {
  const size_t width = header.width;
  uint8_t* rgb = picture->pixels.get() + line * width * 3;
  for (size_t x = 0; x < width; ++x) {
    const uint32_t sample =
        header.bytes == 2 ? uint32_t{samples[x * 2]} << 8 | samples[x * 2 + 1] : samples[x];
    if (sample > header.maxval) return false;
    const uint32_t full = (sample * 65535u + header.maxval / 2) / header.maxval;
    rgb[x * 3] = rgb[x * 3 + 1] = rgb[x * 3 + 2] = static_cast<uint8_t>(full >> 8);
    if (header.bytes == 2) picture->depth16[line * width + x] = static_cast<uint16_t>(full);
  }
  return true;
}

}  // namespace

std::string PgmSize(std::FILE* file, int32_t* width, int32_t* height) {
  PgmHeader header;
  std::string problem = ReadHeader(file, &header);
  *width = static_cast<int32_t>(header.width);
  *height = static_cast<int32_t>(header.height);
  return problem;
}

std::string FindPgmDamage(std::FILE* file) {
  PgmHeader header;
  if (std::string problem = ReadHeader(file, &header); !problem.empty()) return problem;
  // A size beyond the limit gets its own message from the caller. Nine digits a side
  // at most: the product cannot overflow 64 bits either way.
  if (header.width > kMaxImageSide || header.height > kMaxImageSide) return "";
  const uint64_t needed = static_cast<uint64_t>(header.samples_at) +
                          uint64_t{header.width} * header.height * header.bytes;
  const bool whole = needed <= LONG_MAX &&
                     std::fseek(file, static_cast<long>(needed - 1), SEEK_SET) == 0 &&
                     std::fgetc(file) != EOF;
  std::fseek(file, 0, SEEK_SET);
  return whole ? "" : "is cut short: its header promises " + std::to_string(needed) + " bytes";
}

std::string DecodePgm(std::FILE* file, RgbPicture* picture, bool* out_of_memory) {
  PgmHeader header;
  if (std::string problem = ReadHeader(file, &header); !problem.empty()) return problem;
  const size_t pixels = size_t{header.width} * header.height;
  picture->width = static_cast<int32_t>(header.width);
  picture->height = static_cast<int32_t>(header.height);
  picture->pixels.reset(static_cast<uint8_t*>(std::malloc(pixels * 3)));
  try {
    picture->depth16.assign(header.bytes == 2 ? pixels : 0, 0);
    if (!picture->pixels) throw std::bad_alloc();
  } catch (const std::bad_alloc&) {
    *out_of_memory = true;
    return "outofmem";
  }
  std::vector<uint8_t> samples(header.width * header.bytes);
  std::fseek(file, header.samples_at, SEEK_SET);
  for (size_t line = 0; line < header.height; ++line) {
    if (std::fread(samples.data(), 1, samples.size(), file) != samples.size()) return "cut short";
    if (!SpreadLine(samples, header, line, picture)) return "a sample is above the maxval";
  }
  return "";
}
