#include "support/sjis.h"

#include <cstring>

std::size_t SjisBoundaryAtOrBefore(const char* text, std::size_t limit) {
  std::size_t at = 0;
  while (at < limit) {
    std::size_t width = 1;
    if (IsSjisLeadByte(static_cast<unsigned char>(text[at]))) {
      // The byte after a lead byte at limit - 1 is not read: the caller may have only
      // `limit` bytes, and that character is cut in any case.
      width = (at + 1 < limit && text[at + 1] == '\0') ? 1 : 2;
    }
    if (at + width > limit) break;
    at += width;
  }
  return at;
}

const char* SjisFindLastOf(const char* text, const char* set) {
  const char* found = nullptr;
  for (const char* at = text; *at != '\0'; at += SjisCharLength(at)) {
    if (std::strchr(set, *at) != nullptr) found = at;
  }
  return found;
}
