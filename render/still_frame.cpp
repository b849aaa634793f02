#include "render/still_frame.h"

#include <cstddef>
#include <vector>

namespace {

// Row buffers for feeding the synthesis one buffer row at a time. Rows are
// independent of each other and the generator runs on from row to row, so a frame
// made row by row is the frame made at once; it needs no picture-sized 32-bit copy.
struct Rows {
  explicit Rows(int32_t width)
      : depth(static_cast<size_t>(width)),
        text(static_cast<size_t>(width), 0),
        out(static_cast<size_t>(width)) {}
  std::vector<uint32_t> depth;
  std::vector<uint32_t> text;  // the text image stays black
  std::vector<uint32_t> out;
};

// Synthesises one frame from `picture` starting at `state`; writes it back into the
// picture when `keep` is set. Returns the generator state after the frame and the
// period in `period`.
uint32_t RunFrame(const RgbView& picture, const StereogramParams& params, uint32_t state, bool keep,
                  Rows& rows, uint32_t* period) {
  DotGenerator generator(state);
  for (int32_t r = 0; r < picture.height; ++r) {
    // The row is read before it is written, so the picture can be both input and
    // output; a black text image leaves the depth row as it was read.
    ReadBufferRow(picture, r, rows.depth.data());
    *period = SynthesizeStereogram(picture.width, 1, rows.depth.data(), rows.text.data(),
                                   rows.out.data(), params, generator);
    if (keep) {
      WriteBufferRow(picture, r, rows.out.data());
    }
  }
  return generator.State();
}

}  // namespace

GeneratorMap Then(const GeneratorMap& first, const GeneratorMap& second) {
  return {second.a * first.a, second.a * first.c + second.c};
}

GeneratorMap Repeated(const GeneratorMap& map, uint64_t times) {
  GeneratorMap result;
  GeneratorMap power = map;
  while (times != 0) {
    // Powers of one map commute, so the order of composition does not matter.
    if (times & 1) result = Then(result, power);
    power = Then(power, power);
    times >>= 1;
  }
  return result;
}

GeneratorMap FrameMap(const RgbView& picture, const StereogramParams& params) {
  if (picture.width < 1 || picture.height < 1) return {};
  // Frames from the states 0 and 1 end in c and a + c.
  Rows rows(picture.width);
  uint32_t period = 0;
  const uint32_t from0 = RunFrame(picture, params, 0, false, rows, &period);
  const uint32_t from1 = RunFrame(picture, params, 1, false, rows, &period);
  return {from1 - from0, from0};
}

uint32_t RenderStill(const RgbView& picture, const StillFrame& still) {
  if (picture.width < 1 || picture.height < 1) {
    return still.seed;
  }
  uint32_t state = still.seed;
  if (still.frame > 1) {
    // The skipped frames are the frame's map applied frame - 1 times.
    state = Repeated(FrameMap(picture, still.params), still.frame - 1).Apply(state);
  }
  Rows rows(picture.width);
  uint32_t period = 0;
  const uint32_t next = RunFrame(picture, still.params, state, true, rows, &period);

  if (still.guides) {
    const auto marks = GuideMarkRects(picture.width, period, still.params.text_depth,
                                      still.params.reverse, still.params.depth_divisor);
    for (const GuideRect& m : marks) {
      FillBlack(picture, m.left, m.top, m.right, m.bottom);
    }
  }
  return next;
}
