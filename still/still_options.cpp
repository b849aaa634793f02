#include "still/still_options.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <limits>
#include <memory>
#include <system_error>
#include <vector>

#include "render/still_frame.h"

namespace {

// The three things the program does; an option names those it goes with.
enum Command : unsigned { kStill = 1, kAnimation = 2, kReveal = 4 };
constexpr unsigned kRendering = kStill | kAnimation;

constexpr uint64_t kU32 = std::numeric_limits<uint32_t>::max();
constexpr uint64_t kI32 = std::numeric_limits<int32_t>::max();
constexpr uint64_t kU64 = std::numeric_limits<uint64_t>::max();

// One option: everything the usage text, the parsing and the refusals know of it.
struct OptionRow {
  const char* name;
  const char* value;  // the value's name in the usage; null for a flag
  uint64_t min;
  uint64_t max;
  const char* range;     // the values accepted, as the usage and a refusal say them
  const char* fallback;  // what holds when the option is not given; null for nothing
  unsigned commands;
  const char* help;     // what it does, in a few words
  const char* details;  // more to know, or null
  // Where a number, or a flag's 1, goes.
  void (*store)(StillOptions&, uint64_t);
  // Where a text value goes, for an option that takes one instead of a number.
  void (*store_text)(StillOptions&, const std::string&) = nullptr;
};

constexpr OptionRow kOptions[] = {
    // The upper bound is the image width, checked once the header is read; here only
    // what fits the setting's own type.
    {"--parallax-width", "N", 1, kI32, "1 to the image width", "100", kRendering | kReveal,
     "repeat distance of the dots", nullptr,
     [](StillOptions& o, uint64_t v) { o.parallax_width = static_cast<int32_t>(v); }},
    {"--reverse", nullptr, 0, 0, nullptr, nullptr, kRendering | kReveal, "reverse the depth",
     nullptr, [](StillOptions& o, uint64_t) { o.reverse = true; }},
    {"--dot-mode", "N", 0, kU32, "0 to 4294967295", "1", kRendering,
     "1 grey dots, any other value colour dots", nullptr,
     [](StillOptions& o, uint64_t v) { o.dot_mode = static_cast<uint32_t>(v); }},
    {"--text-depth", "N", 0, 255, "0 to 255", "200", kRendering,
     "depth of --text, and the one the guide marks are set apart for", nullptr,
     [](StillOptions& o, uint64_t v) { o.text_depth = static_cast<uint32_t>(v); }},
    {"--guides", nullptr, 0, 0, nullptr, nullptr, kRendering, "draw the two guide marks in black",
     nullptr, [](StillOptions& o, uint64_t) { o.guides = true; }},
    {"--seed", "N", 0, kU32, "0 to 4294967295", "the millisecond clock", kRendering,
     "dot generator state", nullptr,
     [](StillOptions& o, uint64_t v) { o.seed = static_cast<uint32_t>(v); }},
    {"--frame", "K", 1, kU64, "1 to 18446744073709551615", "1", kRendering,
     "write the K-th of K frames made in a row", nullptr,
     [](StillOptions& o, uint64_t v) { o.frame = v; }},
    {"--frames", "N", 1, kMaxFrames, "1 to 1000", nullptr, kAnimation,
     "write frames K to K+N-1 as a looping animation to OUT: OUT.webp or OUT.gif",
     "WebP is lossless: every frame is the still, dot for dot; with grey dots about a third "
     "of the GIF's size. In a GIF grey dots keep their exact greys; colour dots become 256 "
     "colours (8 levels of red and green, 4 of blue): up to 18 levels off (blue 42), and equal "
     "dots stay equal, so the depth still shows. The Windows build writes GIF only",
     [](StillOptions& o, uint64_t v) { o.frames = v; }},
    {"--fps", "F", 1, kMaxFps, "1 to 50", "15, the board's rate", kAnimation, "frames a second",
     "WebP counts time in milliseconds, and frames end on the nearest one to where they "
     "should, so the rate is F. A GIF counts in hundredths: each frame lasts round(100 / F) "
     "of them, so the rate achieved is 100 / round(100 / F): 14.3 for 15",
     [](StillOptions& o, uint64_t v) { o.fps = static_cast<uint32_t>(v); }},
    {"--quiet", nullptr, 0, 0, nullptr, nullptr, kRendering | kReveal,
     "no progress line on a long job", nullptr, [](StillOptions& o, uint64_t) { o.quiet = true; }},
    {"--oversample", "N", 1, kMaxOversample, "1 to 8", "1, the board's picture",
     kRendering | kReveal,
     "sub-pixel depth: synthesise N times as wide, with N times as many depth levels, "
     "and average back",
     "Dots keep their size; only where the depth changes do their edges fall between "
     "pixels. With a 16-bit depth picture the levels come from all 16 bits. With --reveal: "
     "the N the stereogram was made with, whose finer levels are then read",
     [](StillOptions& o, uint64_t v) { o.oversample = static_cast<uint32_t>(v); }},
    {"--pattern", "IMAGE", 0, 0, nullptr, nullptr, kRendering,
     "take the dots from a picture (at least 8 x 8 pixels), scaled to one period, its rows "
     "repeating down the picture",
     "With --frames every frame then has the same dots: over an unchanging depth the "
     "animation stands still",
     nullptr, [](StillOptions& o, const std::string& path) { o.pattern_path = path; }},
    {"--text", "TEXT", 0, 0, nullptr, nullptr, kRendering,
     "hide a line of text at --text-depth, scrolling right to left at 100 pixels a second as "
     "on the board; DEPTH_IMAGE may then be left out for the board's black 960 x 320 (the "
     "one file named, the output, may not be a picture already)",
     "UTF-8 (the ANSI code page on Windows), at most 256 bytes, drawn in the board's bold "
     "Japanese Gothic face; frame K shows it as the board's K-th frame at --fps does",
     nullptr, [](StillOptions& o, const std::string& text) { o.text = text; }},
    {"--font", "FILE", 0, 0, nullptr, "the IPA Gothic, the face Wine gives the board", kRendering,
     "the font file to draw --text with", nullptr, nullptr,
     [](StillOptions& o, const std::string& path) { o.font_path = path; }},
    {"--reveal", nullptr, 0, 0, nullptr, nullptr, kReveal,
     "read DEPTH_IMAGE as a stereogram of this synthesis (a picture copied from the board "
     "too, guide marks and the text view on) and write its depth picture to OUT.png",
     "Finds the parallax width and the divisor when not given. A reversed stereogram is the "
     "unreversed one of a narrower width with the depth inverted: --reverse says which was "
     "meant. Exit code 1 when it holds no stereogram",
     [](StillOptions& o, uint64_t) { o.reveal = true; }},
    {"--depth-divisor", "N", 1, 255, "1 to 255", "the board's 4; found with --reveal",
     kRendering | kReveal, "the depth range: the nearest depth shortens the period by 1/N",
     "Smaller divisors give deeper pictures",
     [](StillOptions& o, uint64_t v) { o.depth_divisor = static_cast<int32_t>(v); }},
    {"--version", nullptr, 0, 0, nullptr, nullptr, kRendering | kReveal,
     "print the program's version and stop", nullptr,
     [](StillOptions&, uint64_t) { throw CLI::CallForVersion(); }},
};

constexpr const char* kUsageLines =
    "usage: parallux-still DEPTH_IMAGE OUT.png [options]\n"
    "       parallux-still [DEPTH_IMAGE] OUT.webp|OUT.gif --text TEXT --frames N [options]\n"
    "       parallux-still DEPTH_IMAGE OUT.webp|OUT.gif --frames N [--fps F] [options]\n"
    "       parallux-still --reveal STEREOGRAM DEPTH.png [options]\n"
    "Renders one random-dot stereogram frame of a depth image (PNG, BMP, JPEG or\n"
    "binary PGM) into an 8-bit PNG of the same size, grey when the dots are grey.\n"
    "The depth of a pixel is its blue (or grey) value. For an animation the depth may\n"
    "move: an animated GIF, or a numbered sequence such as depth_%04d.png, gives each\n"
    "frame its own depth.\n";

constexpr const char* kFooter =
    "  --                  end of options\n"
    "\n"
    "Exit codes: 0 written, 1 could not be made or written (or no stereogram to\n"
    "reveal), 2 bad arguments or image.";

// The help column: what follows the option's name, wrapped to the terminal's 80 columns.
constexpr size_t kNameColumn = 22;
constexpr size_t kHelpColumns = 80 - kNameColumn;

std::string Wrapped(const std::string& text) {
  std::string out;
  size_t line = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    const size_t word = end - at;
    if (line > 0 && line + 1 + word > kHelpColumns) {
      out += '\n';
      line = 0;
    } else if (line > 0) {
      out += ' ';
      ++line;
    }
    out.append(text, at, word);
    line += word;
    at = end + 1;
  }
  return out;
}

std::string RowHelp(const OptionRow& row) {
  std::string help = row.help;
  if (row.range != nullptr) help.append(", ").append(row.range);
  if (row.fallback != nullptr) help.append(" (").append(row.fallback).append(")");
  if (row.details != nullptr) help.append(". ").append(row.details);
  return Wrapped(help);
}

std::string CommandNamed(unsigned commands) {
  return commands == kReveal ? "--reveal" : commands == kAnimation ? "--frames" : "";
}

// The usage as the table gives it, under the program's own usage lines.
class UsageFormatter : public CLI::Formatter {
 public:
  UsageFormatter() { column_width(kNameColumn); }
  std::string make_usage(const CLI::App*, std::string) const override { return kUsageLines; }
};

// The parser for `options`, which the table's rows fill as their arguments are read.
struct Parser {
  CLI::App app;
  std::vector<std::string> files;
  std::vector<std::pair<const CLI::Option*, const OptionRow*>> rows;

  explicit Parser(StillOptions& options) : app("", "parallux-still") {
    app.formatter(std::make_shared<UsageFormatter>());
    app.footer(kFooter);
    app.set_help_flag();
    // Unknown options are refused with a message of this program's own.
    app.allow_extras();
    app.add_option("files", files)->group("");
    for (const OptionRow& row : kOptions) {
      CLI::Option* option = nullptr;
      if (row.value == nullptr) {
        option = app.add_flag_callback(
                        row.name, [&options, &row] { row.store(options, 1); }, RowHelp(row))
                     ->disable_flag_override();
      } else {
        option = app.add_option(
                        row.name,
                        [&options, &row](const CLI::results_t& values) {
                          if (row.store_text != nullptr) {
                            row.store_text(options, values.back());
                          } else {
                            Store(row, values.back(), options);
                          }
                          return true;
                        },
                        RowHelp(row))
                     ->type_name(row.value);
      }
      // Each value is checked as it is read, so that the first problem is the one told.
      option->trigger_on_parse();
      rows.emplace_back(option, &row);
    }
    app.add_flag_callback(
           "--help", [] { throw CLI::CallForHelp(); }, "show this text")
        ->trigger_on_parse();
  }

  static void Store(const OptionRow& row, const std::string& text, StillOptions& options) {
    uint64_t value = 0;
    if (ParseDecimal(text, row.max, &value) != NumberStatus::kOk || value < row.min) {
      throw CLI::ValidationError(std::string(row.name) + " needs a whole number from " + row.range +
                                 ", got '" + text + "'");
    }
    row.store(options, value);
  }

  // The first option given that does not go with the command the others chose.
  std::string Misplaced(const StillOptions& o) const {
    const unsigned command = o.reveal ? kReveal : o.frames.has_value() ? kAnimation : kStill;
    for (const CLI::Option* given : app.parse_order()) {
      for (const auto& [option, row] : rows) {
        if (option != given || (row->commands & command) != 0) continue;
        if (command == kReveal) return std::string(row->name) + " does not go with --reveal";
        return std::string(row->name) + " goes only with " + CommandNamed(row->commands);
      }
    }
    return {};
  }
};

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

std::string StillUsage() {
  StillOptions unused;
  return Parser(unused).app.help();
}

namespace {

// What the arguments, taken together, do not allow, as the one line that refuses them;
// empty when they fit.
std::string Conflict(Parser& parser, const StillOptions& o) {
  // CLI11 leaves the "--" that ends the options among the arguments it did not take.
  for (const std::string& unknown : parser.app.remaining()) {
    if (unknown != "--") return "unknown option '" + unknown + "' (see --help)";
  }
  const std::vector<std::string>& files = parser.files;
  if (files.size() > 2) {
    return "too many arguments: '" + files[2] + "' after DEPTH_IMAGE and OUT.png (see --help)";
  }
  if (const std::string misplaced = parser.Misplaced(o); !misplaced.empty()) {
    return misplaced + " (see --help)";
  }
  if (o.frames.has_value() && *o.frames - 1 > kU64 - o.frame) {
    return "--frame and --frames go past frame 18446744073709551615";
  }
  if (o.text.has_value() && o.text->size() > kMaxTextBytes) {
    return "--text is longer than " + std::to_string(kMaxTextBytes) + " bytes";
  }
  if (!o.font_path.empty() && !o.text.has_value()) return "--font goes only with --text";
  return {};
}

}  // namespace

StillCommand ParseStillCommand(std::span<const char* const> args) {
  StillCommand command;
  StillOptions& o = command.options;
  auto fail = [&command](std::string message) {
    command.kind = StillCommand::Kind::kError;
    command.error = std::move(message);
    return command;
  };

  Parser parser(o);
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    parser.app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    command.kind = StillCommand::Kind::kHelp;
    return command;
  } catch (const CLI::CallForVersion&) {
    command.kind = StillCommand::Kind::kVersion;
    return command;
  } catch (const CLI::ArgumentMismatch& e) {
    // "--frame: 1 required K missing" for an option that came last, without its value;
    // "guides was given a disallowed flag override" for "--guides=1".
    const std::string text = e.what();
    const size_t colon = text.find(':');
    if (colon != std::string::npos) return fail(text.substr(0, colon) + " needs a value");
    return fail("--" + text.substr(0, text.find(' ')) + " takes no value");
  } catch (const CLI::ParseError& e) {
    return fail(e.what());
  }

  if (const std::string conflict = Conflict(parser, o); !conflict.empty()) return fail(conflict);
  const std::vector<std::string>& files = parser.files;
  if (files.size() == 1 && o.text.has_value()) {
    o.out_path = files[0];
    command.kind = StillCommand::Kind::kRun;
    return command;
  }
  if (files.size() < 2) {
    return fail(files.empty() ? "missing DEPTH_IMAGE and OUT.png (see --help)"
                              : "missing OUT.png (see --help)");
  }
  o.depth_path = files[0];
  o.out_path = files[1];
  command.kind = StillCommand::Kind::kRun;
  return command;
}
