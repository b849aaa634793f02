// Putting a finished file in place in one step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes `size` bytes to a new file beside `path` and then renames it over `path`,
// so that `path` is either left as it was or holds all the bytes, never a part of
// them. On failure the new file is removed and `error` says what failed.
bool ReplaceFileContents(const std::string& path, const uint8_t* data, size_t size,
                         std::string* error);
