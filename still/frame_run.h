// The frames a rendering command makes, in order from frame K: each from its own depth
// (one picture for all, or a depth animation's frames in turn) with fresh dots that go
// on from where the frame before left the generator.
#pragma once

#include <cstdint>
#include <optional>

#include "images/depth_animation.h"
#include "images/image_file.h"
#include "render/pattern.h"
#include "render/still_frame.h"
#include "still/commands.h"
#include "still/still_options.h"
#include "text/text_mask.h"

class FrameRun {
 public:
  // Reads the depth (its header first, so that a picture too narrow costs nothing) and
  // the pattern; false with `end` set when they cannot serve.
  bool Open(const StillOptions& options, CommandEnd* end);
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  // How many frames the depth has before it repeats: 1 for one picture.
  uint64_t depth_frames() const { return moving_ ? moving_->frames() : 1; }
  // Whether every frame is grey: grey dots, or a grey pattern.
  bool grey() const;

  // The next frame, into `out` of the depth's size.
  bool Next(const RgbView& out, CommandEnd* end);
  // The next frame made over the depth picture itself, which then serves no further
  // frame: a still's one frame needs no picture of its own (at 4K, 25 MB less memory
  // to fault in). `out` is the frame.
  bool Last(RgbView* out, CommandEnd* end);

 private:
  bool OpenDepth(const StillOptions& options, CommandEnd* end);
  bool OpenPattern(const std::string& path, CommandEnd* end);
  bool OpenText(const StillOptions& options, CommandEnd* end);
  // The next frame's depth picture, when the depth moves.
  bool LoadDepth(CommandEnd* end);
  // The next frame's depth and text image, for runs whose frames differ.
  bool LoadFrame(CommandEnd* end);
  uint64_t Cycle() const;
  DepthSource Source();
  // The frame's depth (and text) in place, once the frames before the first are skipped.
  bool Ready(CommandEnd* end);
  // Moves the generator past the frames before the first one written.
  bool SkipToFirst(CommandEnd* end);

  StillFrame frame_;  // the settings, and the generator's state before the next frame
  uint64_t first_ = 1;
  bool quiet_ = false;
  bool started_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
  RgbPicture depth_;
  std::optional<DepthAnimation> moving_;
  std::optional<Pattern> pattern_;
  std::vector<uint8_t> black_;  // the board's black picture, when no depth is given
  std::optional<TextMask> text_;
  std::vector<uint32_t> text_image_;
  uint32_t frame_period_ = 0;  // ms between the board's frames at the run's rate
  uint64_t scroll_cycle_ = 1;
  uint64_t loaded_ = 0;  // frames whose depth and text have been loaded
};
