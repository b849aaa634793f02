// The board's animation as a GIF: consecutive frames of one depth picture, each with
// fresh dots, exactly the stills of those frames once their colours are put into a
// 256-colour palette.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "still/gif_writer.h"
#include "still/image_rows.h"
#include "still/still_render.h"

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

// A line on standard error that says how far the work is, while more than a second of
// it remains by the pace so far. Returns the text to write (often none), so that the
// rule is tested without a terminal.
class ProgressLine {
 public:
  std::string Update(uint64_t done, uint64_t total, uint32_t elapsed_ms);
  // Wipes a line still shown.
  std::string Clear();

 private:
  size_t shown_ = 0;  // length of the line on the terminal, 0 for none
};

struct Animation {
  StillFrame first;     // the settings and the first frame (first.frame) of the run
  uint64_t frames = 1;  // how many frames from there
  uint32_t fps = 15;
  // Called after each frame with how many are done.
  std::function<void(uint64_t)> after_frame;
};

// The GIF of the animation of `depth`; false with `error` set when the encoder fails.
// Throws std::bad_alloc when memory runs out.
bool EncodeAnimation(const RgbView& depth, const Animation& animation, std::vector<uint8_t>* gif,
                     std::string* error);
