// One still frame of the board's synthesis, made from a depth picture.
#pragma once

#include <cstdint>

#include "images/image_rows.h"
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

// What one frame of `picture` does to the generator, found from two frames that are
// made and thrown away.
GeneratorMap FrameMap(const RgbView& picture, const StereogramParams& params);

struct StillFrame {
  StereogramParams params;  // depth_divisor stays the board's 4
  bool guides = false;
  uint32_t seed = 0;   // the generator's state before the first frame
  uint64_t frame = 1;  // which frame of a run from `seed`; 1 is the first
};

// Replaces the depth picture with the stereogram that the board would show for it,
// with an all-black text image: frame `frame` of a run started at `seed`, each frame
// synthesised from the same picture. The frames before it are skipped, not drawn
// (see GeneratorMap), so any frame number costs at most three frames. With `guides`
// the two guide marks of that frame are painted black over it. Rows are made one at
// a time, so apart from the picture only a few rows are allocated; throws
// std::bad_alloc if even those cannot be. Returns the generator's state after the
// frame: the seed of the frame after it.
uint32_t RenderStill(const RgbView& picture, const StillFrame& still);
