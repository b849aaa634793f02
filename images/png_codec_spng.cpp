#include <spng.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "images/png_codec.h"
#include "images/png_image_data.h"

namespace {

// Ancillary chunks are not used; a file may not make the reader hold more of them.
constexpr size_t kChunkLimit = size_t{1} << 24;

struct SpngFree {
  void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};
using Spng = std::unique_ptr<spng_ctx, SpngFree>;

Spng Reader(std::FILE* file) {
  std::fseek(file, 0, SEEK_SET);
  Spng context(spng_ctx_new(0));
  // FindImageDamage has checked every chunk's checksum already.
  if (context && (spng_set_png_file(context.get(), file) != 0 ||
                  spng_set_crc_action(context.get(), SPNG_CRC_USE, SPNG_CRC_USE) != 0 ||
                  spng_set_chunk_limits(context.get(), kChunkLimit, kChunkLimit) != 0)) {
    context.reset();
  }
  return context;
}

// The samples of each colour type: grey, -, RGB, -, grey and alpha, -, RGBA.
size_t SamplesOf(uint8_t colour_type) {
  switch (colour_type) {
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
      return 2;
    case SPNG_COLOR_TYPE_TRUECOLOR:
      return 3;
    case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
      return 4;
    default:
      return 1;
  }
}

// One decoded line, in the file's own big-endian samples, as the picture's line `line`.
void Spread16(const uint8_t* samples, size_t per_pixel, uint32_t line, RgbPicture* picture) {
  const size_t width = static_cast<size_t>(picture->width);
  uint8_t* rgb = picture->pixels.get() + line * width * 3;
  uint16_t* depth = picture->depth16.data() + line * width;
  const size_t green = per_pixel >= 3 ? 1 : 0;
  const size_t blue = per_pixel >= 3 ? 2 : 0;
  for (size_t x = 0; x < width; ++x, samples += 2 * per_pixel, rgb += 3) {
    // Big-endian, as the file holds them: the high byte first.
    rgb[0] = samples[0];
    rgb[1] = samples[2 * green];
    rgb[2] = samples[2 * blue];
    depth[x] = static_cast<uint16_t>(samples[2 * blue] << 8 | samples[2 * blue + 1]);
  }
}

// The same for a file of 8-bit samples, which has no more depth to keep.
void Spread8(const uint8_t* samples, size_t per_pixel, uint32_t line, RgbPicture* picture) {
  const size_t width = static_cast<size_t>(picture->width);
  uint8_t* rgb = picture->pixels.get() + line * width * 3;
  const size_t green = per_pixel >= 3 ? 1 : 0;
  const size_t blue = per_pixel >= 3 ? 2 : 0;
  for (size_t x = 0; x < width; ++x, samples += per_pixel, rgb += 3) {
    rgb[0] = samples[0];
    rgb[1] = samples[green];
    rgb[2] = samples[blue];
  }
}

// An interlaced 16-bit file, in its own samples (a grey file is a quarter of RGBA's
// bytes): its passes fill the lines in turn, so they are held whole until the last.
int DecodeInterlaced16(spng_ctx* context, const spng_ihdr& header, RgbPicture* picture) {
  const size_t width = static_cast<size_t>(picture->width);
  const size_t height = static_cast<size_t>(picture->height);
  const size_t per_pixel = SamplesOf(header.color_type);
  const size_t line_bytes = width * per_pixel * 2;
  std::vector<uint8_t> lines(line_bytes * height);
  const int result = spng_decode_image(context, lines.data(), lines.size(), SPNG_FMT_RAW, 0);
  if (result != 0) return result;
  picture->depth16.resize(width * height);
  for (uint32_t y = 0; y < height; ++y) Spread16(&lines[y * line_bytes], per_pixel, y, picture);
  return 0;
}

// A file of 8 or 16 bits a sample, no palette and no interlacing: the form of depth maps
// from renderers and depth tools, whose image data is read past libspng, on two cores
// when the picture is large.
bool ReadsOwnImageData(const spng_ihdr& header) {
  return header.interlace_method == 0 &&
         (header.bit_depth == 16 ||
          (header.bit_depth == 8 && header.color_type != SPNG_COLOR_TYPE_INDEXED));
}

std::string ReadImageData(spng_ctx* context, std::FILE* file, const spng_ihdr& header,
                          RgbPicture* picture, bool* out_of_memory) {
  // libspng reads and checks every chunk before the image data: their order, their
  // lengths, and that none is an unknown one a decoder must understand.
  spng_plte palette{};
  const int checked = spng_get_plte(context, &palette);
  if (checked != 0 && checked != SPNG_ECHUNKAVAIL) {
    *out_of_memory = checked == SPNG_EMEM;
    return spng_strerror(checked);
  }
  const size_t per_pixel = SamplesOf(header.color_type);
  const size_t sample_bytes = header.bit_depth / 8;
  const auto spread = sample_bytes == 2 ? Spread16 : Spread8;
  const PngLineSink sink{
      [picture, sample_bytes] {
        if (sample_bytes == 2)
          picture->depth16.resize(static_cast<size_t>(picture->width) * picture->height);
      },
      [picture, per_pixel, spread](const uint8_t* samples, uint32_t line) {
        spread(samples, per_pixel, line, picture);
      }};
  const size_t pixel_bytes = per_pixel * sample_bytes;
  return ReadPngLines(file, header.height, size_t{header.width} * pixel_bytes, pixel_bytes, sink,
                      out_of_memory);
}

}  // namespace

std::string PngSize(std::FILE* file, int32_t* width, int32_t* height) {
  const Spng context = Reader(file);
  spng_ihdr header{};
  const int result = context ? spng_get_ihdr(context.get(), &header) : SPNG_EMEM;
  std::fseek(file, 0, SEEK_SET);
  if (result != 0) return spng_strerror(result);
  // The header allows no more than 2^31 - 1 a side.
  *width = static_cast<int32_t>(header.width);
  *height = static_cast<int32_t>(header.height);
  return "";
}

std::string DecodePng(std::FILE* file, RgbPicture* picture, bool* out_of_memory) {
  const Spng context = Reader(file);
  spng_ihdr header{};
  int result =
      context ? spng_set_image_limits(context.get(), kMaxImageSide, kMaxImageSide) : SPNG_EMEM;
  if (result == 0) result = spng_get_ihdr(context.get(), &header);
  if (result == 0) {
    picture->width = static_cast<int32_t>(header.width);
    picture->height = static_cast<int32_t>(header.height);
    const size_t bytes = size_t{header.width} * header.height * 3;
    picture->pixels.reset(static_cast<uint8_t*>(std::malloc(bytes)));
    picture->depth16.clear();
    try {
      if (!picture->pixels) {
        result = SPNG_EMEM;
      } else if (ReadsOwnImageData(header)) {
        return ReadImageData(context.get(), file, header, picture, out_of_memory);
      } else {
        result = header.bit_depth == 16 ? DecodeInterlaced16(context.get(), header, picture)
                                        : spng_decode_image(context.get(), picture->pixels.get(),
                                                            bytes, SPNG_FMT_RGB8, 0);
      }
    } catch (const std::bad_alloc&) {
      result = SPNG_EMEM;
    }
  }
  *out_of_memory = result == SPNG_EMEM;
  return result == 0 ? "" : spng_strerror(result);
}
