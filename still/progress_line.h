// The line on standard error that tells how far a long job is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Says how far the work is while more than a second of it remains by the pace so far.
// Returns the text to write (often none), so that the rule is tested without a terminal.
class ProgressLine {
 public:
  std::string Update(uint64_t done, uint64_t total, uint32_t elapsed_ms);
  // Wipes a line still shown.
  std::string Clear();

 private:
  size_t shown_ = 0;  // length of the line on the terminal, 0 for none
};
