// The board's rules that need no window: the ranges its settings are held to, how a
// typed number is read, and how the hidden text is cut.
// Portable, so that they are tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

namespace board {

inline constexpr std::int32_t kMinParallaxWidth = 10;
inline constexpr std::uint32_t kMaxTextDepth = 255;
inline constexpr std::uint32_t kGreyDots = 1;
inline constexpr std::uint32_t kColourDots = 2;
// The hidden text: at most this many bytes of Shift-JIS, and a terminator.
inline constexpr std::size_t kTextBytes = 40;

// The widest parallax the options accept: half the picture.
constexpr std::int32_t MaxParallaxWidth(std::int32_t picture_width) { return picture_width / 2; }

// Settings read from a file are held to what the options dialog accepts, so that a
// hand-edited file cannot break the picture: the parallax width and the text depth are
// clamped into their ranges, and any dot mode other than grey is random colour.
std::int32_t FitParallaxWidth(std::int32_t value, std::int32_t picture_width);
std::uint32_t FitTextDepth(std::uint32_t value);
std::uint32_t FitDotMode(std::uint32_t value);

// What the text of an options field is: no number at all (empty, a sign, other
// characters), a decimal number that fits 32 bits, or one that does not.
enum class FieldNumber { kNone, kValue, kTooLarge };
// Blanks around the digits are allowed; nothing else is.
FieldNumber ParseFieldNumber(const char* text, std::uint32_t* value);

// Cuts `text` in place to at most `limit` bytes, before a double-byte character that
// would be split.
void CutText(char* text, std::size_t limit);

}  // namespace board
