// A line of text drawn as the board's text layer draws it: grey at the text depth on
// black, in the board's font, in a picture the size the board measures the text at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "stereogram/text_placement.h"

struct TextMask {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> grey;  // width x height, top line first
};

// Draws `text` at grey `depth` (0 to 255). The text is UTF-8 in the native build and in
// the ANSI code page on Windows; `face_file` is a font file to draw with instead of the
// board's face, empty for the board's own. False, with a one-line `error` naming what is
// wrong, for a text that is not valid in its encoding or holds control characters, a
// face that cannot be read, or one without a glyph the text needs.
bool DrawTextMask(const std::string& text, std::uint32_t depth, const std::string& face_file,
                  TextMask* mask, std::string* error);

// The text image of one frame, as the board's text layer holds it: `width` x `height`
// 32-bit pixels, bottom line first, the mask's grey in each of the three colour bytes
// where the mask is placed (clipped to the picture) and black everywhere else.
void FillTextImage(const TextMask& mask, const TextPlacement& at, std::int32_t width,
                   std::int32_t height, std::uint32_t* image);
