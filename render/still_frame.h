// One still frame of the board's synthesis, made from a depth picture: exactly the
// board's frame by default, or with sub-pixel depth and dots from a pattern.
#pragma once

#include <cstdint>

#include "images/image_rows.h"
#include "render/pattern.h"
#include "stereogram/stereogram.h"

// What one frame does to the dot generator: state -> a * state + c (mod 2^32). The
// generator is linear and a frame's draws depend only on the depth picture and the
// settings, never on the dots, so every frame of one picture is the same such map.
struct GeneratorMap {
  uint32_t a = 1;
  uint32_t c = 0;
  uint32_t Apply(uint32_t state) const { return a * state + c; }
  bool operator==(const GeneratorMap&) const = default;
};

// `first`, then `second`.
GeneratorMap Then(const GeneratorMap& first, const GeneratorMap& second);

// `map` applied `times` times, in about 2 log2(times) compositions.
GeneratorMap Repeated(const GeneratorMap& map, uint64_t times);

constexpr uint32_t kMaxOversample = 8;

struct StillFrame {
  StereogramParams params;
  bool guides = false;
  uint32_t seed = 0;   // the generator's state before the first frame
  uint64_t frame = 1;  // which frame of a run from `seed`; 1 is the first
  // Sub-pixels a pixel, 1 to kMaxOversample. 1 is the board's picture; above it the
  // frame is synthesised that many times wider, with as many times the depth levels,
  // and averaged back.
  uint32_t oversample = 1;
  // Dots from a pattern (scaled to FramePeriod) instead of the generator; not owned.
  const Pattern* pattern = nullptr;
  // The text image, as the board's text layer holds it: width x height pixels, rows
  // bottom-up, grey at the text depth where the text is and black elsewhere; the depth
  // of a pixel is the larger of the picture's and the text's. Null: no text.
  const uint32_t* text = nullptr;
};

// The depth picture a frame is made from: its 8-bit pixels, and the full 16 bits of its
// depth when the file had them (top line first; used when oversampling).
struct DepthSource {
  RgbView picture;
  const uint16_t* depth16 = nullptr;
};

// The period, in pixels, that frames of `width` pixels are made with.
uint32_t FramePeriod(const StereogramParams& params, int32_t width);

// What one frame of `depth` does to the generator, found from two frames that are made
// and thrown away.
GeneratorMap FrameMap(const DepthSource& depth, const StillFrame& still);

// The generator's state after one frame of `depth` from still.seed, the frame itself not
// written: for runs whose depth changes from frame to frame, which no single map skips.
uint32_t SkipFrame(const DepthSource& depth, const StillFrame& still);

// Writes into `out` (the depth picture's size; it may be the depth picture itself) the
// stereogram that the board would show for the depth, with an all-black text image:
// frame `frame` of a run started at `seed`, each frame synthesised from the same
// picture. The frames before it are skipped, not drawn (see GeneratorMap), so any frame
// number costs at most three frames. With `guides` the two guide marks of that frame are
// painted black over it, where the frame's period puts them. Rows are made one at a
// time, so apart from the pictures only a few rows are allocated; throws
// std::bad_alloc if even those cannot be. Returns the generator's state after the
// frame: the seed of the frame after it.
uint32_t RenderStill(const DepthSource& depth, const StillFrame& still, const RgbView& out);
