#include <spng.h>

#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "images/png_codec.h"

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

// The 16-bit samples of each colour type: grey, -, RGB, -, grey and alpha, -, RGBA.
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

// Line by line, in the file's own samples (a grey file is a quarter of RGBA's bytes),
// so that a large 16-bit file is never held whole; an interlaced one fills its lines
// pass by pass, so it is.
int Decode16Here(spng_ctx* context, const spng_ihdr& header, RgbPicture* picture) {
  const size_t width = static_cast<size_t>(picture->width);
  const size_t height = static_cast<size_t>(picture->height);
  const bool interlaced = header.interlace_method != 0;
  const size_t per_pixel = SamplesOf(header.color_type);
  int result = spng_decode_image(context, nullptr, 0, SPNG_FMT_RAW, SPNG_DECODE_PROGRESSIVE);
  if (result != 0) return result;
  const size_t line_bytes = width * per_pixel * 2;
  std::vector<uint8_t> lines(line_bytes * (interlaced ? height : 1));
  picture->depth16.resize(width * height);
  spng_row_info row{};
  while (result == 0 && (result = spng_get_row_info(context, &row)) == 0) {
    uint8_t* line = lines.data() + (interlaced ? row.row_num * line_bytes : 0);
    result = spng_decode_row(context, line, line_bytes);
    if (!interlaced && (result == 0 || result == SPNG_EOI))
      Spread16(line, per_pixel, row.row_num, picture);
  }
  if (result != SPNG_EOI) return result;
  for (uint32_t y = 0; interlaced && y < height; ++y)
    Spread16(&lines[y * line_bytes], per_pixel, y, picture);
  return 0;
}

// The lines libspng has decoded, on their way to the thread that spreads them: a ring
// of batches, so that neither side waits on the other for each line.
class LineRing {
 public:
  static constexpr size_t kBatch = 16;
  static constexpr size_t kLines = kBatch * 4;

  explicit LineRing(size_t line_bytes) : line_bytes_(line_bytes), lines_(line_bytes * kLines) {}

  uint8_t* Line(size_t y) { return &lines_[(y % kLines) * line_bytes_]; }

  // The decoder's side. Until the lines up to `last` have room; false once the other
  // side has given up.
  bool WaitForRoom(size_t last) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || last < spread_ + kLines; });
    return !stopped_;
  }
  void Decoded(size_t lines) { Publish(&decoded_, lines); }

  // The spreader's side. Until more than `from` lines are decoded; the count decoded,
  // or `from` once the other side has given up.
  size_t WaitForLines(size_t from) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || decoded_ > from; });
    return stopped_ ? from : decoded_;
  }
  void Spread(size_t lines) { Publish(&spread_, lines); }

  void Stop() {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }

 private:
  void Publish(size_t* count, size_t lines) {
    const std::lock_guard<std::mutex> lock(mutex_);
    *count = lines;
    changed_.notify_all();
  }

  size_t line_bytes_;
  std::vector<uint8_t> lines_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t decoded_ = 0;
  size_t spread_ = 0;
  bool stopped_ = false;
};

// Inflating and unfiltering take most of a large file's time and must run in order;
// spreading its lines into the picture (and touching the picture's fresh pages) runs
// beside them on a second core.
int Decode16Beside(spng_ctx* context, const spng_ihdr& header, RgbPicture* picture,
                   LineRing* ring) {
  const size_t height = static_cast<size_t>(picture->height);
  const size_t per_pixel = SamplesOf(header.color_type);
  const size_t line_bytes = static_cast<size_t>(picture->width) * per_pixel * 2;
  bool out_of_memory = false;
  std::thread spreader([&] {
    try {
      picture->depth16.resize(static_cast<size_t>(picture->width) * height);
    } catch (const std::bad_alloc&) {
      out_of_memory = true;
      ring->Stop();
      return;
    }
    for (size_t done = 0; done < height;) {
      const size_t ready = ring->WaitForLines(done);
      if (ready == done) return;
      for (; done < ready; ++done)
        Spread16(ring->Line(done), per_pixel, static_cast<uint32_t>(done), picture);
      ring->Spread(done);
    }
  });
  int result = spng_decode_image(context, nullptr, 0, SPNG_FMT_RAW, SPNG_DECODE_PROGRESSIVE);
  spng_row_info row{};
  while (result == 0 && (result = spng_get_row_info(context, &row)) == 0) {
    const size_t y = row.row_num;
    if (y % LineRing::kBatch == 0 && !ring->WaitForRoom(y + LineRing::kBatch - 1)) break;
    result = spng_decode_row(context, ring->Line(y), line_bytes);
    if ((result == 0 || result == SPNG_EOI) && ((y + 1) % LineRing::kBatch == 0 || y + 1 == height))
      ring->Decoded(y + 1);
  }
  if (result != SPNG_EOI) ring->Stop();
  spreader.join();
  // The decoder leaves the loop early without a failure of its own only when the
  // spreader found no memory.
  if (out_of_memory) return SPNG_EMEM;
  return result == SPNG_EOI ? 0 : result;
}

int Decode16(spng_ctx* context, const spng_ihdr& header, RgbPicture* picture) {
  // A small picture is not worth a thread.
  if (header.interlace_method != 0 || picture->height < 64 ||
      std::thread::hardware_concurrency() < 2) {
    return Decode16Here(context, header, picture);
  }
  LineRing ring(static_cast<size_t>(picture->width) * SamplesOf(header.color_type) * 2);
  try {
    return Decode16Beside(context, header, picture, &ring);
  } catch (const std::system_error&) {
    // No thread to be had: the same work, in this one.
    return Decode16Here(context, header, picture);
  }
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
      result = !picture->pixels         ? SPNG_EMEM
               : header.bit_depth == 16 ? Decode16(context.get(), header, picture)
                                        : spng_decode_image(context.get(), picture->pixels.get(),
                                                            bytes, SPNG_FMT_RGB8, 0);
    } catch (const std::bad_alloc&) {
      result = SPNG_EMEM;
    }
  }
  *out_of_memory = result == SPNG_EMEM;
  return result == 0 ? "" : spng_strerror(result);
}
