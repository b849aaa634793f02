#include "still/progress_line.h"

#include <cstdio>

#include "still/still_clock.h"

std::string ProgressLine::Update(uint64_t done, uint64_t total, uint32_t elapsed_ms,
                                 uint64_t from) {
  const uint64_t left_ms = done <= from ? 0 : elapsed_ms * (total - done) / (done - from);
  if (left_ms <= 1000) return Clear();
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about
  // "literal" + std::string.
  std::string line = "\rparallux-still: ";
  line.append(unit_).append(" ");
  line.append(std::to_string(done)).append(" of ").append(std::to_string(total));
  line.append(", about ").append(std::to_string((left_ms + 999) / 1000)).append(" s left");
  // A shorter line must cover all of the one before.
  const size_t length = line.size() - 1;
  if (length < shown_) line.append(shown_ - length, ' ');
  shown_ = length;
  return line;
}

std::string ProgressLine::Clear() {
  if (shown_ == 0) return {};
  std::string wipe(shown_ + 2, ' ');
  wipe.front() = '\r';
  wipe.back() = '\r';
  shown_ = 0;
  return wipe;
}

ShownProgress::ShownProgress(std::string unit, bool quiet)
    : line_(std::move(unit)), quiet_(quiet) {}

ShownProgress::~ShownProgress() { std::fputs(line_.Clear().c_str(), stderr); }

void ShownProgress::operator()(uint64_t done, uint64_t total) {
  if (quiet_) return;
  const uint32_t now = MillisecondTicks();
  // The pace is taken from the first step reported on, so that what came before it
  // (reading the picture, finding its period) is not taken for the pace of the rest.
  if (!started_) {
    started_ = true;
    start_ms_ = now;
    first_ = done;
    return;
  }
  // Rows come thousands a second: a few lines a second say as much.
  const uint32_t elapsed_ms = now - start_ms_;
  if (done < total && elapsed_ms - shown_ms_ < kStepMs) return;
  shown_ms_ = elapsed_ms;
  std::fputs(line_.Update(done, total, elapsed_ms, first_).c_str(), stderr);
}
