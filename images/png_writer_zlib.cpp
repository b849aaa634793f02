// PNG written natively through zlib, its image data deflated in two halves at once: a
// 4K still spends more time compressing than making its dots, and deflate is serial.
// The second half's stream is primed with the 32 KB before it, as one stream would have
// them in its window, so splitting costs almost nothing in size.
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "images/image_file.h"

namespace {

// Chosen by measure on stereograms of random dots (960 x 320 and 3840 x 2160, grey and
// colour, over a smooth depth): their redundancy is a row repeating itself a period
// along, which any PNG filter hides (it mixes in the line above, whose dots are others),
// so rows go unfiltered. Level 1 already finds those repeats: on a 4K stereogram of a
// 16-bit depth map it writes grey dots in 582 KB (stb: 1.4 MB of RGB) and colour in
// 1.2 MB (stb: 1.5 MB). Level 4 makes files a third smaller but takes twice as long.
constexpr int kCompressionLevel = 1;
constexpr size_t kWindow = 32768;

// The picture's lines as the PNG's image data holds them: a filter byte (none) first.
struct Lines {
  const uint8_t* pixels;
  size_t bytes;  // of a line, without its filter byte
  uint32_t Line(uint32_t y, uint8_t* out) const {
    out[0] = 0;
    std::memcpy(out + 1, pixels + y * bytes, bytes);
    return static_cast<uint32_t>(bytes + 1);
  }
};

struct Part {
  std::vector<uint8_t> deflated;
  uLong adler = 0;
  uLong raw = 0;  // bytes before compression
  bool ok = false;
};

// Lines [first, end) as raw deflate: ending on a byte boundary for another part to follow,
// or with the final block when `last`.
bool Deflate(const Lines& lines, uint32_t first, uint32_t end, bool last, Part* part) {
  z_stream z{};
  if (deflateInit2(&z, kCompressionLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    return false;
  }
  std::vector<uint8_t> line(lines.bytes + 1);
  bool ok = true;
  if (first > 0) {
    // The window a single stream would hold here: the lines just before `first`.
    std::vector<uint8_t> before;
    for (uint32_t y = first - std::min<uint32_t>(first, kWindow / (lines.bytes + 1) + 1); y < first;
         ++y) {
      before.insert(before.end(), line.begin(), line.begin() + lines.Line(y, line.data()));
    }
    const size_t keep = std::min(before.size(), kWindow);
    ok = deflateSetDictionary(&z, &before[before.size() - keep], static_cast<uInt>(keep)) == Z_OK;
  }
  part->adler = adler32(0, nullptr, 0);
  part->deflated.resize(deflateBound(&z, (end - first) * (lines.bytes + 1)) + 64);
  z.next_out = part->deflated.data();
  z.avail_out = static_cast<uInt>(part->deflated.size());
  for (uint32_t y = first; ok && y <= end; ++y) {
    const bool more = y < end;
    z.avail_in = more ? lines.Line(y, line.data()) : 0;
    z.next_in = line.data();
    if (more) part->adler = adler32(part->adler, line.data(), z.avail_in);
    part->raw += z.avail_in;
    const int flush = more ? Z_NO_FLUSH : last ? Z_FINISH : Z_SYNC_FLUSH;
    const int result = deflate(&z, flush);
    // The bound leaves room for everything; a full buffer would mean it did not.
    ok = z.avail_in == 0 && z.avail_out > 0 && (result == Z_OK || result == Z_STREAM_END);
  }
  part->deflated.resize(part->deflated.size() - z.avail_out);
  deflateEnd(&z);
  return ok;
}

void DeflateQuietly(const Lines& lines, uint32_t first, uint32_t end, bool last, Part* part) {
  try {
    part->ok = Deflate(lines, first, end, last, part);
  } catch (const std::bad_alloc&) {
    part->ok = false;
  }
}

void Put32(uint8_t* at, uLong value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// A chunk at `at`: length, type, data, and the CRC of type and data; returns its end.
uint8_t* PutChunk(uint8_t* at, const char* type, const uint8_t* data, size_t size) {
  Put32(at, size);
  std::memcpy(at + 4, type, 4);
  if (size > 0) std::memcpy(at + 8, data, size);
  Put32(at + 8 + size, crc32(0, at + 4, static_cast<uInt>(size + 4)));
  return at + 12 + size;
}

PngBytes Assemble(int32_t width, int32_t height, int channels, const std::array<Part, 2>& parts,
                  size_t count) {
  std::vector<uint8_t> data{0x78, 0x01};  // zlib's header: deflate, 32 KB window
  uLong adler = parts[0].adler;
  for (size_t i = 0; i < count; ++i) {
    data.insert(data.end(), parts[i].deflated.begin(), parts[i].deflated.end());
    if (i > 0) adler = adler32_combine(adler, parts[i].adler, static_cast<z_off_t>(parts[i].raw));
  }
  data.resize(data.size() + 4);
  Put32(&data[data.size() - 4], adler);
  uint8_t header[13] = {};
  Put32(header, static_cast<uLong>(width));
  Put32(header + 4, static_cast<uLong>(height));
  header[8] = 8;                      // bits a sample
  header[9] = channels == 1 ? 0 : 2;  // grey, or RGB
  PngBytes png;
  const size_t size = 8 + (12 + sizeof header) + (12 + data.size()) + 12;
  png.data.reset(static_cast<uint8_t*>(std::malloc(size)));
  if (!png.data) return png;
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  uint8_t* at = png.data.get();
  std::memcpy(at, kSignature, sizeof kSignature);
  at = PutChunk(at + sizeof kSignature, "IHDR", header, sizeof header);
  at = PutChunk(at, "IDAT", data.data(), data.size());
  PutChunk(at, "IEND", nullptr, 0);
  png.size = size;
  return png;
}

}  // namespace

PngBytes EncodePng(const RgbView& picture) {
  // A grey stereogram as one channel: a third of the data to compress.
  std::vector<uint8_t> grey;
  const bool is_grey = TakeGrey(picture, &grey);
  const int channels = is_grey ? 1 : 3;
  const Lines lines{is_grey ? grey.data() : picture.pixels,
                    static_cast<size_t>(picture.width) * channels};
  const auto height = static_cast<uint32_t>(picture.height);
  // Two halves on two cores; a small picture is not worth a thread.
  const size_t count = height >= 64 && std::thread::hardware_concurrency() > 1 ? 2 : 1;
  const uint32_t split = count == 2 ? height / 2 : height;
  std::array<Part, 2> parts;
  {
    std::thread second;
    if (count == 2) {
      try {
        second = std::thread(DeflateQuietly, std::cref(lines), split, height, true, &parts[1]);
      } catch (const std::system_error&) {
        // No thread to be had: the second half is made here, after the first.
      }
    }
    DeflateQuietly(lines, 0, split, count == 1, &parts[0]);
    if (second.joinable()) {
      second.join();
    } else if (count == 2) {
      DeflateQuietly(lines, split, height, true, &parts[1]);
    }
  }
  if (!parts[0].ok || (count == 2 && !parts[1].ok)) return {};
  return Assemble(picture.width, picture.height, channels, parts, count);
}
