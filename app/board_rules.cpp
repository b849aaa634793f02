#include "app/board_rules.h"

#include <algorithm>
#include <cstring>

#include "support/sjis.h"

namespace board {

std::int32_t FitParallaxWidth(std::int32_t value, std::int32_t picture_width) {
  const std::int32_t widest = std::max(MaxParallaxWidth(picture_width), kMinParallaxWidth);
  return std::clamp(value, kMinParallaxWidth, widest);
}

std::uint32_t FitTextDepth(std::uint32_t value) { return std::min(value, kMaxTextDepth); }

std::uint32_t FitDotMode(std::uint32_t value) {
  return value == kGreyDots ? kGreyDots : kColourDots;
}

FieldNumber ParseFieldNumber(const char* text, std::uint32_t* value) {
  if (text == nullptr) return FieldNumber::kNone;
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (blank(*text)) ++text;
  if (*text < '0' || *text > '9') return FieldNumber::kNone;
  std::uint64_t number = 0;
  bool too_large = false;
  for (; *text >= '0' && *text <= '9'; ++text) {
    number = number * 10 + static_cast<std::uint64_t>(*text - '0');
    // Held just above the range, so that any number of digits reads as too large.
    if (number > 0xFFFFFFFFu) {
      too_large = true;
      number = 0x100000000u;
    }
  }
  while (blank(*text)) ++text;
  if (*text != '\0') return FieldNumber::kNone;
  if (too_large) return FieldNumber::kTooLarge;
  *value = static_cast<std::uint32_t>(number);
  return FieldNumber::kValue;
}

void CutText(char* text, std::size_t limit) {
  const std::size_t length = std::strlen(text);
  if (length <= limit) return;
  text[SjisBoundaryAtOrBefore(text, limit)] = '\0';
}

}  // namespace board
