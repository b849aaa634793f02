#include "still/progress_line.h"

std::string ProgressLine::Update(uint64_t done, uint64_t total, uint32_t elapsed_ms) {
  const uint64_t left_ms = done == 0 ? 0 : elapsed_ms * (total - done) / done;
  if (left_ms <= 1000) return Clear();
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about
  // "literal" + std::string.
  std::string line = "\rparallux-still: frame ";
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
