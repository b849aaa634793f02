// Where the board's scrolling text is drawn in a frame: shared by the board, which
// scrolls it in real time, and parallux-still, which places it frame by frame as the
// board would.
#pragma once

#include <cstdint>

// Where the scrolling text is drawn in one frame, and the clock that put it there.
struct TextPlacement {
  std::uint32_t clock;  // the scroll clock, reset to 0 when the text had left the picture
  std::int32_t x;
  std::int32_t y;
};

// The text moves one pixel left per 10 ms of `clock` from x = width, and starts again at
// the right edge in the first frame in which its right end has passed column 0;
// vertically it is centred.
TextPlacement PlaceText(std::uint32_t clock, std::int32_t width, std::int32_t height,
                        std::int32_t text_width, std::int32_t text_height);

// How many frames `period` ms apart the text takes to scroll through and start again at
// the edge: the board's k-th frame (from 1) has the clock period * (k mod this), when its
// clock started at 0 and every frame came on time.
std::uint64_t ScrollCycle(std::uint32_t period, std::int32_t width, std::int32_t text_width);
