// What parallux-still does, one command each: a still, the animation (GIF or WebP), and
// reading a stereogram's depth back (--reveal).
#pragma once

#include <string>

#include "still/still_options.h"

namespace still_exit {
constexpr int kWritten = 0;
constexpr int kFailed = 1;  // could not be made or written, or no stereogram to reveal
constexpr int kBadInput = 2;
}  // namespace still_exit

// How a run ended: its exit code and, unless it was written, one line saying why.
struct CommandEnd {
  int code = still_exit::kWritten;
  std::string message;
};

CommandEnd RunStill(const StillOptions& options);
CommandEnd RunAnimation(const StillOptions& options);
CommandEnd RunReveal(const StillOptions& options);
