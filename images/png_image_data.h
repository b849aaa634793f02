// The image data of a non-interlaced PNG, a large one read on two cores: zlib inflates
// the lines on the calling thread while a second thread unfilters them and hands them
// on. libspng does both on one thread, and unfilters a byte at a time; for a 4K 16-bit
// depth map that was most of the still's time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

// Where the lines go, on the second thread: `begin` first (which may throw
// std::bad_alloc), then `take` with each line's samples, top line first.
struct PngLineSink {
  std::function<void()> begin;
  std::function<void(const uint8_t* samples, uint32_t line)> take;
};

// The `height` lines of the whole PNG `file`, whose chunks have been checked, each
// `line_bytes` of samples (`pixel_bytes` to a pixel) after its filter byte. On one core
// when the picture is small, the machine has one, or no second thread can be had. Empty
// on success, otherwise why not, with `out_of_memory` saying whether the machine rather
// than the file was at fault.
std::string ReadPngLines(std::FILE* file, uint32_t height, size_t line_bytes, size_t pixel_bytes,
                         const PngLineSink& sink, bool* out_of_memory);
