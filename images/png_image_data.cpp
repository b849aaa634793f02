#include "images/png_image_data.h"

#include <zlib.h>

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace {

// The lines inflated, on their way to the thread that unfilters them: a ring of batches,
// so that neither side waits on the other for each line.
class LineRing {
 public:
  static constexpr size_t kBatch = 16;
  static constexpr size_t kLines = kBatch * 4;

  explicit LineRing(size_t line_bytes) : line_bytes_(line_bytes), lines_(line_bytes * kLines) {}

  uint8_t* Line(size_t y) { return &lines_[(y % kLines) * line_bytes_]; }

  // The inflating side. Until the lines up to `last` have room; false once the other
  // side has given up.
  bool WaitForRoom(size_t last) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || last < taken_ + kLines; });
    return !stopped_;
  }
  void Filled(size_t lines) { Publish(&filled_, lines); }

  // The unfiltering side. Until more than `from` lines are filled; the count filled, or
  // `from` once the other side has given up.
  size_t WaitForLines(size_t from) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || filled_ > from; });
    return stopped_ ? from : filled_;
  }
  void Taken(size_t lines) { Publish(&taken_, lines); }

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
  size_t filled_ = 0;
  size_t taken_ = 0;
  bool stopped_ = false;
};

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// The data of the file's IDAT chunks, which follow one another, as one stream.
class ImageData {
 public:
  explicit ImageData(std::FILE* file) : file_(file) {}

  // The next piece of the stream; empty at its end.
  std::pair<const uint8_t*, size_t> Next() {
    while (left_ == 0) {
      // After the first IDAT chunk, its checksum lies before the next chunk's head.
      if (started_ && std::fseek(file_, 4, SEEK_CUR) != 0) return {nullptr, 0};
      uint8_t head[8];
      if (std::fread(head, 1, sizeof head, file_) != sizeof head) return {nullptr, 0};
      const bool idat = std::memcmp(head + 4, "IDAT", 4) == 0;
      if (started_ && !idat) return {nullptr, 0};
      left_ = BigEndian32(head);
      if (!idat) {
        if (std::memcmp(head + 4, "IEND", 4) == 0 ||
            std::fseek(file_, static_cast<long>(left_) + 4, SEEK_CUR) != 0) {
          return {nullptr, 0};
        }
        left_ = 0;
      }
      started_ = idat;
    }
    const size_t want = left_ < sizeof buffer_ ? left_ : sizeof buffer_;
    const size_t got = std::fread(buffer_, 1, want, file_);
    left_ = got == want ? left_ - static_cast<uint32_t>(got) : 0;
    return {buffer_, got};
  }

 private:
  std::FILE* file_;
  bool started_ = false;
  uint32_t left_ = 0;
  uint8_t buffer_[1 << 16];
};

// The filtered lines of the image data, inflated one after another.
class FilteredLines {
 public:
  explicit FilteredLines(std::FILE* file) : data_(file) { std::fseek(file, 8, SEEK_SET); }
  ~FilteredLines() {
    if (started_) inflateEnd(&stream_);
  }
  FilteredLines(const FilteredLines&) = delete;
  FilteredLines& operator=(const FilteredLines&) = delete;

  // Line `y` into `out`, `size` bytes with its filter byte. Empty, or why not.
  std::string Read(uint8_t* out, size_t size, uint32_t y, bool* out_of_memory) {
    if (!started_) {
      started_ = inflateInit(&stream_) == Z_OK;
      if (!started_) {
        *out_of_memory = true;
        return "out of memory";
      }
      // The chunks' checksums have been checked, and neither libspng (told so) nor stb
      // checks the stream's own: every way a file is read agrees on which are whole.
      inflateValidate(&stream_, 0);
    }
    stream_.next_out = out;
    stream_.avail_out = static_cast<uInt>(size);
    int result = Z_OK;
    while (stream_.avail_out > 0 && result == Z_OK) {
      if (stream_.avail_in == 0) {
        const auto [bytes, got] = data_.Next();
        stream_.next_in = const_cast<Bytef*>(bytes);
        stream_.avail_in = static_cast<uInt>(got);
        if (got == 0) result = Z_BUF_ERROR;
      }
      if (stream_.avail_in > 0) result = inflate(&stream_, Z_NO_FLUSH);
    }
    if (stream_.avail_out == 0 && (result == Z_OK || result == Z_STREAM_END)) return "";
    *out_of_memory = result == Z_MEM_ERROR;
    if (*out_of_memory) return "out of memory";
    if (result == Z_BUF_ERROR || result == Z_STREAM_END)
      return "image data ends before line " + std::to_string(y + 1);
    return std::string("damaged image data: ") +
           (stream_.msg != nullptr ? stream_.msg : "zlib error");
  }

 private:
  ImageData data_;
  z_stream stream_{};
  bool started_ = false;
};

int PaethOf(int left, int up, int up_left) {
  const int by_left = std::abs(up - up_left);
  const int by_up = std::abs(left - up_left);
  const int by_up_left = std::abs(left + up - 2 * up_left);
  // Ties go to the left, then up: the order the format sets.
  const int nearer = by_up < by_left ? up : left;
  const int distance = by_up < by_left ? by_up : by_left;
  return by_up_left < distance ? up_left : nearer;
}

// One filtered line of `size` bytes, `in`, back to its samples in `out`, given the line
// above as unfiltered (zeros for the top line). False when `type` is no filter.
bool UnfilterLine(uint8_t type, const uint8_t* in, const uint8_t* up, size_t size,
                  size_t pixel_bytes, uint8_t* out) {
  const size_t first = pixel_bytes < size ? pixel_bytes : size;
  switch (type) {
    case 0:
      std::memcpy(out, in, size);
      return true;
    case 1:
      std::memcpy(out, in, first);
      for (size_t i = first; i < size; ++i)
        out[i] = static_cast<uint8_t>(in[i] + out[i - pixel_bytes]);
      return true;
    case 2:
      for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(in[i] + up[i]);
      return true;
    case 3:
      for (size_t i = 0; i < first; ++i) out[i] = static_cast<uint8_t>(in[i] + (up[i] >> 1));
      for (size_t i = first; i < size; ++i)
        out[i] = static_cast<uint8_t>(in[i] + ((out[i - pixel_bytes] + up[i]) >> 1));
      return true;
    case 4:
      // With nothing to the left, the nearest of the three is the one above.
      for (size_t i = 0; i < first; ++i) out[i] = static_cast<uint8_t>(in[i] + up[i]);
      for (size_t i = first; i < size; ++i) {
        out[i] =
            static_cast<uint8_t>(in[i] + PaethOf(out[i - pixel_bytes], up[i], up[i - pixel_bytes]));
      }
      return true;
    default:
      return false;
  }
}

// The lines back to their samples, handed on in order. Throws std::bad_alloc.
class Unfilterer {
 public:
  Unfilterer(size_t line_bytes, size_t pixel_bytes, const PngLineSink& sink)
      : up_(line_bytes, 0), line_(line_bytes), pixel_bytes_(pixel_bytes), sink_(sink) {
    sink_.begin();
  }

  // Filtered line `y`, its filter byte first. Empty, or why not.
  std::string Take(const uint8_t* filtered, uint32_t y) {
    if (!UnfilterLine(filtered[0], filtered + 1, up_.data(), line_.size(), pixel_bytes_,
                      line_.data())) {
      return "line " + std::to_string(y + 1) + " has the unknown filter " +
             std::to_string(filtered[0]);
    }
    sink_.take(line_.data(), y);
    line_.swap(up_);
    return "";
  }

 private:
  std::vector<uint8_t> up_;  // the line above, unfiltered; zeros above the top line
  std::vector<uint8_t> line_;
  size_t pixel_bytes_;
  const PngLineSink& sink_;
};

std::string OnOneCore(std::FILE* file, uint32_t height, size_t line_bytes, size_t pixel_bytes,
                      const PngLineSink& sink, bool* out_of_memory) {
  FilteredLines lines(file);
  Unfilterer unfilterer(line_bytes, pixel_bytes, sink);
  std::vector<uint8_t> filtered(line_bytes + 1);
  std::string failure;
  for (uint32_t y = 0; y < height && failure.empty(); ++y) {
    failure = lines.Read(filtered.data(), filtered.size(), y, out_of_memory);
    if (failure.empty()) failure = unfilterer.Take(filtered.data(), y);
  }
  return failure;
}

// Fills the ring, batch by batch, until all `height` lines are in or the other side
// stops. Empty, or why not.
std::string FillRing(std::FILE* file, uint32_t height, size_t filtered_bytes, LineRing* ring,
                     bool* out_of_memory) {
  FilteredLines lines(file);
  for (uint32_t y = 0; y < height; ++y) {
    if (y % LineRing::kBatch == 0 && !ring->WaitForRoom(y + LineRing::kBatch - 1)) return "";
    std::string failure = lines.Read(ring->Line(y), filtered_bytes, y, out_of_memory);
    if (!failure.empty()) return failure;
    if ((y + 1) % LineRing::kBatch == 0 || y + 1 == height) ring->Filled(y + 1);
  }
  return "";
}

// Throws std::system_error, having read nothing, when no second thread can be had.
std::string OnTwoCores(std::FILE* file, uint32_t height, size_t line_bytes, size_t pixel_bytes,
                       const PngLineSink& sink, bool* out_of_memory) {
  LineRing ring(line_bytes + 1);
  std::string unfiltered_failure;
  bool sink_out_of_memory = false;
  // The picture, the lines and the messages are allocated on the thread, where a
  // failure must not escape it.
  std::thread unfilter([&] {
    try {
      Unfilterer unfilterer(line_bytes, pixel_bytes, sink);
      for (size_t done = 0; done < height;) {
        const size_t ready = ring.WaitForLines(done);
        if (ready == done) return;
        for (; done < ready && unfiltered_failure.empty(); ++done)
          unfiltered_failure = unfilterer.Take(ring.Line(done), static_cast<uint32_t>(done));
        if (!unfiltered_failure.empty()) {
          ring.Stop();
          return;
        }
        ring.Taken(done);
      }
    } catch (const std::bad_alloc&) {
      sink_out_of_memory = true;
      ring.Stop();
    }
  });
  bool zlib_out_of_memory = false;
  std::string failure;
  try {
    failure = FillRing(file, height, line_bytes + 1, &ring, &zlib_out_of_memory);
  } catch (...) {
    // A running thread must not be left to its destructor.
    ring.Stop();
    unfilter.join();
    throw;
  }
  if (!failure.empty()) ring.Stop();
  unfilter.join();
  *out_of_memory = sink_out_of_memory || zlib_out_of_memory;
  if (sink_out_of_memory) return "out of memory";
  // The line that stopped the unfiltering stopped the inflating too.
  return unfiltered_failure.empty() ? failure : unfiltered_failure;
}

}  // namespace

std::string ReadPngLines(std::FILE* file, uint32_t height, size_t line_bytes, size_t pixel_bytes,
                         const PngLineSink& sink, bool* out_of_memory) {
  *out_of_memory = false;
  std::string failure;
  try {
    // A small picture is not worth a thread.
    bool one_core = height < 64 || std::thread::hardware_concurrency() < 2;
    if (!one_core) {
      try {
        failure = OnTwoCores(file, height, line_bytes, pixel_bytes, sink, out_of_memory);
      } catch (const std::system_error&) {
        one_core = true;
      }
    }
    if (one_core) failure = OnOneCore(file, height, line_bytes, pixel_bytes, sink, out_of_memory);
  } catch (const std::bad_alloc&) {
    *out_of_memory = true;
    failure = "out of memory";
  }
  std::fseek(file, 0, SEEK_SET);
  return failure;
}
