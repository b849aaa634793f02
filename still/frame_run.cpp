#include "still/frame_run.h"

#include <numeric>

#include "canvas/pacing.h"
#include "still/picture_input.h"
#include "still/progress_line.h"
#include "still/still_clock.h"

namespace {

using still_exit::kBadInput;
using still_exit::kFailed;

// The settings of the first frame a rendering command makes.
StillFrame FirstFrame(const StillOptions& options) {
  StillFrame still;
  still.params.parallax_width = options.parallax_width.value_or(kDefaultParallaxWidth);
  still.params.reverse = options.reverse;
  still.params.dot_mode = options.dot_mode;
  still.params.text_depth = options.text_depth;
  still.params.depth_divisor = options.depth_divisor.value_or(still.params.depth_divisor);
  still.guides = options.guides;
  still.seed = options.seed.has_value() ? *options.seed : MillisecondTicks();
  still.oversample = options.oversample;
  return still;
}

CommandEnd Refused(const ImageError& error) {
  return {error.out_of_memory ? kFailed : kBadInput, error.message};
}

}  // namespace

bool FrameRun::Open(const StillOptions& options, CommandEnd* end) {
  frame_ = FirstFrame(options);
  first_ = options.frame;
  quiet_ = options.quiet;
  if (!OpenDepth(options, end)) return false;
  if (options.text.has_value() && !OpenText(options, end)) return false;
  return options.pattern_path.empty() || OpenPattern(options.pattern_path, end);
}

bool FrameRun::OpenText(const StillOptions& options, CommandEnd* end) {
  std::string error;
  if (!DrawTextMask(*options.text, frame_.params.text_depth, options.font_path, &text_.emplace(),
                    &error)) {
    *end = {kBadInput, error};
    return false;
  }
  // The board's frames come a whole number of milliseconds apart: 66, not 66.7, at 15.
  frame_period_ = pacing::FramePeriodForRate(static_cast<float>(options.fps));
  scroll_cycle_ = ScrollCycle(frame_period_, width_, text_->width);
  text_image_.resize(static_cast<size_t>(width_) * height_);
  frame_.text = text_image_.data();
  return true;
}

bool FrameRun::OpenDepth(const StillOptions& options, CommandEnd* end) {
  const int32_t needed = frame_.params.parallax_width;
  if (options.depth_path.empty()) {
    // One file named with --text is the output; one that holds a picture was more
    // likely meant as the depth, and would be lost.
    if (HoldsDepthPicture(options.out_path)) {
      *end = {kBadInput, "'" + options.out_path +
                             "' is a picture already, and as the only file named it would be "
                             "replaced; name the depth picture and then the output, or remove "
                             "it first to write the text over black"};
      return false;
    }
    // The board's own picture: 960 x 320, black without a background.
    width_ = 960;
    height_ = 320;
    black_.assign(static_cast<size_t>(width_) * height_ * 3, 0);
    const std::string narrow = TooNarrow(options.parallax_width, needed, width_);
    if (!narrow.empty()) *end = {kBadInput, narrow};
    return narrow.empty();
  }
  if (!DepthAnimation::Names(options.depth_path)) {
    if (!ReadPicture(options.depth_path, options.parallax_width, needed, &depth_, end)) {
      return false;
    }
    width_ = depth_.width;
    height_ = depth_.height;
    return true;
  }
  ImageError error;
  if (!moving_.emplace().Open(options.depth_path, &error)) {
    *end = Refused(error);
    return false;
  }
  width_ = moving_->width();
  height_ = moving_->height();
  const std::string narrow = TooNarrow(options.parallax_width, needed, width_);
  if (!narrow.empty()) *end = {kBadInput, narrow};
  return narrow.empty();
}

bool FrameRun::OpenPattern(const std::string& path, CommandEnd* end) {
  ImageFile file;
  ImageError error;
  if (!file.Open(path, &error)) {
    *end = {kBadInput, "--pattern: " + error.message};
    return false;
  }
  if (file.width() < kMinPatternSide || file.height() < kMinPatternSide) {
    *end = {kBadInput, "--pattern '" + path + "' is " + std::to_string(file.width()) + " x " +
                           std::to_string(file.height()) + " pixels; it needs at least " +
                           std::to_string(kMinPatternSide) + " a side"};
    return false;
  }
  RgbPicture picture;
  if (!DecodePicture(file, &picture, end)) return false;
  pattern_.emplace(picture.view(), FramePeriod(frame_.params, width_), height_);
  frame_.pattern = &*pattern_;
  return true;
}

bool FrameRun::grey() const {
  return pattern_.has_value() ? pattern_->grey() : frame_.params.dot_mode == 1;
}

bool FrameRun::LoadDepth(CommandEnd* end) {
  ImageError error;
  if (moving_->Next(&depth_, &error)) return true;
  *end = Refused(error);
  return false;
}

bool FrameRun::LoadFrame(CommandEnd* end) {
  if (moving_ && !LoadDepth(end)) return false;
  ++loaded_;
  if (text_) {
    const auto clock = static_cast<uint32_t>(frame_period_ * (loaded_ % scroll_cycle_));
    FillTextImage(*text_, PlaceText(clock, width_, height_, text_->width, text_->height), width_,
                  height_, text_image_.data());
  }
  return true;
}

uint64_t FrameRun::Cycle() const { return std::lcm(depth_frames(), text_ ? scroll_cycle_ : 1); }

DepthSource FrameRun::Source() {
  if (!black_.empty()) return {{width_, height_, black_.data()}};
  return {depth_.view(), depth_.depth16.empty() ? nullptr : depth_.depth16.data()};
}

bool FrameRun::SkipToFirst(CommandEnd* end) {
  uint64_t skip = first_ - 1;
  if (!moving_ && !text_) {
    // One picture: RenderStill skips by the frame's map.
    frame_.frame = first_;
    return true;
  }
  const uint64_t cycle = Cycle();  // never 0: a depth animation has frames
  // Each frame of a cycle is read and made, whether it is written or skipped: seconds,
  // for many.
  const uint64_t work = (skip >= cycle ? cycle : 0) + (cycle == 0 ? 0 : skip % cycle);
  uint64_t done = 0;
  ShownProgress progress("skipping to the first frame:", quiet_);
  if (cycle > 0 && skip >= cycle) {
    // Each frame does its own map; one pass over a whole cycle from the states 0 and 1
    // gives the map of the cycle, which skips the whole cycles at once.
    StillFrame probe = frame_;
    uint32_t from0 = 0;
    uint32_t from1 = 1;
    for (uint64_t i = 0; i < cycle; ++i) {
      if (!LoadFrame(end)) return false;
      probe.seed = from0;
      from0 = SkipFrame(Source(), probe);
      probe.seed = from1;
      from1 = SkipFrame(Source(), probe);
      progress(++done, work);
    }
    frame_.seed = Repeated({from1 - from0, from0}, skip / cycle).Apply(frame_.seed);
    // The frames are back where they started; the text's clock follows the count.
    loaded_ = skip / cycle * cycle;
    skip %= cycle;
  }
  for (uint64_t i = 0; i < skip; ++i) {
    if (!LoadFrame(end)) return false;
    frame_.seed = SkipFrame(Source(), frame_);
    progress(++done, work);
  }
  return true;
}

bool FrameRun::Ready(CommandEnd* end) {
  if (!started_) {
    started_ = true;
    if (!SkipToFirst(end)) return false;
  }
  return !(moving_ || text_) || LoadFrame(end);
}

bool FrameRun::Next(const RgbView& out, CommandEnd* end) {
  if (!Ready(end)) return false;
  frame_.seed = RenderStill(Source(), frame_, out);
  frame_.frame = 1;
  return true;
}

bool FrameRun::Last(RgbView* out, CommandEnd* end) {
  if (!Ready(end)) return false;
  // The depth picture, or the black one that stands in for it.
  const DepthSource source = Source();
  *out = source.picture;
  frame_.seed = RenderStill(source, frame_, *out);
  return true;
}
