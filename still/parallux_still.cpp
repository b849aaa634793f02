// parallux-still: one frame of the board's stereogram from a depth image, as a PNG
// (or the animation as a GIF or WebP, or the depth read back from a stereogram).
// Exit codes: 0 written; 2 bad arguments or a bad image (nothing written); 1 the
// picture could not be made or written (nothing written either).
#include <cstdio>
#include <new>
#include <string>

#include "parallux_version.h"
#include "still/commands.h"
#include "still/still_options.h"

namespace {

int Complain(int code, const std::string& message) {
  std::fprintf(stderr, "parallux-still: %s\n", message.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  using still_exit::kBadInput;
  using still_exit::kFailed;
  using still_exit::kWritten;
  try {
    const StillCommand command =
        ParseStillCommand({argv + 1, static_cast<size_t>(argc > 0 ? argc - 1 : 0)});
    switch (command.kind) {
      case StillCommand::Kind::kHelp: {
        const std::string usage = StillUsage();
        std::fwrite(usage.data(), 1, usage.size(), stdout);
        return std::fflush(stdout) == 0 ? kWritten : kFailed;
      }
      case StillCommand::Kind::kVersion:
        std::fputs("parallux-still " PARALLUX_VERSION "\n", stdout);
        return std::fflush(stdout) == 0 ? kWritten : kFailed;
      case StillCommand::Kind::kError:
        return Complain(kBadInput, command.error);
      case StillCommand::Kind::kRun:
        break;
    }
    const StillOptions& options = command.options;
    const CommandEnd end = options.reveal               ? RunReveal(options)
                           : options.frames.has_value() ? RunAnimation(options)
                                                        : RunStill(options);
    return end.code == kWritten ? kWritten : Complain(end.code, end.message);
  } catch (const std::bad_alloc&) {
    return Complain(kFailed, "not enough memory");
  }
}
