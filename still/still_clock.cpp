#include "still/still_clock.h"

#include <time.h>

// clock_gettime rather than <chrono>: the project compiles narrow literals to Shift-JIS,
// and C++20's <chrono> holds a "µs" that has no Shift-JIS form.
uint32_t MillisecondTicks() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Cut to 32 bits on purpose: the count wraps as GetTickCount's does.
  return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                               static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}
