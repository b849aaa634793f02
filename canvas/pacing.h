// The frame thread's pacing, apart from the thread: whole milliseconds, a carry of
// lateness from frame to frame, and a sleep for the rest of each period. The clock,
// the sleep and the frame itself come from outside, so the arithmetic can be driven
// exactly by a test clock as well as by timeGetTime and Sleep.
#pragma once

#include <atomic>
#include <cstdint>

namespace pacing {

// A rate this low or lower has no period: frames follow as fast as they can.
inline constexpr float kMinRate = 0.0002384186373f;
inline constexpr std::uint32_t kNoPeriod = 0x3FFFFF;
// What the marker becomes once a frame has begun: a little less than it after early
// wakes, a little more when a frame came later than the marker itself.
inline constexpr std::uint32_t kNoPeriodAfterEarlyWake = 0x3FFFFE;
inline constexpr std::uint32_t kNoPeriodAfterLateFrame = 0x400000;
// The recent-mean statistics halve at this count, so they follow recent frames.
inline constexpr std::uint32_t kStatisticsLimit = 1024;

// Milliseconds between frames for a rate in frames per second, truncated: 15 gives 66.
std::uint32_t FramePeriodForRate(float rate);

// The frame thread's accounting, in the order the canvas record holds it.
struct FramePacing {
  std::uint32_t total_elapsed;     // sum of the frame intervals since start
  std::uint32_t frame_count;       // frames begun since start
  std::uint32_t last_frame_time;   // clock reading when the last frame began
  std::uint32_t run_limit;         // stop once total_elapsed exceeds it; 0 = never
  std::uint32_t frame_period;      // target ms between frames, or kNoPeriod
  std::uint32_t statistics_time;   // recent interval sum...
  std::uint32_t statistics_count;  // ...over this many frames
};

// Resets the accounting for a thread about to start at clock reading `now`.
void StartPacing(FramePacing& pacing, std::uint32_t now, float rate);

// What the loop needs from its surroundings.
class FrameLoopHooks {
 public:
  virtual ~FrameLoopHooks() = default;
  virtual bool Running() = 0;  // the owner has not asked the thread to stop
  virtual bool NoWait() = 0;   // yield (Sleep(0)) instead of sleeping out the period
  virtual void PumpMessages() = 0;
  virtual std::uint32_t Now() = 0;  // milliseconds, wrapping at 2^32
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // Draws one frame given the ms since the previous one began; false ends the loop.
  virtual bool Frame(std::uint32_t interval) = 0;
};

// Runs passes until the hooks say stop, a frame returns false or the run limit is
// exceeded. `early_wakes` counts passes that found no frame due (shared by all frame
// threads of the process, as the marker replacement reads it).
void RunFrameLoop(FramePacing& pacing, std::atomic<std::int32_t>& early_wakes,
                  FrameLoopHooks& hooks);

}  // namespace pacing
