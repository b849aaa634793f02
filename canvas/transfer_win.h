// Whole-bitmap transfers between GDI bitmaps and pixel buffers (32-bit pixels, rows
// bottom-up, no padding), as the canvas and its composition make them. The bitmap must
// not be selected into any DC while its bits are read or set.
#pragma once

#include <windows.h>

#include <cstdint>

// The header every transfer describes a pixel buffer with.
BITMAPINFO PixelBufferInfo(std::int32_t width, std::int32_t height);

bool ReadBitmapBits(HDC dc, HBITMAP bitmap, std::int32_t width, std::int32_t height,
                    std::uint32_t* pixels);
bool WriteBitmapBits(HDC dc, HBITMAP bitmap, std::int32_t width, std::int32_t height,
                     const std::uint32_t* pixels);
