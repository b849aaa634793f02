// The command line of parallux-still: a depth image in, one stereogram frame out.
// Parsing only checks what the arguments alone can tell; whether the parallax width
// fits the picture is known only once the image's header has been read.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

constexpr int32_t kDefaultParallaxWidth = 100;

struct StillOptions {
  std::string depth_path;
  std::string out_path;
  // Empty: the board's default, kDefaultParallaxWidth. Kept apart from a given value
  // so that a picture too narrow for the default can be reported as such.
  std::optional<int32_t> parallax_width;
  bool reverse = false;
  uint32_t dot_mode = 1;
  uint32_t text_depth = 200;
  bool guides = false;
  // Empty: seed from the millisecond clock, as the board does when it starts.
  std::optional<uint32_t> seed;
  // 64 bits: the frame count costs nothing to skip (see render/still_frame.h), so there
  // is no reason to cap it below what a user can type.
  uint64_t frame = 1;

  // Sub-pixels a pixel; 1 is the board's picture.
  uint32_t oversample = 1;
  // A picture whose pixels are the dots, in place of random ones; empty for none.
  std::string pattern_path;
  // Empty: the board's 4 when rendering, found with --reveal.
  std::optional<int32_t> depth_divisor;

  // --text: the board's scrolling text over the depth, placed as on the board at each
  // frame's time; DEPTH_IMAGE may then be left out for the board's black picture.
  std::optional<std::string> text;
  std::string font_path;  // --font: the face to draw it in; empty for the board's

  // --reveal: DEPTH_IMAGE is a stereogram and OUT.png receives its depth picture.
  bool reveal = false;
  // --frames: OUT receives an animation (GIF or WebP) of this many frames from `frame` on.
  std::optional<uint64_t> frames;
  uint32_t fps = 15;
  bool quiet = false;
};

constexpr uint64_t kMaxFrames = 1000;
constexpr uint32_t kMaxFps = 50;
// Bytes of --text: some 40 000 pixels of text at most.
constexpr size_t kMaxTextBytes = 256;

struct StillCommand {
  enum class Kind { kRun, kHelp, kVersion, kError };
  Kind kind = Kind::kError;
  StillOptions options;
  std::string error;  // one line, without a trailing newline; set for kError
};

// `args` are the arguments after the program name. A bad value is reported as soon as it
// is read, so "--help" before it asks for the usage text instead.
StillCommand ParseStillCommand(std::span<const char* const> args);

// Multi-line usage text, ending in a newline.
std::string StillUsage();

// A whole decimal number from 0 to `max`: digits only, no sign, no spaces. Values
// that do not fit are reported as such rather than wrapped into range.
enum class NumberStatus { kOk, kNotANumber, kOutOfRange };
NumberStatus ParseDecimal(std::string_view text, uint64_t max, uint64_t* value);
