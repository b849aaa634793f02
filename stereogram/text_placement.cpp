#include "stereogram/text_placement.h"

TextPlacement PlaceText(std::uint32_t clock, std::int32_t width, std::int32_t height,
                        std::int32_t text_width, std::int32_t text_height) {
  // 32-bit arithmetic that wraps, with the right end's sign as the test: the clock
  // runs for 49 days before it wraps, and a text is never wider than 2^31 pixels.
  std::uint32_t steps = clock / 10;
  const auto right_end = static_cast<std::int32_t>(static_cast<std::uint32_t>(width) - steps +
                                                   static_cast<std::uint32_t>(text_width));
  if (right_end < 0) {
    clock = 0;
    steps = 0;
  }
  return TextPlacement{clock, static_cast<std::int32_t>(static_cast<std::uint32_t>(width) - steps),
                       (height - text_height) / 2};
}

std::uint64_t ScrollCycle(std::uint32_t period, std::int32_t width, std::int32_t text_width) {
  // The clock is period * k until the frame that restarts it; after that frame the
  // frames repeat. The text has left once the clock has run (width + text_width + 1) * 10
  // ms, so the loop is bounded.
  if (period == 0) return 1;  // a clock that never moves never restarts
  std::uint64_t k = 1;
  while (PlaceText(static_cast<std::uint32_t>(period * k), width, 0, text_width, 0).clock != 0) ++k;
  return k;
}
