// The 256 colours of an animated GIF frame, and the rule that puts a frame's pixels
// into them.
#pragma once

#include <cstdint>

#include "animation/gif_writer.h"
#include "images/image_rows.h"

// A frame's delay in hundredths of a second, the unit of a GIF: 100 / fps rounded.
uint16_t FrameDelay(uint32_t fps);

// Grey dots: index v is grey v, so every grey dot keeps its value.
GifPalette GreyPalette();
// Colour dots: 8 levels of red and green, 4 of blue. Each colour goes to the nearest
// level of each channel, a fixed map: equal dots stay equal (so every repeat stays a
// repeat and the picture still fuses), at a cost of up to 18 levels of red and green
// and 42 of blue, and of dots that were unlike becoming alike.
GifPalette ColourPalette();
uint8_t ColourIndex(uint32_t rgb);  // 0x00RRGGBB

// The palette indices of a frame, top line first: the grey byte with grey dots,
// ColourIndex otherwise.
void FrameIndices(const RgbView& frame, bool grey, uint8_t* indices);
