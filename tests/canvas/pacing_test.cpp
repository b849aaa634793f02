// The frame loop driven by an exact test clock: sleeps last exactly as long as asked,
// a frame takes a fixed time, and every sleep and frame interval is recorded.
#include "canvas/pacing.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using pacing::FramePacing;
using pacing::kNoPeriod;

class TestClock final : public pacing::FrameLoopHooks {
 public:
  std::uint32_t now = 0;
  std::uint32_t frame_work_ms = 0;
  std::uint32_t stop_after_frames = 10;
  std::uint32_t stop_after_passes = 100000;
  bool no_wait = false;
  std::vector<std::uint32_t> sleeps;             // every sleep, in order
  std::vector<std::uint32_t> intervals;          // what each frame was given
  std::vector<std::size_t> sleeps_before_frame;  // sleeps recorded before each frame
  std::uint32_t passes = 0;

  bool Running() override {
    return intervals.size() < stop_after_frames && passes++ < stop_after_passes;
  }
  bool NoWait() override { return no_wait; }
  void PumpMessages() override {}
  std::uint32_t Now() override { return now; }
  void Sleep(std::uint32_t ms) override {
    sleeps.push_back(ms);
    now += ms;
  }
  bool Frame(std::uint32_t interval) override {
    sleeps_before_frame.push_back(sleeps.size());
    intervals.push_back(interval);
    now += frame_work_ms;
    return true;
  }
};

FramePacing Started(std::uint32_t now, float rate) {
  FramePacing p{};
  pacing::StartPacing(p, now, rate);
  return p;
}

TEST(FramePeriodTest, RatesBecomeWholeMillisecondsAndTinyRatesHaveNoPeriod) {
  EXPECT_EQ(66u, pacing::FramePeriodForRate(15.0f)) << "15 fps truncates, not rounds";
  EXPECT_EQ(1u, pacing::FramePeriodForRate(1000.0f));
  EXPECT_EQ(40u, pacing::FramePeriodForRate(25.0f));
  EXPECT_EQ(kNoPeriod, pacing::FramePeriodForRate(0.0f));
  EXPECT_EQ(kNoPeriod, pacing::FramePeriodForRate(-15.0f));
  EXPECT_EQ(kNoPeriod, pacing::FramePeriodForRate(0.0002f));
  EXPECT_EQ(kNoPeriod, pacing::FramePeriodForRate(pacing::kMinRate)) << "the threshold itself";
  EXPECT_EQ(kNoPeriod, pacing::FramePeriodForRate(__builtin_nanf("")));
}

TEST(FrameLoopTest, TwentyMillisecondsOfWorkSettleIntoFortySixMillisecondSleeps) {
  FramePacing p = Started(5000, 15.0f);
  TestClock clock;
  clock.now = 5000;
  clock.frame_work_ms = 20;
  clock.stop_after_frames = 6;
  std::atomic<std::int32_t> early{0};
  pacing::RunFrameLoop(p, early, clock);

  // The first pass finds no frame due and sleeps the whole period; from then on each
  // frame is followed by one sleep.
  ASSERT_EQ(6u, clock.intervals.size());
  EXPECT_EQ(66u, clock.intervals[0]) << "the first frame counts from the start";
  EXPECT_EQ(86u, clock.intervals[1]) << "66 ms of sleep after the first frame's 20 ms of work";
  for (std::size_t i = 2; i < clock.intervals.size(); ++i) {
    EXPECT_EQ(66u, clock.intervals[i]) << "interval of frame " << i;
  }
  ASSERT_GE(clock.sleeps.size(), 6u);
  EXPECT_EQ(66u, clock.sleeps[0]) << "the early pass before the first frame";
  EXPECT_EQ(66u, clock.sleeps[1]) << "after the first frame: nothing carried yet";
  for (std::size_t i = 2; i < clock.sleeps.size(); ++i) {
    EXPECT_EQ(46u, clock.sleeps[i]) << "sleep " << i;
  }
  EXPECT_EQ(6u, p.frame_count);
  EXPECT_EQ(66u + 86u + 4u * 66u, p.total_elapsed);
  EXPECT_EQ(p.total_elapsed, p.statistics_time);
  EXPECT_EQ(6u, p.statistics_count);
  EXPECT_EQ(5000u + 66u + 86u + 4u * 66u, p.last_frame_time);
}

TEST(FrameLoopTest, ClockWrapAroundDoesNotDisturbThePace) {
  FramePacing p = Started(0xFFFFFFF0u, 15.0f);
  TestClock clock;
  clock.now = 0xFFFFFFF0u;
  clock.frame_work_ms = 20;
  clock.stop_after_frames = 5;
  std::atomic<std::int32_t> early{0};
  pacing::RunFrameLoop(p, early, clock);
  ASSERT_EQ(5u, clock.intervals.size());
  EXPECT_EQ((std::vector<std::uint32_t>{66, 86, 66, 66, 66}), clock.intervals);
}

TEST(FrameLoopTest, NoWaitOnlyYieldsAndFramesComeFarMoreOftenThanThePeriod) {
  FramePacing p = Started(0, 15.0f);
  TestClock clock;
  clock.no_wait = true;
  clock.frame_work_ms = 10;
  clock.stop_after_frames = 20;
  std::atomic<std::int32_t> early{0};
  // A yield takes no time on the test clock, so passes are bounded instead: the point is
  // that no sleep is ever longer than Sleep(0).
  clock.stop_after_passes = 200;
  clock.now = 0;
  // Let some time pass on each yield so frames can become due.
  struct Yielding final : public pacing::FrameLoopHooks {
    TestClock& c;
    explicit Yielding(TestClock& clock) : c(clock) {}
    bool Running() override { return c.Running(); }
    bool NoWait() override { return true; }
    void PumpMessages() override {}
    std::uint32_t Now() override { return c.now; }
    void Sleep(std::uint32_t ms) override {
      c.sleeps.push_back(ms);
      c.now += 1;  // a yield still lets a millisecond go by now and then
    }
    bool Frame(std::uint32_t interval) override { return c.Frame(interval); }
  } hooks(clock);
  pacing::RunFrameLoop(p, early, hooks);

  for (std::uint32_t ms : clock.sleeps) ASSERT_EQ(0u, ms) << "no-wait slept";
  ASSERT_EQ(20u, clock.intervals.size());
  // Each yielding pass adds the whole time since the last frame to the carry, so after
  // a few passes a frame is due long before a period has gone by.
  EXPECT_LT(clock.now, 20u * 66u / 2) << "20 frames took " << clock.now << " ms";
}

TEST(FrameLoopTest, StatisticsHalveAtTheLimitBeforeCountingTheNewFrame) {
  FramePacing p = Started(0, 1000.0f);  // 1 ms period
  p.statistics_count = 1024;
  p.statistics_time = 3001;
  TestClock clock;
  clock.frame_work_ms = 0;
  clock.now = 0;
  clock.stop_after_frames = 1;
  std::atomic<std::int32_t> early{0};
  pacing::RunFrameLoop(p, early, clock);
  ASSERT_EQ(1u, clock.intervals.size());
  EXPECT_EQ(513u, p.statistics_count);
  EXPECT_EQ(3001u / 2 + clock.intervals[0], p.statistics_time);
}

TEST(FrameLoopTest, TheNoPeriodMarkerIsReplacedOnceAFrameBegins) {
  {
    // Early wakes before the frame: the marker becomes a little shorter.
    FramePacing p = Started(0, 0.0f);
    ASSERT_EQ(kNoPeriod, p.frame_period);
    TestClock clock;
    clock.stop_after_frames = 1;
    std::atomic<std::int32_t> early{0};
    struct LongYield final : public pacing::FrameLoopHooks {
      TestClock& c;
      explicit LongYield(TestClock& clock) : c(clock) {}
      bool Running() override { return c.Running(); }
      bool NoWait() override { return false; }
      void PumpMessages() override {}
      std::uint32_t Now() override { return c.now; }
      void Sleep(std::uint32_t ms) override {
        c.sleeps.push_back(ms);
        c.now += 0x100000;  // a quarter of the marker per yield
      }
      bool Frame(std::uint32_t interval) override { return c.Frame(interval); }
    } hooks(clock);
    pacing::RunFrameLoop(p, early, hooks);
    EXPECT_EQ(pacing::kNoPeriodAfterEarlyWake, p.frame_period);
    EXPECT_EQ(0, early.load()) << "a frame resets the early-wake count";
    ASSERT_EQ(1u, clock.sleeps_before_frame.size());
    ASSERT_GT(clock.sleeps_before_frame[0], 0u) << "expected early passes";
    for (std::size_t i = 0; i < clock.sleeps_before_frame[0]; ++i) {
      EXPECT_EQ(0u, clock.sleeps[i]) << "while the marker is in force a pass only yields";
    }
  }
  {
    // A first pass already later than the marker: the marker becomes a little longer.
    FramePacing p = Started(0, 0.0f);
    TestClock clock;
    clock.now = kNoPeriod + 5;
    clock.stop_after_frames = 1;
    std::atomic<std::int32_t> early{0};
    pacing::RunFrameLoop(p, early, clock);
    ASSERT_EQ(1u, clock.intervals.size());
    EXPECT_EQ(pacing::kNoPeriodAfterLateFrame, p.frame_period);
  }
}

TEST(FrameLoopTest, EndsOnARefusedFrameOrOnceTheRunLimitIsPassed) {
  {
    FramePacing p = Started(0, 15.0f);
    struct Refusing final : public pacing::FrameLoopHooks {
      std::uint32_t now = 0;
      int frames = 0;
      int sleeps_after_refusal = 0;
      bool Running() override { return true; }
      bool NoWait() override { return false; }
      void PumpMessages() override {}
      std::uint32_t Now() override { return now; }
      void Sleep(std::uint32_t ms) override {
        now += ms;
        if (frames == 3) ++sleeps_after_refusal;
      }
      bool Frame(std::uint32_t) override { return ++frames < 3; }
    } hooks;
    std::atomic<std::int32_t> early{0};
    pacing::RunFrameLoop(p, early, hooks);
    EXPECT_EQ(3, hooks.frames);
    EXPECT_EQ(0, hooks.sleeps_after_refusal) << "the loop must end at once";
  }
  {
    FramePacing p = Started(0, 15.0f);
    p.run_limit = 200;
    TestClock clock;
    clock.stop_after_frames = 100;
    std::atomic<std::int32_t> early{0};
    pacing::RunFrameLoop(p, early, clock);
    // Frames at 66, 132, 198 and 264 ms: the pass after total 264 > 200 stops.
    EXPECT_EQ(4u, clock.intervals.size());
    EXPECT_EQ(264u, p.total_elapsed);
  }
}

}  // namespace
