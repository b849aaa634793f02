// The frame loop driven by an exact test clock: a sleep lasts exactly as asked, a frame
// takes a fixed time, and every sleep and frame interval is recorded.
#include "canvas/pacing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using pacing::kNoPeriod;

struct LoopRun {
  std::uint32_t start;  // the clock when the thread starts
  std::uint32_t first;  // the clock at the first pass
  float rate;
  std::uint32_t work_ms;   // what each frame takes
  std::uint32_t yield_ms;  // what a Sleep(0) lets go by
  std::uint32_t run_limit;
  std::size_t frames;   // wanted before the owner stops the loop
  std::size_t refused;  // the frame (from 1) that answers false; 0 for none
  bool no_wait;
};

struct TestClock final : pacing::FrameLoopHooks {
  explicit TestClock(const LoopRun& s) : setup(s), now(s.first) {}
  bool Running() override { return intervals.size() < setup.frames; }
  bool NoWait() override { return setup.no_wait; }
  void PumpMessages() override {}
  std::uint32_t Now() override { return now; }
  void Sleep(std::uint32_t ms) override {
    sleeps.push_back(ms);
    now += ms != 0 ? ms : setup.yield_ms;
  }
  bool Frame(std::uint32_t interval) override {
    intervals.push_back(interval);
    now += setup.work_ms;
    return intervals.size() != setup.refused;
  }

  LoopRun setup;
  std::uint32_t now;
  std::vector<std::uint32_t> intervals;
  std::vector<std::uint32_t> sleeps;
};

// "intervals ...; sleeps ...; period P; total T" of a run.
std::string Trace(const TestClock& clock, const pacing::FramePacing& p) {
  std::string text = "intervals";
  for (std::uint32_t v : clock.intervals) (text += ' ') += std::to_string(v);
  text += "; sleeps";
  for (std::uint32_t v : clock.sleeps) (text += ' ') += std::to_string(v);
  return text + "; period " + std::to_string(p.frame_period) + "; total " +
         std::to_string(p.total_elapsed);
}

TEST(FramePacingTest, RatesBecomeWholeMillisecondsAndTinyRatesHaveNoPeriod) {
  const float rates[] = {15, 1000, 25, 0, -15, 0.0002f, pacing::kMinRate, NAN};
  const std::uint32_t periods[] = {66,        1,         40,        kNoPeriod,
                                   kNoPeriod, kNoPeriod, kNoPeriod, kNoPeriod};
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(periods[i], pacing::FramePeriodForRate(rates[i])) << rates[i];
}

// The carry: the time a frame takes comes off the next sleep, so the pace holds.
TEST(FramePacingTest, TheLoopSleepsOutThePeriodLessTheCarriedLateness) {
  const struct {
    const char* what;
    LoopRun setup;
    const char* expected;
  } cases[] = {
      {"20 ms of work",
       {5000, 5000, 15, 20, 0, 0, 6, 0, false},
       "intervals 66 86 66 66 66 66; sleeps 66 66 46 46 46 46 46; period 66; total 416"},
      {"the clock wraps",
       {0xFFFFFFF0u, 0xFFFFFFF0u, 15, 20, 0, 0, 5, 0, false},
       "intervals 66 86 66 66 66; sleeps 66 66 46 46 46 46; period 66; total 350"},
      {"a refused frame ends the loop at once",
       {0, 0, 15, 0, 0, 0, 100, 3, false},
       "intervals 66 66 66; sleeps 66 66 66; period 66; total 198"},
      {"past the run limit",
       {0, 0, 15, 0, 0, 200, 100, 0, false},
       "intervals 66 66 66 66; sleeps 66 66 66 66 66; period 66; total 264"},
      {"no period, early wakes: the marker shrinks",
       {0, 0, 0, 0, 0x100000, 0, 1, 0, false},
       "intervals 3145728; sleeps 0 0 0 2097148; period 4194302; total 3145728"},
      {"no period, a late first frame: the marker grows",
       {0, kNoPeriod + 5, 0, 0, 0, 0, 1, 0, false},
       "intervals 4194308; sleeps 4194300; period 4194304; total 4194308"},
  };
  for (const auto& c : cases) {
    pacing::FramePacing p{};
    pacing::StartPacing(p, c.setup.start, c.setup.rate);
    p.run_limit = c.setup.run_limit;
    TestClock clock(c.setup);
    std::atomic<std::int32_t> early{0};
    pacing::RunFrameLoop(p, early, clock);
    EXPECT_EQ(c.expected, Trace(clock, p)) << c.what;
    EXPECT_EQ(clock.intervals.size(), p.frame_count) << c.what;
    EXPECT_EQ(0, early.load()) << c.what << ": a frame resets the early-wake count";
  }
}

TEST(FramePacingTest, NoWaitOnlyYieldsAndStatisticsHalveAtTheirLimit) {
  pacing::FramePacing p{};
  pacing::StartPacing(p, 0, 15);
  p.statistics_count = pacing::kStatisticsLimit;
  TestClock clock({0, 0, 15, 10, 1, 0, 20, 0, true});
  std::atomic<std::int32_t> early{0};
  pacing::RunFrameLoop(p, early, clock);
  EXPECT_EQ(std::vector<std::uint32_t>(clock.sleeps.size(), 0), clock.sleeps);
  EXPECT_LT(clock.now, 20u * 66 / 2) << "frames come far more often than the period";
  EXPECT_EQ(512u + 20, p.statistics_count) << "halved before the first frame counted";
}

}  // namespace
