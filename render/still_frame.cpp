#include "render/still_frame.h"

#include <cstddef>
#include <vector>

#include "stereogram/fine_synthesis.h"

namespace {

// One frame, made row by row. Rows are independent of each other and the generator runs
// on from row to row, so a frame made row by row is the frame made at once; it needs no
// picture-sized 32-bit copy.
class FrameMaker {
 public:
  FrameMaker(const DepthSource& depth, const StillFrame& still)
      : depth_(depth),
        still_(still),
        width_(depth.picture.width),
        period_(FramePeriod(still.params, width_)),
        board_(still.oversample == 1 && still.pattern == nullptr),
        row_depth_(static_cast<size_t>(width_)),
        text_(static_cast<size_t>(width_), 0),
        out_(static_cast<size_t>(width_)) {
    if (board_) return;
    grid_ = {width_, still.oversample, still.oversample * period_};
    shifts_.resize(static_cast<size_t>(width_));
    fine_.resize(static_cast<size_t>(grid_.SubPixels()));
    // Per frame, the shift of every 16-bit depth, reversal included.
    const auto divisor = static_cast<uint32_t>(FitDivisor(still.params.depth_divisor));
    shift_of_.resize(0x10000);
    for (uint32_t v = 0; v < 0x10000; ++v) {
      shift_of_[v] = DepthShift(still.params.reverse ? v ^ 0xFFFFu : v, grid_.period, divisor);
    }
  }

  uint32_t period() const { return period_; }

  // Synthesises the frame from the generator state `state` into `out`, or only draws its
  // dots when `out` is null. Returns the state after the frame.
  uint32_t Run(uint32_t state, const RgbView* out) {
    DotGenerator generator(state);
    const RgbView& picture = depth_.picture;
    for (int32_t r = 0; r < picture.height; ++r) {
      // The row is read before it is written, so the picture may be both input and
      // output.
      ReadBufferRow(picture, r, row_depth_.data());
      const uint32_t* text =
          still_.text != nullptr ? still_.text + static_cast<size_t>(r) * width_ : text_.data();
      if (board_) {
        SynthesizeStereogram(width_, 1, row_depth_.data(), text, out_.data(), still_.params,
                             generator);
      } else {
        FineRow(picture.height - 1 - r, text, generator);
      }
      if (out != nullptr) WriteBufferRow(*out, r, out_.data());
    }
    return generator.State();
  }

 private:
  void FineRow(int32_t line, const uint32_t* text, DotGenerator& generator) {
    // 16-bit depth only when the finer levels can show it: at one sub-pixel a pixel the
    // levels are the board's.
    const uint16_t* fine = still_.oversample > 1 && depth_.depth16 != nullptr
                               ? depth_.depth16 + static_cast<size_t>(line) * width_
                               : nullptr;
    for (int32_t x = 0; x < width_; ++x) {
      // The text wins where the board's depth image would take it (the larger 32-bit
      // value), and brings a depth byte of its own.
      const bool text_wins = text[x] > row_depth_[x];
      const uint32_t v = text_wins         ? (text[x] & 0xFF) << 8
                         : fine != nullptr ? fine[x]
                                           : (row_depth_[x] & 0xFF) << 8;
      // A depth byte b reverses to 255 - b, whose 16-bit form is b << 8 reversed and
      // cut to its top byte.
      const bool byte = text_wins || fine == nullptr;
      shifts_[x] = shift_of_[v | (byte && still_.params.reverse ? 0xFF : 0)];
    }
    const FreshDots dots{still_.pattern != nullptr ? still_.pattern->Row(line) : nullptr,
                         still_.params.dot_mode == 1, &generator};
    SynthesizeFineRow(grid_, shifts_.data(), dots, fine_.data());
    AverageSubPixels(fine_.data(), width_, grid_.oversample, out_.data());
  }

  const DepthSource& depth_;
  const StillFrame& still_;
  int32_t width_;
  uint32_t period_;
  bool board_;  // one sub-pixel a pixel and random dots: the board's own synthesis
  FineGrid grid_;
  std::vector<uint32_t> row_depth_;
  std::vector<uint32_t> text_;  // a black text image, for frames without text
  std::vector<uint32_t> out_;
  std::vector<uint32_t> shifts_;
  std::vector<uint32_t> fine_;
  std::vector<uint32_t> shift_of_;
};

// The guide marks of a frame, where its period puts them: at sub-pixel precision, one
// local period at the text depth apart about the middle.
void PaintGuides(const RgbView& out, const StillFrame& still, uint32_t period) {
  const uint32_t n = still.oversample;
  for (const GuideRect& m :
       GuideMarkRects(out.width * static_cast<int32_t>(n), n * period, still.params.text_depth,
                      still.params.reverse, still.params.depth_divisor)) {
    const int32_t middle =
        (m.left + (m.right - m.left) / 2 + static_cast<int32_t>(n / 2)) / static_cast<int32_t>(n);
    const int32_t half = (m.right - m.left) / 2;
    FillBlack(out, middle - half, m.top, middle + half, m.bottom);
  }
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

uint32_t FramePeriod(const StereogramParams& params, int32_t width) {
  return FitPeriod(StereogramPeriod(params), width);
}

GeneratorMap FrameMap(const DepthSource& depth, const StillFrame& still) {
  if (depth.picture.width < 1 || depth.picture.height < 1) return {};
  // Frames from the states 0 and 1 end in c and a + c.
  FrameMaker maker(depth, still);
  const uint32_t from0 = maker.Run(0, nullptr);
  const uint32_t from1 = maker.Run(1, nullptr);
  return {from1 - from0, from0};
}

uint32_t SkipFrame(const DepthSource& depth, const StillFrame& still) {
  if (depth.picture.width < 1 || depth.picture.height < 1) return still.seed;
  return FrameMaker(depth, still).Run(still.seed, nullptr);
}

uint32_t RenderStill(const DepthSource& depth, const StillFrame& still, const RgbView& out) {
  if (depth.picture.width < 1 || depth.picture.height < 1) return still.seed;
  uint32_t state = still.seed;
  if (still.frame > 1) {
    // The skipped frames are the frame's map applied frame - 1 times.
    state = Repeated(FrameMap(depth, still), still.frame - 1).Apply(state);
  }
  FrameMaker maker(depth, still);
  const uint32_t next = maker.Run(state, &out);
  if (still.guides) PaintGuides(out, still, maker.period());
  return next;
}
