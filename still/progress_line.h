// The line on standard error that tells how far a long job is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

// Says how far the work is while more than a second of it remains by the pace so far.
// Returns the text to write (often none), so that the rule is tested without a terminal.
class ProgressLine {
 public:
  // `unit` names what is counted: "frame", "row".
  explicit ProgressLine(std::string unit = "frame") : unit_(std::move(unit)) {}
  // `done` of `total`, `elapsed_ms` after `from` of them were done.
  std::string Update(uint64_t done, uint64_t total, uint32_t elapsed_ms, uint64_t from = 0);
  // Wipes a line still shown.
  std::string Clear();

 private:
  std::string unit_;
  size_t shown_ = 0;  // length of the line on the terminal, 0 for none
};

// A progress line on standard error for one job, from its start to its end (unless
// quiet), wiped when the job ends however it ends.
class ShownProgress {
 public:
  ShownProgress(std::string unit, bool quiet);
  ShownProgress(const ShownProgress&) = delete;
  ShownProgress& operator=(const ShownProgress&) = delete;
  ~ShownProgress();
  void operator()(uint64_t done, uint64_t total);

 private:
  static constexpr uint32_t kStepMs = 200;
  ProgressLine line_;
  bool quiet_;
  bool started_ = false;
  uint32_t start_ms_ = 0;
  uint64_t first_ = 0;  // the count at start_ms_
  uint32_t shown_ms_ = 0;
};
