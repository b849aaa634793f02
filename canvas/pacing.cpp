#include "canvas/pacing.h"

namespace pacing {

std::uint32_t FramePeriodForRate(float rate) {
  // Negated so that a NaN rate, which compares false both ways, also means no period.
  if (!(rate > kMinRate)) return kNoPeriod;
  return static_cast<std::uint32_t>(1000.0f / rate);
}

void StartPacing(FramePacing& pacing, std::uint32_t now, float rate) {
  pacing.frame_period = FramePeriodForRate(rate);
  pacing.total_elapsed = 0;
  pacing.frame_count = 0;
  pacing.last_frame_time = now;
  pacing.run_limit = 0;
  pacing.statistics_time = 0;
  pacing.statistics_count = 0;
}

void RunFrameLoop(FramePacing& pacing, std::atomic<std::int32_t>& early_wakes,
                  FrameLoopHooks& hooks) {
  // Lateness carried into the next frame. It grows by the whole time since the last
  // frame began on every pass, frames due or not, and a frame takes one period off it;
  // so the time the frame itself takes comes off the next sleep, not on top of the period.
  std::uint32_t carry = 0;
  while (hooks.Running()) {
    if (pacing.run_limit != 0 && pacing.total_elapsed > pacing.run_limit) break;
    hooks.PumpMessages();

    const std::uint32_t now = hooks.Now();
    const std::uint32_t interval = now - pacing.last_frame_time;
    carry += interval;

    if (carry < pacing.frame_period) {
      early_wakes.fetch_add(1, std::memory_order_relaxed);
      const bool yield = pacing.frame_period == kNoPeriod || hooks.NoWait();
      hooks.Sleep(yield ? 0 : pacing.frame_period - carry);
      continue;
    }

    if (early_wakes.load(std::memory_order_relaxed) > 0) {
      if (pacing.frame_period == kNoPeriod) pacing.frame_period = kNoPeriodAfterEarlyWake;
      early_wakes.store(0, std::memory_order_relaxed);
    } else if (pacing.frame_period == kNoPeriod && carry > kNoPeriod) {
      pacing.frame_period = kNoPeriodAfterLateFrame;
    }
    if (pacing.statistics_count >= kStatisticsLimit) {
      pacing.statistics_time >>= 1;
      pacing.statistics_count >>= 1;
    }
    carry -= pacing.frame_period;
    pacing.total_elapsed += interval;
    pacing.statistics_time += interval;
    pacing.last_frame_time = now;
    ++pacing.frame_count;
    ++pacing.statistics_count;

    if (!hooks.Frame(interval)) break;

    const bool yield =
        pacing.frame_period == kNoPeriod || hooks.NoWait() || pacing.frame_period <= carry;
    hooks.Sleep(yield ? 0 : pacing.frame_period - carry);
  }
}

}  // namespace pacing
