// Reading the depth back out of a stereogram made by the board's synthesis. Every
// linked pixel repeats the dot one local period to its left, and the local period is
// the period W less the shift of the pixel's depth: so the distance at which a pixel's
// dot repeats gives its shift level, and the level a depth byte.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "images/image_rows.h"
#include "reveal/fine_reveal.h"

// What the user knows of the settings the picture was made with; empty means found.
struct RevealSettings {
  std::optional<int32_t> parallax_width;
  // Never found: a reversed picture of period W is, dot for dot, the unreversed picture
  // of parallax width W with every depth byte complemented. Only the depth bytes
  // written differ, and only the user knows which reading was meant.
  bool reverse = false;
  std::optional<int32_t> depth_divisor;
  // Sub-pixels a pixel the picture was made with (--oversample); never found.
  uint32_t oversample = 1;
  // Told how far the reading is: a large picture takes seconds. May be empty.
  RowProgress progress = nullptr;
};

// The settings the picture was read with.
struct RevealReading {
  int32_t parallax_width = 0;  // 0: no parallax width up to the picture's gives the period
  uint32_t period = 0;         // W
  int32_t depth_divisor = 0;
  bool reverse = false;
  // The grey of the text that the plain-text view blended over the dots, if the
  // picture was copied with that view on.
  std::optional<uint32_t> text_view_grey;
  // Of the dot pixels right of the first period, the share whose repeat was found.
  double repeating = 0;
};

struct RevealResult {
  bool revealed = false;
  std::string why;  // one line, set when the picture holds no stereogram
  RevealReading reading;
};

// Reads `stereogram` and writes its depth picture into `depth`, a grey picture of the
// same size: per pixel the darkest depth byte whose shift is the level found. Pixels
// whose dots do not repeat (the first period of a row, surfaces hidden behind a fall
// in depth) take the level found next to them on the right, as the surface behind a
// fall continues there. Writes nothing to `depth` when the picture is refused.
RevealResult RevealDepth(const RgbView& stereogram, const RevealSettings& settings,
                         const RgbView& depth);
