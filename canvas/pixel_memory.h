// The canvas's pixel buffers: width x height 32-bit pixels, allocated without
// throwing so that the canvas can report a failure in its own way.
#pragma once

#include <cstddef>
#include <cstdint>

// Null when the memory cannot be had (or count is 0).
std::uint32_t* AllocatePixels(std::size_t count);
void FreePixels(std::uint32_t* pixels);

// Test seam: the `after`-th allocation from now fails (the first if 0); -1 disarms.
// A real shortage cannot be caused before the window's bitmaps already fail.
void FailPixelAllocation(std::int32_t after);
