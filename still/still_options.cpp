#include "still/still_options.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace {

constexpr std::string_view kUsage =
    "usage: parallux-still DEPTH_IMAGE OUT.png [options]\n"
    "       parallux-still DEPTH_IMAGE OUT.gif --frames N [--fps F] [options]\n"
    "       parallux-still --reveal STEREOGRAM DEPTH.png [options]\n"
    "Renders one random-dot stereogram frame of a depth image (PNG or BMP) into an\n"
    "8-bit RGB PNG of the same size. The depth of a pixel is its blue byte.\n"
    "\n"
    "  --parallax-width N  repeat distance of the dots, 1 to the image width (100)\n"
    "  --reverse           reverse the depth\n"
    "  --dot-mode N        1 grey dots, any other value colour dots (1)\n"
    "  --text-depth N      depth the guide marks are set apart for, 0 to 255 (200)\n"
    "  --guides            draw the two guide marks in black\n"
    "  --seed N            dot generator state, 0 to 4294967295 (the millisecond clock)\n"
    "  --frame K           write the K-th of K frames made in a row, K >= 1 (1)\n"
    "  --frames N          write frames K to K+N-1 as a looping animated GIF to OUT,\n"
    "                      N from 1 to 1000; grey dots keep their exact greys, colour\n"
    "                      dots become 256 colours (8 levels of red and green, 4 of\n"
    "                      blue): up to 18 levels off (blue 42), and equal dots stay\n"
    "                      equal, so the depth still shows\n"
    "  --fps F             frames a second, 1 to 50 (15, the board's rate). A GIF counts\n"
    "                      time in hundredths: each frame lasts round(100 / F) of them,\n"
    "                      so the rate achieved is 100 / round(100 / F): 14.3 for 15\n"
    "  --quiet             no progress line while the GIF is made\n"
    "  --reveal            read DEPTH_IMAGE as a stereogram of this synthesis (a picture\n"
    "                      copied from the board too, guide marks and the text view on)\n"
    "                      and write its depth picture to OUT.png; takes only\n"
    "                      --parallax-width, --reverse and --depth-divisor, and finds\n"
    "                      those not given. A reversed stereogram is the unreversed one\n"
    "                      of a narrower width with the depth inverted: --reverse says\n"
    "                      which was meant. Exit code 1 when it holds no stereogram\n"
    "  --depth-divisor N   with --reveal: the depth divisor, 1 to 255 (the board's 4)\n"
    "  --help              show this text\n"
    "  --                  end of options\n"
    "\n"
    "Exit codes: 0 written, 1 could not be made or written (or no stereogram to\n"
    "reveal), 2 bad arguments or image.\n";

// Reads the number after an option into `value`, within min .. max, or says why not.
bool TakeNumber(std::string_view option, std::string_view text, uint64_t min, uint64_t max,
                std::string_view range, uint64_t* value, std::string* error) {
  const NumberStatus status = ParseDecimal(text, max, value);
  if (status == NumberStatus::kOk && *value >= min) {
    return true;
  }
  *error = std::string(option) + " needs a whole number from " + std::string(range) + ", got '" +
           std::string(text) + "'";
  return false;
}

}  // namespace

NumberStatus ParseDecimal(std::string_view text, uint64_t max, uint64_t* value) {
  // from_chars alone would take a leading '-' for signed types only and stops at the
  // first non-digit, so both the sign and the trailing text are checked here.
  if (text.empty() || text.front() < '0' || text.front() > '9') {
    return NumberStatus::kNotANumber;
  }
  uint64_t parsed = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (ec == std::errc::result_out_of_range) {
    // Only digits can have been read, so what is left decides: more digits are still
    // just a number too large, anything else was never a number.
    for (const char* p = end; p != text.data() + text.size(); ++p) {
      if (*p < '0' || *p > '9') return NumberStatus::kNotANumber;
    }
    return NumberStatus::kOutOfRange;
  }
  if (ec != std::errc() || end != text.data() + text.size()) {
    return NumberStatus::kNotANumber;
  }
  if (parsed > max) {
    return NumberStatus::kOutOfRange;
  }
  *value = parsed;
  return NumberStatus::kOk;
}

std::string_view StillUsage() { return kUsage; }

StillCommand ParseStillCommand(std::span<const char* const> args) {
  StillCommand command;
  StillOptions& o = command.options;
  auto fail = [&command](std::string message) {
    command.kind = StillCommand::Kind::kError;
    command.error = std::move(message);
    return command;
  };

  constexpr uint64_t kU32 = std::numeric_limits<uint32_t>::max();
  constexpr uint64_t kI32 = std::numeric_limits<int32_t>::max();
  constexpr uint64_t kU64 = std::numeric_limits<uint64_t>::max();

  int positionals = 0;
  bool options_ended = false;
  std::string not_revealing;  // the first option given that --reveal does not take
  bool fps_given = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const bool is_option = !options_ended && arg.size() > 1 && arg.front() == '-';
    if (!is_option) {
      if (positionals == 0) {
        o.depth_path = arg;
      } else if (positionals == 1) {
        o.out_path = arg;
      } else {
        return fail("too many arguments: '" + std::string(arg) +
                    "' after DEPTH_IMAGE and OUT.png (see --help)");
      }
      ++positionals;
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (arg == "--help") {
      command.kind = StillCommand::Kind::kHelp;
      return command;
    }
    if (arg == "--reverse") {
      o.reverse = true;
      continue;
    }
    if (arg == "--dot-mode" || arg == "--text-depth" || arg == "--guides" || arg == "--seed" ||
        arg == "--frame" || arg == "--frames" || arg == "--fps" || arg == "--quiet") {
      if (not_revealing.empty()) not_revealing = arg;
    }
    if (arg == "--guides") {
      o.guides = true;
      continue;
    }
    if (arg == "--reveal") {
      o.reveal = true;
      continue;
    }
    if (arg == "--quiet") {
      o.quiet = true;
      continue;
    }

    const bool takes_value = arg == "--parallax-width" || arg == "--dot-mode" ||
                             arg == "--text-depth" || arg == "--seed" || arg == "--frame" ||
                             arg == "--frames" || arg == "--fps" || arg == "--depth-divisor";
    if (!takes_value) {
      return fail("unknown option '" + std::string(arg) + "' (see --help)");
    }
    if (i + 1 == args.size()) {
      return fail(std::string(arg) + " needs a value");
    }
    const std::string_view text = args[++i];
    uint64_t value = 0;
    std::string error;
    if (arg == "--parallax-width") {
      // The upper bound is the image width, checked once the header is read; here
      // only what fits the setting's own type.
      if (!TakeNumber(arg, text, 1, kI32, "1 to the image width", &value, &error)) {
        return fail(error);
      }
      o.parallax_width = static_cast<int32_t>(value);
    } else if (arg == "--dot-mode") {
      if (!TakeNumber(arg, text, 0, kU32, "0 to 4294967295", &value, &error)) return fail(error);
      o.dot_mode = static_cast<uint32_t>(value);
    } else if (arg == "--text-depth") {
      if (!TakeNumber(arg, text, 0, 255, "0 to 255", &value, &error)) return fail(error);
      o.text_depth = static_cast<uint32_t>(value);
    } else if (arg == "--seed") {
      if (!TakeNumber(arg, text, 0, kU32, "0 to 4294967295", &value, &error)) return fail(error);
      o.seed = static_cast<uint32_t>(value);
    } else if (arg == "--frames") {
      if (!TakeNumber(arg, text, 1, kMaxFrames, "1 to 1000", &value, &error)) return fail(error);
      o.frames = value;
    } else if (arg == "--fps") {
      if (!TakeNumber(arg, text, 1, kMaxFps, "1 to 50", &value, &error)) return fail(error);
      o.fps = static_cast<uint32_t>(value);
      fps_given = true;
    } else if (arg == "--depth-divisor") {
      if (!TakeNumber(arg, text, 1, 255, "1 to 255", &value, &error)) return fail(error);
      o.depth_divisor = static_cast<int32_t>(value);
    } else {
      if (!TakeNumber(arg, text, 1, kU64, "1 to 18446744073709551615", &value, &error)) {
        return fail(error);
      }
      o.frame = value;
    }
  }

  if (o.reveal && !not_revealing.empty()) {
    return fail(not_revealing + " does not go with --reveal (see --help)");
  }
  if (!o.reveal && o.depth_divisor.has_value()) {
    return fail("--depth-divisor goes only with --reveal (see --help)");
  }
  if (!o.frames.has_value() && (fps_given || o.quiet)) {
    return fail(std::string(fps_given ? "--fps" : "--quiet") +
                " goes only with --frames (see --help)");
  }
  if (o.frames.has_value() && *o.frames - 1 > kU64 - o.frame) {
    return fail("--frame and --frames go past frame 18446744073709551615");
  }

  if (positionals < 2) {
    return fail(positionals == 0 ? "missing DEPTH_IMAGE and OUT.png (see --help)"
                                 : "missing OUT.png (see --help)");
  }
  command.kind = StillCommand::Kind::kRun;
  return command;
}
