// Scanning narrow text in code page 932 (Shift-JIS) one character at a time.
//
// A trail byte can have any value from 0x40 to 0xFC, '\\' (0x5C) included, so a byte
// scan that looks for a separator or cuts at a byte count must step over whole
// characters from the start of the text; scanning backwards cannot tell a trail byte
// from a single-byte character.
#pragma once

#include <cstddef>

constexpr bool IsSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Length of the character that starts at `text`: 2 for a lead byte followed by a byte
// (any non-NUL), 1 otherwise. A lead byte right before the terminator counts as one byte.
constexpr std::size_t SjisCharLength(const char* text) {
  return IsSjisLeadByte(static_cast<unsigned char>(text[0])) && text[1] != '\0' ? 2 : 1;
}

// The largest length not above `limit` that ends on a character boundary of `text`,
// where `text` holds at least `limit` bytes (it may hold more, or be cut short right
// after them as a truncating formatter leaves it).
std::size_t SjisBoundaryAtOrBefore(const char* text, std::size_t limit);

// The last byte of `text` that is one of the single-byte characters in `set`, not a
// trail byte; null when there is none.
const char* SjisFindLastOf(const char* text, const char* set);
