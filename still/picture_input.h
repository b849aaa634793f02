// Reading the pictures a command is given, with the refusals that name them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "images/image_file.h"
#include "still/commands.h"

// Why a picture `width` pixels wide cannot take the parallax width `needed` (given as
// `asked`, or the default when that is empty), or empty when it can.
std::string TooNarrow(const std::optional<int32_t>& asked, int32_t needed, int32_t width);

// Opens and decodes a picture, or says why not. A picture narrower than `needed` is
// refused from its header, before its pixels cost anything.
bool ReadPicture(const std::string& path, const std::optional<int32_t>& asked, int32_t needed,
                 RgbPicture* picture, CommandEnd* end);

// The pixels of a file whose header was read, or why not.
bool DecodePicture(ImageFile& file, RgbPicture* picture, CommandEnd* end);
