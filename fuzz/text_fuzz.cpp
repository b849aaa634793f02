// The --text reader on arbitrary bytes, as parallux-still uses it: UTF-8 decoded and
// checked, then drawn in the board's face. A crash, a sanitizer report or a mask whose
// pixels do not match its size is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/text_mask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // parallux-still refuses longer texts before drawing them.
  if (size > 256) return 0;
  TextMask mask;
  std::string error;
  if (!DrawTextMask(std::string(reinterpret_cast<const char*>(data), size), 200, "", &mask,
                    &error)) {
    return 0;
  }
  if (mask.grey.size() != static_cast<size_t>(mask.width) * mask.height) std::abort();
  return 0;
}
