// The board's plain-text view: the hidden text blended over the dots. A picture copied
// from the board holds that blend, so whatever reads such a picture back needs the same
// figure as the board that drew it.
#pragma once

#include <cstdint>

namespace board {
// The percentage of the dots that the text view keeps beneath the text.
inline constexpr std::uint32_t kTextViewTransparency = 60;
}  // namespace board
